// Popup menus: the logic builds a Menu, a plain list of items, and hands it
// to the desktop's menu service to be shown; the choice comes back to the
// owner window's command handler as WM_COMMAND (wParam the command id in
// its low word, notification code 0 in its high word; lParam 0).
//
// A container supplies the MenuService the way it supplies message boxes.
// Its Track shows the menu at a point of the top-level window (the pointer,
// see Desktop::cursor_pos) and does one of two things:
//   - shows it modally and answers the command chosen, or 0 when the menu
//     closed without a choice; TrackPopupMenu hands that answer to its
//     caller, which sends it to the owner after its own clean-up (Windows'
//     TPM_RETURNCMD), so that the owner's handler may open a menu again;
//   - keeps the menu open past the call and answers 0; when the agent
//     chooses later, the container calls SendMenuCommand(owner, id) itself.
// Only commands of enabled items (not separators, not submenu items) can be
// chosen. The menu handed to Track is the service's to copy; the caller
// destroys its own after the call.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/icon.h"
#include "platform/win_types.h"

namespace zv::platform {

// TrackPopupMenu flags the logic passes (the container may use them to place the menu).
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;

class Menu;

struct MenuItem {
  enum class Kind { kCommand, kSeparator, kSubmenu, kBitmap };

  Kind kind = Kind::kCommand;
  UINT id = 0;  // the command; 0 for separators and submenu items
  // "Cut\tCtrl+X": a tab separates the key name, shown at the right edge.
  std::string text;
  bool grayed = false;  // shown disabled, cannot be chosen or opened
  std::shared_ptr<const Menu> submenu;  // the popup a submenu item opens
  // A bitmap item: the module's bitmap id and its picture (see resources.h).
  UINT bitmap = 0;
  Icon picture;

  static MenuItem Command(UINT id, std::string text, bool grayed = false);
  static MenuItem Separator();
  static MenuItem Submenu(std::string text, std::shared_ptr<const Menu> submenu, bool grayed = false);
  static MenuItem Bitmap(UINT id, UINT bitmap, Icon picture);
  // The text before the tab, and the key name after it (empty without a tab).
  std::string_view Label() const;
  std::string_view KeyName() const;
};

class Menu {
 public:
  void Append(MenuItem item) { items_.push_back(std::move(item)); }
  // Before the item at `position`; at the end when position is past it.
  void Insert(std::size_t position, MenuItem item);
  // Removes the first item (at any depth) with command `id`; false when none.
  bool RemoveCommand(UINT id);
  void RemoveAt(std::size_t position);
  // The command item with this id at any depth, enabled and inside enabled
  // submenus; null when there is none.
  const MenuItem* FindEnabledCommand(UINT id) const;

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const std::vector<MenuItem>& items() const { return items_; }

 private:
  std::vector<MenuItem> items_;
};

class MenuService {
 public:
  virtual ~MenuService() = default;
  // See the top of this file. `at` is in the top-level window's client
  // coordinates; `flags` are the TPM_* placement flags.
  virtual UINT Track(const Menu& menu, UINT flags, POINT at, HWND owner) = 0;
};

// ---- On the current desktop ---------------------------------------------------------------------
// Shows the menu through the desktop's service; the command chosen while
// the call lasted, or 0.
UINT TrackPopupMenu(const Menu& menu, UINT flags, POINT at, HWND owner);
// WM_COMMAND with the command to the owner; nothing for 0 or a window that is gone.
void SendMenuCommand(HWND owner, UINT id);
// Where the pointer is, in the top-level window's client coordinates, as
// the container last set it.
POINT GetCursorPos();

}  // namespace zv::platform
