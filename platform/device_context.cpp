#include "platform/device_context.h"

#include <utility>

namespace zv::platform {

COLORREF DeviceContext::SetTextColor(COLORREF color) { return std::exchange(text_color_, color); }

COLORREF DeviceContext::SetBkColor(COLORREF color) { return std::exchange(back_color_, color); }

int DeviceContext::SetBkMode(int mode) {
  if (mode != OPAQUE && mode != TRANSPARENT) return 0;
  return std::exchange(bk_mode_, mode);
}

BOOL DeviceContext::TextOut(int x, int y, std::string_view text) {
  runs_.push_back({POINT{x, y}, std::string(text), text_color_, back_color_, bk_mode_ == OPAQUE});
  return TRUE;
}

}  // namespace zv::platform
