// Creating the control's window: ten res windows with a SOM, frames, tab
// strips, status bar, focus, and the first Insert press.
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class CreationTest : public ControlTest {};

TEST_F(CreationTest, TenWindowsEachStartWithASomAndTwoShowInTheirFrames) {
  Create();
  const ControlView view = control->View();
  ASSERT_EQ(view.windows.size(), 10u);
  for (int n = 1; n <= 10; ++n) {
    const ResWindowView& w = view.windows[n - 1];
    EXPECT_EQ(w.number, n);
    EXPECT_EQ(platform::FromHandle(w.hwnd)->id(), 100u + static_cast<UINT>(n - 1));
    EXPECT_EQ(w.engine->Text(), ">") << n;
    EXPECT_EQ(w.engine->Selection().cpMin, 1) << n;
    EXPECT_EQ(w.visible, n <= 2) << n;
    EXPECT_EQ(w.background, 0x00B20000u);
  }
  // Every window was made current once, but a first start begins in frame 1.
  EXPECT_EQ(view.layout, 2);
  EXPECT_EQ(view.active_frame, 1);
  EXPECT_EQ(view.frame_window[0], 1);
  EXPECT_EQ(view.frame_window[1], 2);
  EXPECT_EQ(view.current_window, 1);
  EXPECT_EQ(view.focus, Hwnd(1));
  EXPECT_EQ(Get("CurrentWindow").value, S(1));
  // Both frames' windows take clicks and keys; the others are hidden.
  EXPECT_TRUE(view.windows[0].enabled);
  EXPECT_TRUE(view.windows[1].enabled);

  // Frame 1 under its tab strip, frame 2 under its own, above the status bar:
  // (600 - 18) / 2 = 291 per frame.
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 800, 291}));
  EXPECT_EQ(view.windows[1].rect, (RECT{0, 291 + 18, 800, 582}));
  EXPECT_TRUE(view.frame_tabs[0].visible);
  EXPECT_EQ(view.frame_tabs[1].rect, (RECT{0, 291, 800, 291 + 18}));
  EXPECT_FALSE(view.all_tabs.visible);
  EXPECT_EQ(view.all_tabs.captions, std::vector<std::string>(10, "   "));
  EXPECT_EQ(view.frame_tabs[0].captions, std::vector<std::string>(5, "   "));
  EXPECT_EQ(view.frame_tabs[0].selected, 0);
  EXPECT_TRUE(view.frame_tabs[1].highlighted[0]);

  // The caret is the control's own: 7 pixels wide, 1.5 times the point size.
  EXPECT_EQ(view.caret.hwnd, Hwnd(1));
  EXPECT_TRUE(view.caret.visible);
  EXPECT_EQ(view.caret.width, 7);
  EXPECT_EQ(view.caret.height, 15);
  EXPECT_EQ(site.info_changed, 1);
  EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(CreationTest, StatusBarShowsItsSevenPartsWithTheClock) {
  clock->SetLocalTime({2024, 3, 7, 13, 5, 0});
  Create();
  const StatusBarView bar = control->View().status_bar;
  ASSERT_TRUE(bar.exists);
  EXPECT_EQ(bar.rect, (RECT{0, 581, 800, 600}));
  EXPECT_EQ(bar.right_edges, (std::vector<int>{450, 517, 550, 677, 702, 745, -1}));
  EXPECT_EQ(bar.parts, (std::vector<std::string>{"", "UNAVAIL", "OVR", "No Scripts Running", "", "Mar 07", "1:05 PM"}));

  Call("SetCommText", {T("HOST UP")});
  Call("SetScriptText", {T("Running X")});
  Call("SetScriptStatusText", {T("Step 2")});
  clock->SetLocalTime({2024, 12, 25, 0, 9, 0});
  RunClockTimer();
  EXPECT_EQ(control->View().status_bar.parts,
            (std::vector<std::string>{"Step 2", "HOST UP", "OVR", "Running X", "", "Dec 25", "12:09 AM"}));
}

TEST_F(CreationTest, CompactModeHasNoStatusBarAndOnlyWindowEightScrollsSideways) {
  PropertyBag properties = DefaultProperties();
  properties["TWA"] = B(TRUE);
  Create(properties);
  const ControlView view = control->View();
  EXPECT_FALSE(view.status_bar.exists);
  for (int n = 1; n <= 10; ++n) {
    const DWORD style = platform::FromHandle(view.windows[n - 1].hwnd)->style();
    EXPECT_EQ((style & WS_HSCROLL) != 0, n == 8) << n;
  }
  // Without a status bar the frames share the whole height.
  EXPECT_EQ(view.windows[1].rect.bottom, 600);
  // Status texts are kept even without a bar.
  EXPECT_TRUE(Call("SetCommText", {T("X")}).ok());
  Put("TWA", B(FALSE));
}

