// The tab strips as a container draws and clicks them: tabs with their
// owner-drawn texts, the ReSize button and its icon, the INS field.
#include "control/zvemul_resources.h"
#include "platform/mouse_input.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

using TextRun = platform::DeviceContext::TextRun;

class TabStripTest : public ControlTest {
 protected:
  void Click(LONG x, LONG y) { platform::ClickAt(control->ControlWindow()->handle(), POINT{x, y}); }
};

TEST_F(TabStripTest, TabsAreDrawnWithTheSelectedOneInWhiteOnGrey) {
  Create();
  const TabStripView strip = control->View().frame_tabs[1];  // at y = 291
  EXPECT_EQ(strip.tabs_rect, (RECT{38, 292, 393, 306}));
  ASSERT_EQ(strip.items.size(), 5u);
  // Five tabs share the 355 pixels.
  EXPECT_EQ(strip.items[2].rect, (RECT{180, 292, 251, 306}));
  const COLORREF text = platform::GetSysColor(COLOR_BTNTEXT);
  const COLORREF face = platform::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(strip.items[0].drawn, (std::vector<TextRun>{{{45, 297}, "   ", text, face, true},
                                                       {{45, 297}, "   ", 0x00FFFFFF, 0x00787878, true}}));
  EXPECT_EQ(strip.items[1].drawn, (std::vector<TextRun>{{{116, 297}, "   ", text, face, true}}));

  EXPECT_EQ(strip.button.rect, (RECT{0, 291, 25, 305}));
  EXPECT_EQ(strip.button.text, "ReSize");
  EXPECT_EQ(strip.button.icon_id, kFrameStripIcon);
  EXPECT_EQ(strip.button.icon->rows.size(), 11u);
  EXPECT_EQ(control->View().all_tabs.button.icon_id, kAllWindowsStripIcon);
  EXPECT_EQ(strip.ins_field.rect, (RECT{398, 294, 414, 302}));
  EXPECT_EQ(strip.ins_field.text, "");
}

TEST_F(TabStripTest, ClicksOnTabsSwitchWindowsAndTheButtonTogglesTheLayout) {
  Create();
  Click(200, 300);  // frame 2's third tab: window 6
  ControlView view = control->View();
  EXPECT_EQ(view.current_window, 6);
  EXPECT_EQ(view.frame_tabs[1].selected, 2);
  EXPECT_EQ(view.frame_tabs[1].highlighted, (std::vector<bool>{false, false, true, false, false}));
  Click(5, 5);  // frame 1's ReSize button
  EXPECT_EQ(control->View().layout, 1);

  Click(290, 8);  // the all-windows strip's eighth tab
  view = control->View();
  EXPECT_EQ(view.current_window, 8);
  EXPECT_EQ(view.all_tabs.selected, 7);

  Click(5, 5);
  EXPECT_EQ(control->View().layout, 2);
  EXPECT_EQ(Get("CurrentWindow").value, S(8));
}

TEST_F(TabStripTest, AMissingIconIsReportedAndTheButtonStaysWithoutIt) {
  platform::ResourceModule& resources = ZVEmulResources();
  const platform::Icon icon = resources.LoadIcon(kFrameStripIcon, 18, 11).value();
  struct Restore {
    platform::ResourceModule& resources;
    const platform::Icon& icon;
    ~Restore() { resources.AddIcon(kFrameStripIcon, icon); }
  } restore{resources, icon};
  resources.RemoveIcon(kFrameStripIcon);
  Create();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Could not load Icon", "Could not load Icon"}));
  EXPECT_FALSE(control->View().frame_tabs[0].button.icon.has_value());
  EXPECT_TRUE(control->View().all_tabs.button.icon.has_value());
}

}  // namespace
}  // namespace zv::testing
