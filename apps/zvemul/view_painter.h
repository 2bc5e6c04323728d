// Paints what the control shows, as its view reports it, into a cell grid:
// the frames' res windows (their lines from the first visible one, with
// each character's colours), the tab strips, the status bar and the caret.
#pragma once

#include <optional>
#include <vector>

#include "apps/zvemul/cell_grid.h"
#include "apps/zvemul/geometry.h"
#include "control/zvemul_surface.h"

namespace zv::desk {

// A place the mouse can click.
struct HitZone {
  enum class Kind { kTab, kLayoutButton, kWindow };
  Kind kind = Kind::kTab;
  Band rows;
  int first_column = 0;
  int end_column = 0;
  int window = 0;  // kTab and kWindow: the window's number
};

struct Painting {
  CellGrid grid;
  std::optional<CellPosition> cursor;  // the caret, when it is on screen
  std::vector<HitZone> zones;
};

// Chrome colours: the strips and the bar in the desktop's button face.
inline constexpr Style kBarStyle{Rgb{0, 0, 0}, Rgb{192, 192, 192}, 0};
inline constexpr Style kSelectedTabStyle{Rgb{255, 255, 255}, Rgb{120, 120, 120}, kBold};
// The tab strip of the active frame, when two frames are shown: the agent
// always sees which frame the keys go to.
inline constexpr Style kActiveBarStyle{Rgb{0, 0, 0}, Rgb{0, 170, 170}, kBold};

Painting PaintView(const ControlView& view, const ScreenLayout& layout);

// The plain notice shown instead of the control on a terminal below the
// smallest size.
Painting PaintTooSmall(int rows, int columns);

// The lines a page holds: the fewest that a shown frame's window shows; -1
// when no frame shows a window.
int PageLines(const ControlView& view);

// The columns of each status bar part: the control's right edges at
// kPixelsPerColumn, widened where a text does not fit by the spare columns
// of parts whose texts are shorter than their room.
std::vector<int> StatusPartWidths(const StatusBarView& bar, int columns);

const HitZone* HitTest(const Painting& painting, int row, int column);

// The window number of tab `index` of a strip: the all-windows strip, or a
// frame's strip (frame 1 odd windows, frame 2 even ones).
int WindowOfTab(bool all_windows, int frame, int index);

}  // namespace zv::desk
