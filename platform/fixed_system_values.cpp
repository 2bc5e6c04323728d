#include "platform/fixed_system_values.h"

namespace zv::platform {

FixedSystemValues::FixedSystemValues()
    : colors_{{COLOR_WINDOW, 0x00FFFFFF},        {COLOR_WINDOWTEXT, 0x00000000}, {COLOR_HIGHLIGHT, 0x00D77800},
              {COLOR_HIGHLIGHTTEXT, 0x00FFFFFF}, {COLOR_BTNFACE, 0x00F0F0F0},    {COLOR_GRAYTEXT, 0x006D6D6D},
              {COLOR_BTNTEXT, 0x00000000}} {}

COLORREF FixedSystemValues::SysColor(int index) {
  auto it = colors_.find(index);
  return it != colors_.end() ? it->second : 0;
}

}  // namespace zv::platform
