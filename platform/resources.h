// The resources a module carries: its icons, bitmaps and menus by resource
// id, as the resource section of a Windows module. A module's code loads
// them (icons at the size it needs); a resource that is missing fails the
// load.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/icon.h"
#include "platform/menus.h"
#include "platform/win_types.h"

namespace zv::platform {

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

  // Bitmaps are pictures at their own size; false for a malformed one.
  bool AddBitmap(UINT id, Icon bitmap);
  std::optional<Icon> LoadBitmap(UINT id) const;

  // A menu resource: a menu whose items open the popups.
  void AddMenu(UINT id, Menu menu) { menus_[id] = std::move(menu); }
  std::optional<Menu> LoadMenu(UINT id) const;

 private:
  std::map<UINT, Icon> icons_;
  std::map<UINT, Icon> bitmaps_;
  std::map<UINT, Menu> menus_;
};

}  // namespace zv::platform
