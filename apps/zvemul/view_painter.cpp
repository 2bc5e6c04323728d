#include "apps/zvemul/view_painter.h"

#include <algorithm>
#include <string>

namespace zv::desk {
namespace {

using platform::TextEngine;

constexpr Rgb kWindowText{0, 0, 0};  // an automatic text colour: the desktop's window text
constexpr int kLayoutButtonColumns = 3;
constexpr int kFirstTabColumn = 5;
constexpr int kMaxTabColumns = 12;

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The window a frame shows: the visible window of the frame's parity (odd
// windows live in frame 1), or in one frame the visible current window.
const ResWindowView* WindowInFrame(const ControlView& view, int frame) {
  const ResWindowView* found = nullptr;
  for (const ResWindowView& w : view.windows) {
    if (!w.visible || w.engine == nullptr) continue;
    const bool fits = view.layout == 1 || (w.number % 2 == 1) == (frame == 0);
    if (!fits) continue;
    const int preferred = view.layout == 1 ? view.current_window : view.frame_window[frame];
    if (found == nullptr || w.number == preferred) found = &w;
  }
  return found;
}

Style CharacterStyle(const platform::CharFormat& format, Rgb background, bool selected) {
  Style style;
  style.fg = format.auto_color ? kWindowText : FromColorRef(format.color);
  style.bg = format.auto_back_color ? background : FromColorRef(format.back_color);
  if (format.bold) style.attributes |= kBold;
  if (format.underline) style.attributes |= kUnderline;
  if (selected) style.attributes |= kReverse;
  return style;
}

void PaintWindow(const ResWindowView& window, const CaretView& caret, Band band, Painting& out) {
  const TextEngine& engine = *window.engine;
  const Rgb background = FromColorRef(window.background);
  const Style blank{kWindowText, background, 0};
  const int columns = out.grid.columns();
  const LONG first = engine.FirstVisibleLine();
  const CHARRANGE selection = engine.Selection();
  const bool show_selection = window.focused && selection.cpMin != selection.cpMax;
  for (int r = 0; r < band.height; ++r) {
    const int row = band.top + r;
    out.grid.Fill(row, 0, columns, blank);
    const LONG start = engine.LineStart(first + r);
    if (start < 0) continue;
    const LONG length = std::min<LONG>(engine.LineLength(start), columns);
    for (LONG i = 0; i < length; ++i) {
      const LONG pos = start + i;
      const auto byte = static_cast<unsigned char>(engine.CharAt(pos));
      const bool selected = show_selection && pos >= selection.cpMin && pos < selection.cpMax;
      // The wrap marker's tab (or form feed) and other controls show as blanks.
      const char shown = byte < 0x20 ? ' ' : static_cast<char>(byte);
      out.grid.Put(row, static_cast<int>(i), std::string_view(&shown, 1),
                   CharacterStyle(engine.FormatAt(pos), background, selected));
    }
  }
  out.zones.push_back(HitZone{HitZone::Kind::kWindow, band, 0, columns, window.number});

  if (caret.hwnd != window.hwnd || !caret.visible) return;
  const LONG pos = engine.CaretPosition();
  const LONG line = engine.LineFromChar(pos);
  const int row = band.top + static_cast<int>(line - first);
  const int column = static_cast<int>(pos - engine.LineStart(line));
  if (band.Contains(row) && column >= 0 && column < columns) out.cursor = CellPosition{row, column};
}

void PaintTabs(const TabStripView& strip, bool all_windows, int frame, bool active, int row, Painting& out) {
  const int columns = out.grid.columns();
  const Style bar = active ? kActiveBarStyle : kBarStyle;
  out.grid.Fill(row, 0, columns, bar);
  out.grid.Put(row, 0, "[=]", bar);
  out.zones.push_back(HitZone{HitZone::Kind::kLayoutButton, Band{row, 1}, 0, kLayoutButtonColumns, 0});
  const int count = static_cast<int>(strip.captions.size());
  if (count == 0) return;
  const int width = std::clamp((columns - kFirstTabColumn) / count, 3, kMaxTabColumns);
  for (int i = 0; i < count; ++i) {
    const int left = kFirstTabColumn + i * width;
    if (left + width > columns) break;
    const int window = WindowOfTab(all_windows, frame, i);
    // Tabs are made with blank captions; a blank tab shows its window's number.
    std::string label = Trimmed(strip.captions[static_cast<std::size_t>(i)]);
    if (label.empty()) label = std::to_string(window);
    label = label.substr(0, static_cast<std::size_t>(width - 2));
    Style style = bar;
    if (i == strip.selected) {
      style = kSelectedTabStyle;
    } else if (i < static_cast<int>(strip.highlighted.size()) && strip.highlighted[static_cast<std::size_t>(i)]) {
      style.attributes |= kBold;
    }
    out.grid.Fill(row, left, width - 1, style);
    const int pad = (width - 1 - static_cast<int>(label.size())) / 2;
    out.grid.Put(row, left + pad, label, style);
    out.grid.Put(row, left + width - 1, "|", bar);
    out.zones.push_back(HitZone{HitZone::Kind::kTab, Band{row, 1}, left, left + width - 1, window});
  }
}

void PaintStatusBar(const StatusBarView& bar, int row, Painting& out) {
  const int columns = out.grid.columns();
  out.grid.Fill(row, 0, columns, kBarStyle);
  const std::vector<int> widths = StatusPartWidths(bar, columns);
  int left = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    // Each part after the first begins with its separator.
    if (i > 0 && left < columns) out.grid.Put(row, left, "|", kBarStyle);
    if (widths[i] >= 2) out.grid.Put(row, left + 1, bar.parts[i], kBarStyle, widths[i] - 1);
    left += widths[i];
  }
}

}  // namespace

