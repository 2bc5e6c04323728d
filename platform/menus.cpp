#include "platform/menus.h"

#include <algorithm>

#include "platform/desktop.h"
#include "platform/window.h"

namespace zv::platform {

MenuItem MenuItem::Command(UINT id, std::string text, bool grayed) {
  MenuItem item;
  item.id = id;
  item.text = std::move(text);
  item.grayed = grayed;
  return item;
}

MenuItem MenuItem::Separator() {
  MenuItem item;
  item.kind = Kind::kSeparator;
  return item;
}

MenuItem MenuItem::Submenu(std::string text, std::shared_ptr<const Menu> submenu, bool grayed) {
  MenuItem item;
  item.kind = Kind::kSubmenu;
  item.text = std::move(text);
  item.submenu = submenu ? std::move(submenu) : std::make_shared<const Menu>();
  item.grayed = grayed;
  return item;
}

MenuItem MenuItem::Bitmap(UINT id, UINT bitmap, Icon picture) {
  MenuItem item;
  item.kind = Kind::kBitmap;
  item.id = id;
  item.bitmap = bitmap;
  item.picture = std::move(picture);
  return item;
}

std::string_view MenuItem::Label() const {
  const std::string_view all = text;
  return all.substr(0, all.find('\t'));
}

std::string_view MenuItem::KeyName() const {
  const std::size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string_view() : std::string_view(text).substr(tab + 1);
}

void Menu::Insert(std::size_t position, MenuItem item) {
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(std::min(position, items_.size())), std::move(item));
}

bool Menu::RemoveCommand(UINT id) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    MenuItem& item = items_[i];
    if (item.kind == MenuItem::Kind::kSubmenu && item.submenu) {
      Menu copy = *item.submenu;
      if (copy.RemoveCommand(id)) {
        item.submenu = std::make_shared<const Menu>(std::move(copy));
        return true;
      }
    } else if (item.kind != MenuItem::Kind::kSeparator && item.id == id) {
      RemoveAt(i);
      return true;
    }
  }
  return false;
}

void Menu::RemoveAt(std::size_t position) {
  if (position < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
}

const MenuItem* Menu::FindEnabledCommand(UINT id) const {
  for (const MenuItem& item : items_) {
    if (item.grayed || item.kind == MenuItem::Kind::kSeparator) continue;
    if (item.kind == MenuItem::Kind::kSubmenu) {
      if (item.submenu) {
        if (const MenuItem* found = item.submenu->FindEnabledCommand(id)) return found;
      }
    } else if (item.id == id) {
      return &item;
    }
  }
  return nullptr;
}

UINT TrackPopupMenu(const Menu& menu, UINT flags, POINT at, HWND owner) {
  return CurrentDesktop().menus().Track(menu, flags, at, owner);
}

void SendMenuCommand(HWND owner, UINT id) {
  if (id != 0) SendMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
}

POINT GetCursorPos() { return CurrentDesktop().cursor_pos(); }

}  // namespace zv::platform
