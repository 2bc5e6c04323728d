#include "apps/zvemul/menu_popup.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "apps/zvemul/modal_loop.h"
#include "apps/zvemul/view_painter.h"

namespace zv::desk {
namespace {

using platform::MenuItem;

constexpr Style kGrayedStyle{Rgb{110, 110, 110}, Rgb{192, 192, 192}, 0};
constexpr int kMinWidth = 12;
// Between an item's label and its key name, or its submenu mark.
constexpr int kGap = 3;

bool CanFocus(const MenuItem& item) { return item.kind != MenuItem::Kind::kSeparator; }

// A bitmap item shows its picture as one arrow: pointing up when the
// picture widens downwards.
char32_t ArrowOf(const platform::Icon& picture) {
  if (picture.rows.empty()) return U'\u25A0';
  const auto ink = [](const std::string& row) { return std::count(row.begin(), row.end(), '#'); };
  return ink(picture.rows.back()) >= ink(picture.rows.front()) ? U'\u25B2' : U'\u25BC';
}

int InnerWidth(const platform::Menu& menu) {
  int width = kMinWidth;
  for (const MenuItem& item : menu.items()) {
    int need = static_cast<int>(item.Label().size());
    if (!item.KeyName().empty()) need += kGap + static_cast<int>(item.KeyName().size());
    if (item.kind == MenuItem::Kind::kSubmenu) need += kGap;
    width = std::max(width, need + 2);
  }
  return width;
}

}  // namespace

MenuPopup::MenuPopup(const platform::Menu& menu, CellPosition anchor)
    : root_(std::make_shared<const platform::Menu>(menu)), anchor_(anchor) {
  levels_.push_back(Level{root_.get()});
  Move(1);
}

void MenuPopup::Move(int step) {
  Level& level = levels_.back();
  const auto& items = level.menu->items();
  const int count = static_cast<int>(items.size());
  int at = level.focused;
  for (int i = 0; i < count; ++i) {
    at = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    if (CanFocus(items[static_cast<std::size_t>(at)])) {
      level.focused = at;
      return;
    }
  }
}

std::optional<int> MenuPopup::Activate() {
  const Level& level = levels_.back();
  if (level.focused < 0) return std::nullopt;
  const MenuItem& item = level.menu->items()[static_cast<std::size_t>(level.focused)];
  if (item.grayed) return std::nullopt;
  if (item.kind == MenuItem::Kind::kSubmenu) {
    if (item.submenu && !item.submenu->empty()) {
      levels_.push_back(Level{item.submenu.get()});
      Move(1);
    }
    return std::nullopt;
  }
  return static_cast<int>(item.id);
}

std::optional<int> MenuPopup::Handle(const DeskAction& action) {
  char letter = 0;
  if (action.kind == DeskAction::Kind::kType && action.text.size() == 1) letter = action.text[0];
  if (action.kind == DeskAction::Kind::kPress && !action.modifiers.ctrl && !action.modifiers.alt) {
    switch (action.vk) {
      case VK_UP:
        Move(-1);
        return std::nullopt;
      case VK_DOWN:
        Move(1);
        return std::nullopt;
      case VK_RIGHT: {
        const Level& level = levels_.back();
        if (level.focused >= 0 &&
            level.menu->items()[static_cast<std::size_t>(level.focused)].kind == MenuItem::Kind::kSubmenu) {
          return Activate();
        }
        return std::nullopt;
      }
      case VK_LEFT:
        if (levels_.size() > 1) levels_.pop_back();
        return std::nullopt;
      case VK_ESCAPE:
        if (levels_.size() == 1) return 0;
        levels_.pop_back();
        return std::nullopt;
      case VK_RETURN:
        return Activate();
      default:
        if ((action.vk >= 'A' && action.vk <= 'Z') || (action.vk >= '0' && action.vk <= '9')) {
          letter = static_cast<char>(action.vk);
        }
        break;
    }
  }
  if (letter == 0) return std::nullopt;
  // The items the letter starts: one is chosen, among several the focus moves on.
  Level& level = levels_.back();
  const auto& items = level.menu->items();
  const int count = static_cast<int>(items.size());
  std::vector<int> matches;
  for (int i = 0; i < count; ++i) {
    const std::string_view label = items[static_cast<std::size_t>(i)].Label();
    if (!label.empty() && std::toupper(static_cast<unsigned char>(label[0])) ==
                              std::toupper(static_cast<unsigned char>(letter))) {
      matches.push_back(i);
    }
  }
  if (matches.empty()) return std::nullopt;
  if (matches.size() == 1) {
    level.focused = matches[0];
    return Activate();
  }
  const auto next = std::upper_bound(matches.begin(), matches.end(), level.focused);
  level.focused = next != matches.end() ? *next : matches.front();
  return std::nullopt;
}

void MenuPopup::PaintLevel(CellGrid& grid, Level& level, int row, int column) {
  const auto& items = level.menu->items();
  const int count = static_cast<int>(items.size());
  const int shown = std::max(1, std::min(count, grid.rows() - 2));
  level.width = std::min(InnerWidth(*level.menu) + 2, grid.columns());
  level.height = shown + 2;
  level.top = std::clamp(row, 0, std::max(0, grid.rows() - level.height));
  level.left = std::clamp(column, 0, std::max(0, grid.columns() - level.width));
  if (level.focused >= 0) {
    level.first_shown = std::clamp(level.first_shown, level.focused - shown + 1, level.focused);
  }
  level.first_shown = std::clamp(level.first_shown, 0, std::max(0, count - shown));

  grid.Box(level.top, level.left, level.height, level.width, kBarStyle);
  const int inner = level.width - 2;
  if (level.first_shown > 0) grid.Set(level.top, level.left + level.width - 3, Cell{U'\u25B2', kBarStyle});
  if (level.first_shown + shown < count) {
    grid.Set(level.top + level.height - 1, level.left + level.width - 3, Cell{U'\u25BC', kBarStyle});
  }
  for (int i = 0; i < shown && level.first_shown + i < count; ++i) {
    const int index = level.first_shown + i;
    const MenuItem& item = items[static_cast<std::size_t>(index)];
    const int y = level.top + 1 + i;
    const int x = level.left + 1;
    Style style = item.grayed ? kGrayedStyle : kBarStyle;
    if (index == level.focused) style = kSelectedTabStyle;
    grid.Fill(y, x, inner, style);
    switch (item.kind) {
      case MenuItem::Kind::kSeparator:
        for (int c = 0; c < inner; ++c) grid.Set(y, x + c, Cell{U'\u2500', kBarStyle});
        break;
      case MenuItem::Kind::kBitmap:
        grid.Set(y, x + inner / 2, Cell{ArrowOf(item.picture), style});
        break;
      default: {
        grid.Put(y, x + 1, item.Label(), style, inner - 1);
        const std::string_view right = item.kind == MenuItem::Kind::kSubmenu ? std::string_view(">") : item.KeyName();
        if (!right.empty()) grid.Put(y, x + inner - 1 - static_cast<int>(right.size()), right, style);
        break;
      }
    }
  }
}

void MenuPopup::Paint(CellGrid& grid) {
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    Level& level = levels_[i];
    if (i == 0) {
      const int width = std::min(InnerWidth(*level.menu) + 2, grid.columns());
      PaintLevel(grid, level, anchor_.row, anchor_.column - width / 2);
      continue;
    }
    // Beside the item that opened it, on the right where it fits.
    const Level& parent = levels_[i - 1];
    const int width = std::min(InnerWidth(*level.menu) + 2, grid.columns());
    int left = parent.left + parent.width;
    if (left + width > grid.columns()) left = std::max(0, parent.left - width);
    PaintLevel(grid, level, parent.top + (parent.focused - parent.first_shown), left);
  }
}

std::optional<int> MenuPopup::Click(int row, int column) {
  for (std::size_t i = levels_.size(); i-- > 0;) {
    const Level& level = levels_[i];
    if (row < level.top || row >= level.top + level.height || column < level.left ||
        column >= level.left + level.width) {
      continue;
    }
    const int index = level.first_shown + row - level.top - 1;
    const bool on_item = row > level.top && row < level.top + level.height - 1 && index >= 0 &&
                         index < static_cast<int>(level.menu->size());
    if (!on_item || !CanFocus(level.menu->items()[static_cast<std::size_t>(index)])) return std::nullopt;
    levels_.resize(i + 1);
    levels_.back().focused = index;
    return Activate();
  }
  return 0;
}

UINT CursesMenus::Track(const platform::Menu& menu, UINT, POINT, HWND) {
  MenuPopup popup(menu, anchor_);
  // The screen comes back as it was, so that a menu opened again at once
  // (a submenu's next page) is drawn over the screens, not over this one.
  const CellGrid backdrop = terminal_.shown();
  const int chosen = RunModal(terminal_, popup, quit_requested_);
  if (terminal_.active()) terminal_.Show(backdrop, std::nullopt);
  return static_cast<UINT>(chosen);
}

}  // namespace zv::desk
