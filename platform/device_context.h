// A device context that records what is drawn on it. Owner drawing writes
// through one; containers draw what it recorded, in order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

class DeviceContext {
 public:
  // One text output: the text at a point with the colours in effect; the
  // background is filled behind the text only when opaque.
  struct TextRun {
    POINT at;
    std::string text;
    COLORREF text_color = 0;
    COLORREF back_color = 0;
    bool opaque = true;
    friend bool operator==(const TextRun&, const TextRun&) = default;
  };

  // Starts with the given colours and an opaque background, as a control
  // prepares the context it hands to owner drawing.
  DeviceContext(COLORREF text_color, COLORREF back_color) : text_color_(text_color), back_color_(back_color) {}

  // Each returns the previous value.
  COLORREF SetTextColor(COLORREF color);
  COLORREF SetBkColor(COLORREF color);
  int SetBkMode(int mode);  // OPAQUE or TRANSPARENT; 0 and no change for others

  BOOL TextOut(int x, int y, std::string_view text);

  const std::vector<TextRun>& runs() const { return runs_; }

 private:
  COLORREF text_color_;
  COLORREF back_color_;
  int bk_mode_ = OPAQUE;
  std::vector<TextRun> runs_;
};

}  // namespace zv::platform
