// The headless menu service: a menu shown stays open, drawn nowhere, until
// the container chooses one of its commands or closes it. A menu shown
// while one is open replaces it, as a new popup closes the old one.
#pragma once

#include <optional>

#include "platform/menus.h"

namespace zv::platform {

class HeldMenu : public MenuService {
 public:
  // Keeps the menu and answers 0: the choice comes later.
  UINT Track(const Menu& menu, UINT flags, POINT at, HWND owner) override;

  const std::optional<Menu>& open() const { return open_; }
  POINT at() const { return at_; }
  // Closes the menu and sends the owner the command; false, and the menu
  // stays open, when no enabled item of it has that command.
  bool Choose(UINT id);
  void Close() { open_.reset(); }

 private:
  std::optional<Menu> open_;
  POINT at_;
  HWND owner_ = 0;
};

}  // namespace zv::platform
