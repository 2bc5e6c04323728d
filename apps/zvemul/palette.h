// Colours: the control's COLORREF values as RGB, and the nearest colour of
// a terminal's palette when it cannot show RGB itself.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace zv::desk {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// COLORREF is 0x00BBGGRR.
constexpr Rgb FromColorRef(COLORREF color) {
  return Rgb{static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
             static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

// The RGB of palette colour `index` as xterm shows it: 16 system colours, the
// 6 x 6 x 6 cube and 24 greys.
Rgb PaletteColor(int index);

// The palette colour nearest to `color` among the first `colors` (8, 16 or
// 256; other counts use the largest of those they hold).
int NearestPaletteIndex(Rgb color, int colors);

}  // namespace zv::desk
