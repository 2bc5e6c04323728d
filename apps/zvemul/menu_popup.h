// A popup menu as the desk shows it: a framed list drawn over the screens
// at the pointer, with its open submenus beside it. The desk's modal loop
// feeds it keys and clicks until a command is chosen or the menu closes.
// A list taller than the terminal scrolls inside its frame.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "apps/zvemul/cell_grid.h"
#include "apps/zvemul/key_decoder.h"
#include "apps/zvemul/terminal.h"
#include "platform/menus.h"

namespace zv::desk {

class MenuPopup {
 public:
  // Opens at `anchor`, centred on its column as a right-button menu is.
  MenuPopup(const platform::Menu& menu, CellPosition anchor);

  // Up and Down move, Right or Enter opens a submenu, Enter chooses a
  // command, Left and Esc close the innermost list, a letter chooses the
  // one item it starts (or moves among several). The command chosen, or 0
  // when the menu closed; nothing while it stays open.
  std::optional<int> Handle(const DeskAction& action);
  int DismissAnswer() const { return 0; }

  // Paints the lists over `grid` and remembers where their items are.
  void Paint(CellGrid& grid);
  // A click on an item acts as Enter on it; a click outside closes the menu.
  std::optional<int> Click(int row, int column);

  // The open lists, outermost first, and the focused item of each.
  std::size_t depth() const { return levels_.size(); }
  int focused() const { return levels_.back().focused; }

 private:
  struct Level {
    const platform::Menu* menu = nullptr;
    int focused = -1;
    int first_shown = 0;  // the first item in sight when the list scrolls
    // Where it was last painted: the frame's corner and size.
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
  };

  // Enter on the focused item of the innermost list.
  std::optional<int> Activate();
  // Moves the focus by `step` over the items that can take it.
  void Move(int step);
  void PaintLevel(CellGrid& grid, Level& level, int row, int column);

  std::shared_ptr<const platform::Menu> root_;
  std::vector<Level> levels_;
  CellPosition anchor_;
};

// The desk's menu service: each menu is a modal popup at the anchor the
// desk set last (where the right button went down, or the caret for the
// keyboard's menu key). The exit keys or a signal close it without a choice
// and leave the desk once the control's call returns.
class CursesMenus final : public platform::MenuService {
 public:
  explicit CursesMenus(Terminal& terminal) : terminal_(terminal) {}

  UINT Track(const platform::Menu& menu, UINT flags, POINT at, HWND owner) override;

  void set_anchor(CellPosition anchor) { anchor_ = anchor; }
  bool quit_requested() const { return quit_requested_; }

 private:
  Terminal& terminal_;
  CellPosition anchor_;
  bool quit_requested_ = false;
};

}  // namespace zv::desk
