// Where the control's parts go on the terminal, and the client size in
// pixels that makes the control's own page arithmetic fit those rows.
//
// Each part takes whole rows: a tab strip one row above each frame, the
// frames' windows the rows between, the status bar the last row. The
// control is given a client height at which each frame's res window shows
// exactly as many lines as the frame has rows, counted at the line height
// of the current font; columns count kPixelsPerColumn pixels each.
#pragma once

#include "platform/win_types.h"

namespace zv::desk {

inline constexpr int kMinColumns = 80;
inline constexpr int kMinRows = 24;
// At six pixels a column the status bar's fixed parts (date, time) hold
// their texts at any width.
inline constexpr int kPixelsPerColumn = 6;
// The control keeps its client size in 16 bits.
inline constexpr int kMaxClientPixels = 32767;

// The control's own pixel sizes that the first estimate of the client
// height uses; the desk corrects the estimate by what the windows show.
inline constexpr int kTabStripPixels = 18;
inline constexpr int kStatusBarPixels = 18;
inline constexpr int kResWindowFramePixels = 19;  // border and horizontal scroll bar

// Rows [top, top + height) of the terminal; height 0: not shown.
struct Band {
  int top = 0;
  int height = 0;
  bool Contains(int row) const { return row >= top && row < top + height; }
};

// What the control shows around its windows.
struct Chrome {
  int layout = 2;  // 1 one frame, 2 two frames
  bool tabs = true;
  bool status_bar = true;
  friend bool operator==(const Chrome&, const Chrome&) = default;
};

struct ScreenLayout {
  int rows = 0;
  int columns = 0;
  bool too_small = false;
  Chrome chrome;
  // Two frames: tab strip and window of frame 1 and frame 2. One frame:
  // index 0 only (the strip of all windows).
  Band tabs[2];
  Band frames[2];
  Band status;
};

ScreenLayout LayOutScreen(int rows, int columns, const Chrome& chrome);

// A host page: 15 rows, and the row of the start-of-message mark that ends
// every answer.
inline constexpr int kHostPageRows = 15;
inline constexpr int kAnswerRows = kHostPageRows + 1;

// The layout the desk starts with in a terminal of that many rows: two
// frames (under their strips, above the status bar) when each shows a whole
// answer of a page, else one, so that a display is never cut.
int StartingLayout(int rows);

// The fewest rows a shown frame has: the lines every window must show.
int FrameRows(const ScreenLayout& layout);

// First estimate of the control's client size for the layout.
SIZE ClientSizeFor(const ScreenLayout& layout, LONG line_height);

// The client height corrected by the lines a frame's window shows against
// the lines it should show (each frame's window follows the height by half
// in the two-frame layout).
int CorrectedClientHeight(int height, int wanted_lines, int shown_lines, LONG line_height, int layout);

}  // namespace zv::desk
