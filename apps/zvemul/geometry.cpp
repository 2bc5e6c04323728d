#include "apps/zvemul/geometry.h"

#include <algorithm>

namespace zv::desk {

ScreenLayout LayOutScreen(int rows, int columns, const Chrome& chrome) {
  ScreenLayout layout;
  layout.rows = rows;
  layout.columns = columns;
  layout.chrome = chrome;
  layout.too_small = rows < kMinRows || columns < kMinColumns;
  if (layout.too_small) return layout;

  const int tab_rows = chrome.tabs ? 1 : 0;
  int body = rows;
  if (chrome.status_bar) {
    layout.status = Band{rows - 1, 1};
    --body;
  }
  if (chrome.layout == 1) {
    layout.tabs[0] = Band{0, tab_rows};
    layout.frames[0] = Band{tab_rows, body - tab_rows};
    return layout;
  }
  // An odd row goes to frame 2, whose window then shows one line past its
  // page.
  const int text_rows = body - 2 * tab_rows;
  const int first = text_rows / 2;
  layout.tabs[0] = Band{0, tab_rows};
  layout.frames[0] = Band{tab_rows, first};
  layout.tabs[1] = Band{tab_rows + first, tab_rows};
  layout.frames[1] = Band{2 * tab_rows + first, text_rows - first};
  return layout;
}

int StartingLayout(int rows) {
  const ScreenLayout two = LayOutScreen(rows, kMinColumns, Chrome{});
  return !two.too_small && FrameRows(two) >= kAnswerRows ? 2 : 1;
}

int FrameRows(const ScreenLayout& layout) {
  if (layout.chrome.layout == 1) return layout.frames[0].height;
  return std::min(layout.frames[0].height, layout.frames[1].height);
}

SIZE ClientSizeFor(const ScreenLayout& layout, LONG line_height) {
  const int tab = layout.chrome.tabs ? kTabStripPixels : 0;
  const int status = layout.chrome.status_bar ? kStatusBarPixels : 0;
  const int frame = tab + FrameRows(layout) * static_cast<int>(line_height) + kResWindowFramePixels;
  const int height = (layout.chrome.layout == 1 ? frame : 2 * frame) + status;
  SIZE size;
  size.cx = std::clamp(layout.columns * kPixelsPerColumn, 1, kMaxClientPixels);
  size.cy = std::clamp(height, 1, kMaxClientPixels);
  return size;
}

int CorrectedClientHeight(int height, int wanted_lines, int shown_lines, LONG line_height, int layout) {
  const int frames = layout == 1 ? 1 : 2;
  return std::clamp(height + (wanted_lines - shown_lines) * static_cast<int>(line_height) * frames, 1,
                    kMaxClientPixels);
}

}  // namespace zv::desk
