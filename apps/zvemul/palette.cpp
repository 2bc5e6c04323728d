#include "apps/zvemul/palette.h"

#include <array>
#include <limits>

namespace zv::desk {
namespace {

constexpr std::array<Rgb, 16> kSystemColors{{
    {0, 0, 0},
    {205, 0, 0},
    {0, 205, 0},
    {205, 205, 0},
    {0, 0, 238},
    {205, 0, 205},
    {0, 205, 205},
    {229, 229, 229},
    {127, 127, 127},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {92, 92, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

constexpr std::array<std::uint8_t, 6> kCubeLevels{0, 95, 135, 175, 215, 255};

// Squared distance weighted roughly by the eye's sensitivity.
long Distance(Rgb a, Rgb b) {
  const long dr = a.r - b.r;
  const long dg = a.g - b.g;
  const long db = a.b - b.b;
  return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

}  // namespace

Rgb PaletteColor(int index) {
  if (index < 0 || index > 255) return Rgb{};
  if (index < 16) return kSystemColors[static_cast<std::size_t>(index)];
  if (index < 232) {
    const int cube = index - 16;
    return Rgb{kCubeLevels[static_cast<std::size_t>(cube / 36)], kCubeLevels[static_cast<std::size_t>(cube / 6 % 6)],
               kCubeLevels[static_cast<std::size_t>(cube % 6)]};
  }
  const auto grey = static_cast<std::uint8_t>(8 + 10 * (index - 232));
  return Rgb{grey, grey, grey};
}

int NearestPaletteIndex(Rgb color, int colors) {
  // With 256 colours the cube and greys are used: the 16 system colours
  // follow the terminal's theme, the others are fixed.
  int first = 0;
  int end = 8;
  if (colors >= 256) {
    first = 16;
    end = 256;
  } else if (colors >= 16) {
    end = 16;
  }
  int best = first;
  long best_distance = std::numeric_limits<long>::max();
  for (int i = first; i < end; ++i) {
    const long d = Distance(color, PaletteColor(i));
    if (d < best_distance) {
      best = i;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace zv::desk
