// The resources a module carries: its icons by resource id, as the resource
// section of a Windows module. A module's code loads them at the size it
// needs; a resource that is missing fails the load.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

// A two-colour icon: `height` rows of `width` characters, '#' for a pixel
// in the foreground colour and ' ' for a transparent one.
struct Icon {
  int width = 0;
  int height = 0;
  std::vector<std::string> rows;
  friend bool operator==(const Icon&, const Icon&) = default;
};

class ResourceModule {
 public:
  static constexpr int kMaxIconSide = 256;

  // False for an icon whose rows do not match its size or hold other
  // characters; an icon with the same id is replaced.
  bool AddIcon(UINT id, Icon icon);
  bool RemoveIcon(UINT id);
  bool HasIcon(UINT id) const { return icons_.contains(id); }

  // The icon drawn at cx x cy (each side 1 to kMaxIconSide), pixels taken
  // from the nearest source pixel; none when the module has no such icon.
  std::optional<Icon> LoadIcon(UINT id, int cx, int cy) const;

 private:
  std::map<UINT, Icon> icons_;
};

}  // namespace zv::platform