std::vector<int> StatusPartWidths(const StatusBarView& bar, int columns) {
  const std::size_t count = bar.parts.size();
  std::vector<int> widths(count, 0);
  std::vector<int> needs(count, 0);
  int left = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int edge = i < bar.right_edges.size() ? bar.right_edges[i] : -1;
    const int right = edge < 0 ? columns : std::clamp(edge / kPixelsPerColumn, left, columns);
    widths[i] = right - left;
    needs[i] = static_cast<int>(bar.parts[i].size()) + 1;  // with the separator or leading blank
    left = right;
  }
  for (std::size_t i = 0; i < count; ++i) {
    while (widths[i] < needs[i]) {
      std::size_t donor = count;
      int most = 0;
      for (std::size_t j = 0; j < count; ++j) {
        const int spare = widths[j] - needs[j];
        if (j != i && spare > most) {
          donor = j;
          most = spare;
        }
      }
      if (donor == count) break;
      const int moved = std::min(most, needs[i] - widths[i]);
      widths[donor] -= moved;
      widths[i] += moved;
    }
  }
  return widths;
}

int WindowOfTab(bool all_windows, int frame, int index) {
  if (all_windows) return index + 1;
  return 2 * index + (frame == 0 ? 1 : 2);
}

Painting PaintView(const ControlView& view, const ScreenLayout& layout) {
  Painting out;
  out.grid = CellGrid(layout.rows, layout.columns, kBarStyle);
  const int frames = layout.chrome.layout == 1 ? 1 : 2;
  for (int f = 0; f < frames; ++f) {
    if (layout.tabs[f].height > 0) {
      const TabStripView& strip = frames == 1 ? view.all_tabs : view.frame_tabs[f];
      PaintTabs(strip, frames == 1, f, frames == 2 && view.active_frame == f + 1, layout.tabs[f].top, out);
    }
    if (const ResWindowView* window = WindowInFrame(view, f)) {
      PaintWindow(*window, view.caret, layout.frames[f], out);
    }
  }
  if (layout.status.height > 0 && view.status_bar.exists) PaintStatusBar(view.status_bar, layout.status.top, out);
  return out;
}

Painting PaintTooSmall(int rows, int columns) {
  Painting out;
  const Style plain{Rgb{255, 255, 255}, Rgb{0, 0, 0}, 0};
  out.grid = CellGrid(rows, columns, plain);
  const std::string lines[] = {
      "The terminal is " + std::to_string(columns) + " x " + std::to_string(rows) + ".",
      "ZVEmul needs at least " + std::to_string(kMinColumns) + " x " + std::to_string(kMinRows) + ".",
      "Make it larger, or press Ctrl+\\ to leave.",
  };
  const int top = std::max(0, rows / 2 - 1);
  for (int i = 0; i < 3; ++i) {
    const int left = std::max(0, (columns - static_cast<int>(lines[i].size())) / 2);
    out.grid.Put(top + i, left, lines[i], plain);
  }
  return out;
}

int PageLines(const ControlView& view) {
  int lines = -1;
  for (int f = 0; f < (view.layout == 1 ? 1 : 2); ++f) {
    if (const ResWindowView* window = WindowInFrame(view, f)) {
      const int shown = static_cast<int>(window->engine->VisibleLineCount());
      lines = lines < 0 ? shown : std::min(lines, shown);
    }
  }
  return lines;
}

const HitZone* HitTest(const Painting& painting, int row, int column) {
  for (const HitZone& zone : painting.zones) {
    if (zone.rows.Contains(row) && column >= zone.first_column && column < zone.end_column) return &zone;
  }
  return nullptr;
}

}  // namespace zv::desk