TEST_F(CreationTest, FirstInsertPressOnlyPutsTheEngineInOvertype) {
  Create();
  for (int n = 1; n <= 10; ++n) EXPECT_TRUE(Screen(n).Overtype()) << n;
  EXPECT_TRUE(events.events.empty());

  // Later presses switch the control's insert state and are reflected.
  Press(VK_INSERT);
  EXPECT_EQ(Get("InsertMode").value, B(TRUE));
  EXPECT_EQ(control->View().status_bar.parts[2], "INS");
  EXPECT_TRUE(Screen(1).Overtype());
  ASSERT_EQ(events.Named("InputReflect").size(), 1u);
  const RecordedEvent reflect = events.Named("InputReflect")[0];
  EXPECT_EQ(reflect.Int(0), 1);
  EXPECT_EQ(reflect.Int(1), 2);
  EXPECT_EQ(reflect.Int(2), VK_INSERT);
  EXPECT_TRUE(reflect.IsNull(3));
  EXPECT_EQ(reflect.Int(4), 0);
  Press(VK_INSERT);
  EXPECT_EQ(Get("InsertMode").value, B(FALSE));
  EXPECT_EQ(control->View().status_bar.parts[2], "OVR");
}

TEST_F(CreationTest, WithoutTheInsertModePropertyInsertOpensABlankAndPushesTheRowDown) {
  PropertyBag properties = DefaultProperties();
  properties["InsertMode"] = B(FALSE);
  Create(properties);
  Put("CurrentWindow", S(1));
  ScreenInput(1, std::string(63, 'A') + "BCDEFGH");  // ">" + 63 in row 1, 7 in row 2
  ASSERT_EQ(Line(1, 0), ">" + std::string(63, 'A') + "\t");
  // Caret to column 5 of the first row.
  Press(VK_UP);
  Press(VK_HOME);
  for (int i = 0; i < 4; ++i) Press(VK_RIGHT);
  Press(VK_INSERT);
  EXPECT_EQ(Get("InsertMode").value, B(FALSE));
  EXPECT_EQ(Line(1, 0), ">AAAA " + std::string(58, 'A') + "\t");
  EXPECT_EQ(Line(1, 1), "ABCDEFGH");
  EXPECT_EQ(Screen(1).Selection().cpMin, 5);
}

TEST_F(CreationTest, TheControlPassesItsFocusToTheCurrentWindow) {
  Create();
  Put("CurrentWindow", S(3));
  EXPECT_EQ(control->View().focus, Hwnd(3));
  EXPECT_EQ(control->View().active_frame, 1);
  EXPECT_EQ(control->View().frame_window[0], 3);
  EXPECT_TRUE(control->View().windows[2].visible);
  EXPECT_FALSE(control->View().windows[0].visible);
  platform::SetFocus(control->ControlWindow()->handle());
  EXPECT_EQ(platform::GetFocus(), Hwnd(3));
}

TEST_F(CreationTest, AClickActivatesTheControlAndMakesItsFrameActive) {
  Create();
  const int activations = site.activated;
  platform::SendMessage(Hwnd(1), WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  EXPECT_GT(site.activated, activations);
  EXPECT_EQ(platform::GetFocus(), Hwnd(1));
  EXPECT_EQ(control->View().active_frame, 1);
  EXPECT_EQ(Get("CurrentWindow").value, S(1));
  EXPECT_EQ(control->View().caret.hwnd, Hwnd(1));
  // Losing the focus takes the caret away.
  platform::SetFocus(container.handle());
  EXPECT_FALSE(control->View().caret.visible);
}

TEST_F(CreationTest, DestroyingTheWindowDestroysTheResWindows) {
  Create();
  const HWND first = Hwnd(1);
  control->DestroyControlWindow();
  EXPECT_FALSE(platform::IsWindow(first));
  EXPECT_EQ(control->ControlWindow()->handle(), 0u);
  // Calls after destruction fail quietly.
  EXPECT_TRUE(Call("ReadScreen").ok());
}

TEST_F(CreationTest, TwaAndWindowCountAreOneForAllControlsOfTheProcess) {
  Create();
  Put("WindowCount", S(4));
  Put("TWA", B(TRUE));
  const platform::ComPtr<IZVEmulControl> first = control;
  // A second control sees the first's TWA, and its constructor sets the
  // window count back to ten for both.
  Construct();
  EXPECT_EQ(Get("TWA").value, B(TRUE));
  EXPECT_EQ(Get("WindowCount").value, S(10));
  Put("TWA", B(FALSE));
}

}  // namespace
}  // namespace zv::testing
