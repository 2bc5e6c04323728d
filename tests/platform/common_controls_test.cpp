// What the control's tests cannot reach: a refused tab change, a button
// released elsewhere, clicks beside windows, icons at other sizes.
#include "platform/common_controls.h"

#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "platform/mouse_input.h"
#include "tests/platform/recording_window.h"

namespace zv::platform {
namespace {

TEST(CommonControlsTest, ClicksReachTheWindowUnderThePointAndItsParentHearsOfThem) {
  Desktop desktop;
  DesktopScope scope{desktop};
  testing::RecordingWindow parent;
  std::vector<UINT> notifications;
  parent.handler = [&](UINT message, WPARAM, LPARAM lparam) -> std::optional<LRESULT> {
    if (message != WM_NOTIFY) return std::nullopt;
    notifications.push_back(reinterpret_cast<const NMHDR*>(lparam)->code);
    return notifications.back() == TCN_SELCHANGING ? 1 : 0;  // refuses every change
  };
  ASSERT_TRUE(parent.Create(WS_VISIBLE, RECT{0, 0, 400, 100}, nullptr, 0));
  TabControlWindow tabs;
  ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, RECT{10, 20, 310, 40}, &parent, 50));
  for (int i = 0; i < 3; ++i) tabs.InsertItem(i, "T");
  EXPECT_EQ(ClickAt(parent.handle(), POINT{160, 25}), tabs.handle());
  EXPECT_EQ(tabs.GetCurSel(), -1);
  EXPECT_EQ(notifications, (std::vector<UINT>{TCN_SELCHANGING, NM_CLICK}));
  tabs.SetItemSize(40, 10);
  EXPECT_EQ(tabs.HitTest(POINT{85, 5}), 2);
  EXPECT_EQ(tabs.HitTest(POINT{125, 5}), -1);

  ButtonWindow button;
  ASSERT_TRUE(button.Create(WS_CHILD | WS_VISIBLE, RECT{320, 20, 345, 34}, &parent, 65));
  parent.messages.clear();
  button.SendMessage(WM_LBUTTONDOWN, 1, MAKELPARAM(2, 2));
  button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, 2));
  EXPECT_TRUE(parent.messages.empty());
  // Hidden windows are passed by; outside the top window nothing is hit.
  button.Show(false);
  EXPECT_EQ(ClickAt(parent.handle(), POINT{330, 25}), parent.handle());
  EXPECT_EQ(ClickAt(parent.handle(), POINT{400, 25}), 0u);
}

TEST(ResourceModuleTest, IconsLoadAtTheAskedSizeAndMalformedOnesAreRefused) {
  ResourceModule module;
  EXPECT_FALSE(module.AddIcon(1, {2, 2, {"# ", "#"}}));
  EXPECT_FALSE(module.AddIcon(1, {2, 1, {"#x"}}));
  ASSERT_TRUE(module.AddIcon(1, {2, 2, {"# ", " #"}}));
  EXPECT_EQ(module.LoadIcon(1, 4, 2), (Icon{4, 2, {"##  ", "  ##"}}));
  EXPECT_EQ(module.LoadIcon(1, 1, 1), (Icon{1, 1, {"#"}}));
  EXPECT_FALSE(module.LoadIcon(1, 0, 2).has_value());
  EXPECT_TRUE(module.RemoveIcon(1));
  EXPECT_FALSE(module.LoadIcon(1, 2, 2).has_value());
}

}  // namespace
}  // namespace zv::platform
