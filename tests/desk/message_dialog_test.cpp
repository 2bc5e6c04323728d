// The desk's message boxes: the buttons of each type, the keys and clicks
// that answer them, and the box painted inside the terminal.

#include <gtest/gtest.h>

#include <vector>

#include "apps/zvemul/message_dialog.h"

namespace zv::desk {
namespace {

DeskAction Key(UINT vk, bool shift = false) {
  DeskAction action;
  action.kind = DeskAction::Kind::kPress;
  action.vk = vk;
  action.modifiers.shift = shift;
  return action;
}

TEST(MessageDialog, EachTypeHasItsButtonsAndAnAnswerWhenTheDeskClosesIt) {
  EXPECT_EQ(MessageDialog("t", "c", MB_OKCANCEL | MB_ICONWARNING).buttons(), (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_EQ(MessageDialog("t", "c", MB_YESNOCANCEL).DismissAnswer(), IDCANCEL);
  EXPECT_EQ(MessageDialog("t", "c", MB_YESNO).DismissAnswer(), IDNO);
  EXPECT_EQ(MessageDialog("t", "c", MB_OK).DismissAnswer(), IDOK);
}

TEST(MessageDialog, KeysMoveBetweenButtonsAndAnswer) {
  MessageDialog yes_no_cancel("Save?", "", MB_YESNOCANCEL);
  EXPECT_FALSE(yes_no_cancel.Handle(Key(VK_RIGHT)));
  EXPECT_FALSE(yes_no_cancel.Handle(Key(VK_TAB)));
  EXPECT_FALSE(yes_no_cancel.Handle(Key(VK_TAB, true)));
  EXPECT_EQ(yes_no_cancel.Handle(Key(VK_RETURN)), IDNO);
  EXPECT_EQ(yes_no_cancel.Handle(Key('Y')), IDYES);
  EXPECT_EQ(yes_no_cancel.Handle(Key(VK_ESCAPE)), IDCANCEL);

  MessageDialog yes_no("Sure?", "", MB_YESNO);
  EXPECT_FALSE(yes_no.Handle(Key(VK_ESCAPE))) << "a yes/no box has no way to cancel";
  EXPECT_FALSE(yes_no.Handle(Key('Q')));
  DeskAction space;
  space.kind = DeskAction::Kind::kType;
  space.text = " ";
  EXPECT_EQ(yes_no.Handle(space), IDYES);

  EXPECT_EQ(MessageDialog("SOM not found", "", MB_OK).Handle(Key(VK_ESCAPE)), IDOK);
}

TEST(MessageDialog, PaintedInTheMiddleWithItsTextWrappedAndButtonsClickable) {
  MessageDialog dialog("No more than 5 requests can be queued. \nPlease press ESC twice to clear the queue", "ZVEmul",
                       MB_OKCANCEL);
  CellGrid grid(24, 80);
  dialog.Paint(grid);
  std::string all;
  int button_row = -1;
  for (int r = 0; r < grid.rows(); ++r) {
    const std::string row = grid.RowText(r);
    all += row + "\n";
    if (row.find("[ Cancel ]") != std::string::npos) button_row = r;
  }
  EXPECT_NE(all.find(" ZVEmul "), std::string::npos);
  EXPECT_NE(all.find("No more than 5 requests can be queued."), std::string::npos);
  EXPECT_NE(all.find("Please press ESC twice to clear the queue"), std::string::npos);
  ASSERT_GE(button_row, 0);
  const int cancel = static_cast<int>(grid.RowText(button_row).find("[ Cancel ]"));
  EXPECT_EQ(dialog.Click(button_row, cancel + 3), IDCANCEL);
  EXPECT_FALSE(dialog.Click(button_row - 1, cancel + 3));
}

}  // namespace
}  // namespace zv::desk
