// A two-colour picture, as the module's icons and bitmaps are drawn.
#pragma once

#include <string>
#include <vector>

namespace zv::platform {

// `height` rows of `width` characters, '#' for a pixel in the foreground
// colour and ' ' for a transparent one.
struct Icon {
  int width = 0;
  int height = 0;
  std::vector<std::string> rows;
  friend bool operator==(const Icon&, const Icon&) = default;
};

}  // namespace zv::platform
