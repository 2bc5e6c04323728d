#include "apps/zvemul-widget/view_renderer.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>

#include "platform/code_page.h"

namespace zv::widget {
namespace {

using platform::CharFormat;
using platform::TextEngine;

constexpr int kColumns = 64;
constexpr int kTextMargin = 2;  // pixels between a window's edge and its text
constexpr int kChromePoints = 8;
const QColor kButtonFace(0xD4, 0xD0, 0xC8);
const QColor kShadow(0x80, 0x80, 0x80);
const QColor kActiveFrame(0x00, 0x80, 0x80);

QColor FromColorRef(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

QString FromCp1252(std::string_view text) { return QString::fromStdU16String(platform::Cp1252ToUtf16(text)); }

QRect ToQRect(const RECT& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

void Raised(QPainter& painter, const QRect& r, const QColor& face) {
  painter.fillRect(r, face);
  painter.setPen(Qt::white);
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(kShadow);
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

void Sunken(QPainter& painter, const QRect& r) {
  painter.setPen(kShadow);
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(Qt::white);
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

void DrawIcon(QPainter& painter, const platform::Icon& icon, const QRect& r, const QColor& color) {
  const int left = r.left() + (r.width() - icon.width) / 2;
  const int top = r.top() + (r.height() - icon.height) / 2;
  for (int y = 0; y < icon.height && y < static_cast<int>(icon.rows.size()); ++y) {
    const std::string& row = icon.rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < icon.width && x < static_cast<int>(row.size()); ++x) {
      if (row[static_cast<std::size_t>(x)] == '#') painter.fillRect(left + x, top + y, 1, 1, color);
    }
  }
}

// The window number of tab `index`: in the all-windows strip the index's,
// in a frame's strip its parity's (frame 1 odd windows, frame 2 even ones).
int WindowOfTab(bool all_windows, int frame, int index) { return all_windows ? index + 1 : 2 * index + frame; }

bool Blank(const std::vector<platform::DeviceContext::TextRun>& runs) {
  return std::all_of(runs.begin(), runs.end(),
                     [](const auto& run) { return run.text.find_first_not_of(' ') == std::string::npos; });
}

void PaintStrip(QPainter& painter, const TabStripView& strip, bool all_windows, int frame, bool active) {
  const QRect area = ToQRect(strip.rect);
  painter.fillRect(area, kButtonFace);
  // The strip of the frame the keys go to is marked along its foot.
  if (active) painter.fillRect(QRect(area.left(), area.bottom() - 1, area.width(), 2), kActiveFrame);
  for (std::size_t i = 0; i < strip.items.size(); ++i) {
    const TabItemView& item = strip.items[i];
    const bool selected = static_cast<int>(i) == strip.selected;
    const QRect r = ToQRect(item.rect).adjusted(0, selected ? 0 : 2, -1, -1);
    Raised(painter, r, selected ? QColor(Qt::white) : kButtonFace);
    QFont font = painter.font();
    font.setBold(i < strip.highlighted.size() && strip.highlighted[i]);
    painter.setFont(font);
    if (Blank(item.drawn)) {
      // Tabs are made with blank captions; a blank tab shows its window's
      // number, so that the agent sees which window it opens.
      QString caption = i < strip.captions.size() ? FromCp1252(strip.captions[i]).trimmed() : QString();
      if (caption.isEmpty()) caption = QString::number(WindowOfTab(all_windows, frame, static_cast<int>(i)));
      painter.setPen(Qt::black);
      painter.drawText(r, Qt::AlignCenter, caption);
      continue;
    }
    const QFontMetrics metrics(font);
    for (const platform::DeviceContext::TextRun& run : item.drawn) {
      const QString text = FromCp1252(run.text);
      const QRect cell(run.at.x, run.at.y, metrics.horizontalAdvance(text), metrics.height());
      if (run.opaque) painter.fillRect(cell.intersected(r), FromColorRef(run.back_color));
      painter.setPen(FromColorRef(run.text_color));
      painter.setClipRect(r);
      painter.drawText(QPoint(run.at.x, run.at.y + metrics.ascent()), text);
      painter.setClipping(false);
    }
  }
  QFont plain = painter.font();
  plain.setBold(false);
  painter.setFont(plain);
  const QRect button = ToQRect(strip.button.rect);
  if (button.isValid()) {
    Raised(painter, button, kButtonFace);
    if (strip.button.icon) {
      DrawIcon(painter, *strip.button.icon, button, Qt::black);
    } else {
      painter.setPen(Qt::black);
      painter.drawText(button, Qt::AlignCenter, FromCp1252(strip.button.text));
    }
  }
  const QRect field = ToQRect(strip.ins_field.rect);
  if (field.isValid()) {
    Sunken(painter, field);
    painter.setPen(Qt::black);
    painter.drawText(field, Qt::AlignCenter, FromCp1252(strip.ins_field.text));
  }
}

void PaintStatusBar(QPainter& painter, const StatusBarView& bar) {
  const QRect area = ToQRect(bar.rect);
  painter.fillRect(area, kButtonFace);
  // The control sets the parts' edges for its own font; a part whose text
  // does not fit takes the room it lacks from the part with the most to spare.
  const std::size_t count = bar.parts.size();
  std::vector<int> widths(count);
  std::vector<int> needs(count);
  int left = area.left();
  for (std::size_t i = 0; i < count; ++i) {
    const int edge = i < bar.right_edges.size() ? bar.right_edges[i] : -1;
    const int right = edge < 0 ? area.right() + 1 : std::clamp(edge, left, area.right() + 1);
    widths[i] = right - left;
    needs[i] = painter.fontMetrics().horizontalAdvance(FromCp1252(bar.parts[i])) + 8;
    left = right;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const auto spare = [&](std::size_t j) { return widths[j] - needs[j]; };
    std::size_t donor = 0;
    for (std::size_t j = 1; j < count; ++j) donor = spare(j) > spare(donor) ? j : donor;
    const int moved = std::min(needs[i] - widths[i], spare(donor));
    if (donor == i || moved <= 0) continue;
    widths[donor] -= moved;
    widths[i] += moved;
  }
  left = area.left();
  for (std::size_t i = 0; i < count; ++i) {
    const QRect part(left, area.top() + 1, widths[i] - 1, area.height() - 2);
    left += widths[i];
    if (part.width() <= 2) continue;
    Sunken(painter, part);
    painter.setPen(Qt::black);
    const QRect inner = part.adjusted(3, 0, -2, 0);
    painter.drawText(inner, Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(FromCp1252(bar.parts[i]), Qt::ElideRight, inner.width()));
  }
}

}  // namespace

WindowFont FontFor(const CharFormat& format) {
  WindowFont out;
  out.font = QFont(QString::fromStdString(format.face));
  out.font.setStyleHint(QFont::TypeWriter);
  out.font.setFixedPitch(true);
  out.font.setPointSizeF(std::max<LONG>(format.height_twips, 20) / 20.0);
  // A face fontconfig has no monospaced match for falls back to the
  // system's monospaced font: the screens are 64 even columns.
  if (!QFontInfo(out.font).fixedPitch()) out.font.setFamily(QStringLiteral("monospace"));
  const QFontMetricsF metrics(out.font);
  out.cell_width = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('M')));
  out.ascent = metrics.ascent();
  out.height = metrics.height();
  return out;
}

const WindowFont& ViewRenderer::Font(const CharFormat& format) {
  for (const auto& [key, font] : fonts_) {
    if (key.face == format.face && key.height_twips == format.height_twips) return font;
  }
  fonts_.emplace_back(format, FontFor(format));
  return fonts_.back().second;
}

std::vector<const ResWindowView*> ShownWindows(const ControlView& view) {
  std::vector<const ResWindowView*> shown;
  const int frames = view.layout == 1 ? 1 : 2;
  for (int f = 0; f < frames; ++f) {
    const int preferred = frames == 1 ? view.current_window : view.frame_window[f];
    const ResWindowView* found = nullptr;
    for (const ResWindowView& w : view.windows) {
      if (!w.visible || w.engine == nullptr) continue;
      if (frames == 2 && (w.number % 2 == 1) != (f == 0)) continue;
      if (found == nullptr || w.number == preferred) found = &w;
    }
    if (found != nullptr) shown.push_back(found);
  }
  return shown;
}

void ViewRenderer::Paint(QPainter& painter, const ControlView& view) {
  painter.fillRect(ToQRect(view.client), kButtonFace);
  // The strips and the bar in the desktop's small dialog font.
  QFont chrome = painter.font();
  chrome.setPointSize(kChromePoints);
  painter.setFont(chrome);
  const int frames = view.layout == 1 ? 1 : 2;
  if (frames == 1) {
    if (view.all_tabs.visible) PaintStrip(painter, view.all_tabs, true, 1, false);
  } else {
    for (int f = 0; f < 2; ++f) {
      if (view.frame_tabs[f].visible) PaintStrip(painter, view.frame_tabs[f], false, f + 1, view.active_frame == f + 1);
    }
  }

  for (const ResWindowView* window : ShownWindows(view)) {
    const TextEngine& engine = *window->engine;
    const WindowFont& font = Font(engine.DefaultFormat());
    const QRect area = ToQRect(window->rect);
    const QColor background = FromColorRef(window->background);
    painter.fillRect(area, background);
    painter.setClipRect(area);
    const LONG line_height = std::max<LONG>(1, engine.LineHeight());
    const LONG first = engine.FirstVisibleLine();
    const CHARRANGE selection = engine.Selection();
    const bool show_selection = window->focused && selection.cpMin != selection.cpMax;
    const int baseline = font.ascent + std::max(0, static_cast<int>(line_height) - font.height) / 2;
    const int rows = area.height() / static_cast<int>(line_height) + 1;
    QFont drawn = font.font;
    for (int r = 0; r < rows; ++r) {
      const LONG start = engine.LineStart(first + r);
      if (start < 0) break;
      const LONG length = std::min<LONG>(engine.LineLength(start), kColumns + 1);
      const int top = area.top() + r * static_cast<int>(line_height);
      LONG i = 0;
      while (i < length) {
        // One run of characters that share their format and selection.
        const CharFormat& format = engine.FormatAt(start + i);
        const bool selected = show_selection && start + i >= selection.cpMin && start + i < selection.cpMax;
        QString text;
        LONG j = i;
        for (; j < length; ++j) {
          const LONG pos = start + j;
          const bool sel = show_selection && pos >= selection.cpMin && pos < selection.cpMax;
          if (j > i && (sel != selected || !(engine.FormatAt(pos) == format))) break;
          const char byte = engine.CharAt(pos);
          // The wrap marker's tab (or form feed) and other controls show as blanks.
          text += static_cast<unsigned char>(byte) < 0x20
                      ? QChar(u' ')
                      : QChar(static_cast<char16_t>(platform::Cp1252ToUnicode(byte)));
        }
        QColor fg = format.auto_color ? QColor(Qt::black) : FromColorRef(format.color);
        QColor bg = format.auto_back_color ? background : FromColorRef(format.back_color);
        if (selected) std::swap(fg, bg);
        const qreal x = area.left() + kTextMargin + static_cast<qreal>(i) * font.cell_width;
        const QRectF cell(x, top, static_cast<qreal>(j - i) * font.cell_width, static_cast<qreal>(line_height));
        if (selected || !format.auto_back_color) painter.fillRect(cell, bg);
        drawn.setBold(format.bold);
        drawn.setUnderline(format.underline);
        drawn.setItalic(format.italic);
        painter.setFont(drawn);
        painter.setPen(fg);
        painter.drawText(QPointF(x, top + baseline), text);
        i = j;
      }
    }
    if (const std::optional<QRectF> caret = CaretRect(view, *window)) {
      painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      painter.fillRect(*caret, Qt::white);
      painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.setClipping(false);
  }
  painter.setFont(chrome);
  if (view.status_bar.exists) PaintStatusBar(painter, view.status_bar);
}

std::optional<QRectF> ViewRenderer::CaretRect(const ControlView& view, const ResWindowView& window) {
  if (view.caret.hwnd != window.hwnd || !view.caret.visible || window.engine == nullptr) return std::nullopt;
  const TextEngine& engine = *window.engine;
  const WindowFont& font = Font(engine.DefaultFormat());
  const LONG line_height = std::max<LONG>(1, engine.LineHeight());
  const LONG pos = engine.CaretPosition();
  const LONG line = engine.LineFromChar(pos);
  const qreal x = window.rect.left + kTextMargin + static_cast<qreal>(pos - engine.LineStart(line)) * font.cell_width;
  const LONG y = window.rect.top + (line - engine.FirstVisibleLine()) * line_height;
  const qreal width = std::clamp<qreal>(view.caret.width, 2, font.cell_width);
  const LONG height = view.caret.height > 0 ? std::min<LONG>(view.caret.height, line_height) : line_height;
  return QRectF(x, static_cast<qreal>(y + line_height - height), width, static_cast<qreal>(height));
}

std::optional<QPoint> ViewRenderer::CaretPoint(const ControlView& view) {
  for (const ResWindowView* window : ShownWindows(view)) {
    if (const std::optional<QRectF> caret = CaretRect(view, *window)) return caret->bottomLeft().toPoint();
  }
  return std::nullopt;
}

std::optional<TextHit> ViewRenderer::HitText(const ControlView& view, QPoint point) {
  for (const ResWindowView* window : ShownWindows(view)) {
    const QRect area = ToQRect(window->rect);
    if (!area.contains(point)) continue;
    const TextEngine& engine = *window->engine;
    const WindowFont& font = Font(engine.DefaultFormat());
    const LONG line_height = std::max<LONG>(1, engine.LineHeight());
    const LONG row = (point.y() - area.top()) / line_height;
    const LONG column = std::max(0, static_cast<int>((point.x() - area.left() - kTextMargin) / font.cell_width + 0.5));
    const LONG line = std::min(engine.FirstVisibleLine() + row, engine.LineCount() - 1);
    const LONG start = engine.LineStart(line);
    return TextHit{window->hwnd, window->number, start + std::min<LONG>(column, engine.LineLength(start))};
  }
  return std::nullopt;
}

QSize ViewRenderer::PreferredSize(int lines) {
  const CharFormat format;
  const WindowFont font = FontFor(format);
  platform::TextEngine engine;
  // Two frames of `lines` lines under their strips, and the status bar (18
  // pixels each); a res window's client area lies inside its border and its
  // 17-pixel scroll bars.
  return QSize(static_cast<int>(std::ceil(kColumns * font.cell_width)) + 2 * kTextMargin + 17 + 8,
               2 * (static_cast<int>(engine.LineHeight()) * lines + 18 + 2 + 17) + 18);
}

}  // namespace zv::widget
