// A message box as the desk shows it: a framed box in the middle of the
// screen with its caption, its text and the buttons of its type. The desk's
// modal loop feeds it keys and clicks until one of them answers the box.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apps/zvemul/cell_grid.h"
#include "apps/zvemul/key_decoder.h"

namespace zv::desk {

class MessageDialog {
 public:
  MessageDialog(std::string text, std::string caption, UINT type);

  // IDOK, IDCANCEL, IDYES, IDNO in the order shown.
  const std::vector<int>& buttons() const { return buttons_; }
  int focused() const { return focused_; }

  // Arrows and Tab move between the buttons, Enter and Space press the
  // focused one, a button's first letter presses it, Esc cancels where the
  // box has a way to (Cancel, or OK alone). The answer, when the box closes.
  std::optional<int> Handle(const DeskAction& action);

  // The answer when the desk has to close the box itself.
  int DismissAnswer() const;

  // Paints the box over `grid` and remembers where its buttons are.
  void Paint(CellGrid& grid);
  // The answer of a click on a button of the last painting.
  std::optional<int> Click(int row, int column) const;

 private:
  struct ButtonZone {
    int row = 0;
    int first_column = 0;
    int end_column = 0;
    int answer = 0;
  };

  std::vector<std::string> Lines(int width) const;

  std::string text_;
  std::string caption_;
  std::vector<int> buttons_;
  int focused_ = 0;
  std::vector<ButtonZone> zones_;
};

// The label of a button answer ("OK", "Cancel", "Yes", "No").
std::string ButtonLabel(int answer);

// A dialog's framed box: filled, framed with lines, the caption in the top
// edge.
void PaintDialogBox(CellGrid& grid, int top, int left, int width, int height, std::string_view caption);

}  // namespace zv::desk
