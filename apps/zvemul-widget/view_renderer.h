// Draws what the control's view reports, in pixels of the control's client
// area: the tab strips with the texts the control drew on its tabs, the
// ReSize button's icon and the INS field, the frames' res windows (their
// lines from the first visible one, in the window's font with each
// character's colours, bold and underline, the selection and the caret) and
// the status bar's parts. It also answers where a point falls in a window's
// text, for the mouse.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QRectF>
#include <QSize>
#include <optional>
#include <vector>

#include "control/zvemul_surface.h"

namespace zv::widget {

// The font a res window's text is drawn in: its default character format's
// face and size, resolved by fontconfig through QFont, and the width of one
// character cell: the font's own advance, fractions kept, so that a run
// drawn from any column lands where the characters before it end.
struct WindowFont {
  QFont font;
  qreal cell_width = 8;
  int ascent = 12;
  int height = 16;
};
WindowFont FontFor(const platform::CharFormat& format);

struct TextHit {
  HWND hwnd = 0;
  int window = 0;
  LONG position = 0;
};

class ViewRenderer {
 public:
  void Paint(QPainter& painter, const ControlView& view);
  // The character position under a point of a shown res window (past a
  // line's end, that line's end; below the text, its end).
  std::optional<TextHit> HitText(const ControlView& view, QPoint point);
  // The point below the caret, when the caret is shown.
  std::optional<QPoint> CaretPoint(const ControlView& view);
  // The client size that shows 64 columns and `lines` lines a frame, two
  // frames, at the default font.
  static QSize PreferredSize(int lines);

 private:
  const WindowFont& Font(const platform::CharFormat& format);
  // Where the caret stands in a window; none when it is not there or hidden.
  std::optional<QRectF> CaretRect(const ControlView& view, const ResWindowView& window);

  std::vector<std::pair<platform::CharFormat, WindowFont>> fonts_;
};

// The window each frame shows (null where none): in one frame the current
// window, in two each frame's own.
std::vector<const ResWindowView*> ShownWindows(const ControlView& view);

}  // namespace zv::widget
