// Tab strips and buttons as their parents hear them, owner drawing, icons
// and clicks delivered at a point.
#include "platform/common_controls.h"

#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "platform/mouse_input.h"
#include "tests/platform/recording_window.h"

namespace zv::platform {
namespace {

using testing::RecordingWindow;

class CommonControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Create(WS_VISIBLE, RECT{0, 0, 400, 100}, nullptr, 0));
    parent.handler = [this](UINT message, WPARAM, LPARAM lparam) -> std::optional<LRESULT> {
      if (message == WM_NOTIFY) {
        const UINT code = reinterpret_cast<const NMHDR*>(lparam)->code;
        notifications.push_back(code);
        return code == TCN_SELCHANGING && refuse_change ? 1 : 0;
      }
      if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        item->hDC->SetBkMode(TRANSPARENT);
        item->hDC->TextOut(item->rcItem.left, item->rcItem.top, std::to_string(item->itemID) +
                                                                    (item->itemState & ODS_SELECTED ? "*" : ""));
        return TRUE;
      }
      return std::nullopt;
    };
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, RECT{10, 20, 310, 40}, &parent, 50));
    for (int i = 0; i < 3; ++i) tabs.InsertItem(i, "T");
  }
  void Click(LONG x, LONG y) { EXPECT_NE(ClickAt(parent.handle(), POINT{x, y}), 0u); }

  Desktop desktop;
  DesktopScope scope{desktop};
  RecordingWindow parent;
  TabControlWindow tabs;
  std::vector<UINT> notifications;
  bool refuse_change = false;
};

TEST_F(CommonControlsTest, AClickOnATabAsksTheParentSelectsAndReportsTheClick) {
  EXPECT_EQ(tabs.ItemRect(1), (RECT{100, 0, 200, 20}));
  Click(10 + 150, 25);
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_EQ(notifications, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE, NM_CLICK}));

  // A refused change keeps the selection; the click is still reported.
  notifications.clear();
  refuse_change = true;
  Click(10 + 250, 25);
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_EQ(notifications, (std::vector<UINT>{TCN_SELCHANGING, NM_CLICK}));

  tabs.SetItemSize(40, 10);
  EXPECT_EQ(tabs.HitTest(POINT{85, 5}), 2);
  EXPECT_EQ(tabs.HitTest(POINT{125, 5}), -1);
  EXPECT_EQ(tabs.HitTest(POINT{5, 15}), -1);
}

TEST_F(CommonControlsTest, OnlyOwnerDrawnTabsAreDrawnByTheParent) {
  tabs.SetCurSel(2);
  EXPECT_TRUE(tabs.DrawItems()[2].empty());
  tabs.ModifyStyle(0, TCS_OWNERDRAWFIXED);
  const auto drawn = tabs.DrawItems();
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0], (std::vector<DeviceContext::TextRun>{
                          {{0, 0}, "0", GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE), false}}));
  EXPECT_EQ(drawn[2][0].text, "2*");
  EXPECT_EQ(drawn[2][0].at, (POINT{200, 0}));
}

TEST_F(CommonControlsTest, AButtonClicksWhenReleasedOverIt) {
  ButtonWindow button;
  ASSERT_TRUE(button.Create(WS_CHILD | WS_VISIBLE, RECT{320, 20, 345, 34}, &parent, 65));
  Click(330, 25);
  ASSERT_EQ(parent.messages.back().message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(parent.messages.back().wparam, MAKEWPARAM(65, BN_CLICKED));
  EXPECT_EQ(parent.messages.back().lparam, static_cast<LPARAM>(button.handle()));
  // Released elsewhere, or never pressed: no click.
  parent.messages.clear();
  button.SendMessage(WM_LBUTTONDOWN, 1, MAKELPARAM(2, 2));
  button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, 2));
  button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_TRUE(parent.messages.empty());
  // Hidden windows are passed by; outside the top window nothing is hit.
  button.Show(false);
  EXPECT_EQ(WindowAtPoint(parent.handle(), POINT{330, 25})->hwnd, parent.handle());
  EXPECT_FALSE(WindowAtPoint(parent.handle(), POINT{400, 25}).has_value());
}

TEST(ResourceModuleTest, IconsLoadAtTheAskedSizeAndMalformedOnesAreRefused) {
  ResourceModule module;
  EXPECT_FALSE(module.AddIcon(1, {2, 2, {"# ", "#"}}));
  EXPECT_FALSE(module.AddIcon(1, {2, 1, {"#x"}}));
  ASSERT_TRUE(module.AddIcon(1, {2, 2, {"# ", " #"}}));
  EXPECT_EQ(module.LoadIcon(1, 2, 2), (Icon{2, 2, {"# ", " #"}}));
  EXPECT_EQ(module.LoadIcon(1, 4, 2), (Icon{4, 2, {"##  ", "  ##"}}));
  EXPECT_EQ(module.LoadIcon(1, 1, 1), (Icon{1, 1, {"#"}}));
  EXPECT_FALSE(module.LoadIcon(1, 0, 2).has_value());
  EXPECT_FALSE(module.LoadIcon(2, 2, 2).has_value());
  EXPECT_TRUE(module.RemoveIcon(1));
  EXPECT_FALSE(module.LoadIcon(1, 2, 2).has_value());
}

}  // namespace
}  // namespace zv::platform
