#include "platform/held_menu.h"

namespace zv::platform {

UINT HeldMenu::Track(const Menu& menu, UINT, POINT at, HWND owner) {
  open_ = menu;
  at_ = at;
  owner_ = owner;
  return 0;
}

bool HeldMenu::Choose(UINT id) {
  if (!open_ || open_->FindEnabledCommand(id) == nullptr) return false;
  open_.reset();
  SendMenuCommand(owner_, id);
  return true;
}

}  // namespace zv::platform
