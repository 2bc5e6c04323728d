// The window set: stepping, hiding, the layout toggle and compact mode, the
// layout on size changes, and the status bar's clock.
#include <array>

#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class WindowSetTest : public ControlTest {
 protected:
  short Open(int window) { return static_cast<short>(Call("OpenWindow", {S(window)}).value.integer()); }
  void Hide(int window, BOOL clear, BOOL minimize) { Call("HideWindow", {S(window), B(clear), B(minimize)}); }
  void Resize(int frame) { Call("Resize", {S(frame)}); }
  int Current() { return Get("CurrentWindow").value.integer(); }
  std::vector<int> Shown() {
    std::vector<int> shown;
    for (const ResWindowView& w : control->View().windows) {
      if (w.visible) shown.push_back(w.number);
    }
    return shown;
  }
};

TEST_F(WindowSetTest, NextAndPreviousWrapAtTheWindowCount) {
  Create();
  // {WindowCount, from, next (else previous), to}. With an odd count frame 2
  // wraps one early; frame 1 always steps on.
  const std::array<std::array<short, 4>, 10> steps = {{{10, 10, 1, 1}, {10, 9, 1, 10}, {10, 1, 0, 10}, {10, 2, 0, 1},
                                                       {4, 4, 1, 1}, {4, 3, 1, 4}, {4, 1, 0, 4},
                                                       {5, 4, 1, 1}, {5, 1, 0, 5}, {5, 5, 1, 6}}};
  for (const auto& [count, from, next, to] : steps) {
    Put("WindowCount", S(count));
    Open(from);
    if (next != 0) Open(0);
    if (next == 0) Call("SendKey", {S(0), S(VK_F7), S(2), S(1)});
    EXPECT_EQ(Current(), to) << count << " " << from << (next != 0 ? " next" : " previous");
  }
}

TEST_F(WindowSetTest, HiddenWindowsAreReplacedByTheirFramesLastUsedOneAndShownAgain) {
  Create();
  Open(1);
  Open(2);
  Open(3);
  Hide(3, FALSE, TRUE);
  ControlView view = control->View();
  EXPECT_EQ(view.frame_window[0], 1);
  EXPECT_EQ(view.current_window, 2);
  EXPECT_TRUE(view.windows[2].hidden);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2}));
  // A hidden window keeps its tab text.
  Call("RenameWindow", {S(3), T("AVAIL")});
  EXPECT_EQ(control->View().all_tabs.captions[2], "   ");

  Hide(3, FALSE, FALSE);
  view = control->View();
  EXPECT_FALSE(view.windows[2].hidden);
  EXPECT_EQ(view.current_window, 3);
  EXPECT_EQ(Shown(), (std::vector<int>{2, 3}));
  Call("RenameWindow", {S(3), T("AVAIL")});
  EXPECT_EQ(control->View().frame_tabs[0].captions[1], "AVAIL");

  // Window 0 is the current one: frame 2's last even window takes over,
  // then the window used last overall is current. Numbers outside 1..10
  // and showing window 0 change nothing.
  Open(4);
  Hide(0, FALSE, TRUE);
  for (int window : {11, -1, 0}) Hide(window, FALSE, FALSE);
  Hide(11, FALSE, TRUE);
  view = control->View();
  EXPECT_TRUE(view.windows[3].hidden);
  EXPECT_EQ(view.frame_window[1], 2);
  EXPECT_EQ(view.current_window, 3);
  EXPECT_EQ(Shown(), (std::vector<int>{2, 3}));

  // With ClearData the screen is cleared instead, and the window not flagged.
  ScreenInput(3, "KEEP ME");
  Open(1);
  Open(3);
  Hide(3, TRUE, TRUE);
  EXPECT_FALSE(control->View().windows[2].hidden);
  EXPECT_EQ(Line(3, Screen(3).FirstVisibleLine()), ">");
  EXPECT_EQ(control->View().frame_window[0], 1);
}

TEST_F(WindowSetTest, ResizeTogglesTheLayoutAndThreeAndFourOnlyAskForOne) {
  Create();
  Resize(3);
  EXPECT_EQ(control->View().layout, 2);
  Resize(0);
  ControlView view = control->View();
  EXPECT_EQ(view.layout, 1);
  EXPECT_EQ(Shown(), (std::vector<int>{1}));
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 800, 582}));
  EXPECT_TRUE(view.all_tabs.visible);
  EXPECT_FALSE(view.frame_tabs[0].visible);
  Resize(4);
  EXPECT_EQ(control->View().layout, 1);
  Resize(0);
  view = control->View();
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2}));
  EXPECT_EQ(view.windows[1].rect, (RECT{0, 309, 800, 582}));
  EXPECT_FALSE(view.all_tabs.visible);

  // A frame number picks the window that stays, and its frame is active.
  Resize(2);
  EXPECT_EQ(Current(), 2);
  EXPECT_EQ(control->View().all_tabs.selected, 1);
  EXPECT_EQ(Shown(), (std::vector<int>{2}));
  Resize(3);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2}));
  Resize(1);
  EXPECT_EQ(Current(), 1);
  EXPECT_EQ(Shown(), (std::vector<int>{1}));
}

TEST_F(WindowSetTest, WithTwoWindowsOrFewerNoStripIsShownAndFramesTakeTheFullHeight) {
  PropertyBag properties = DefaultProperties();
  properties["WindowCount"] = S(1);
  Create(properties);
  EXPECT_EQ(Get("WindowCount").value, S(2));
  ControlView view = control->View();
  EXPECT_FALSE(view.frame_tabs[0].visible);
  EXPECT_FALSE(view.frame_tabs[1].visible);
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 0, 800, 291}));
  EXPECT_EQ(view.windows[1].rect, (RECT{0, 291, 800, 582}));
  Resize(0);
  view = control->View();
  EXPECT_FALSE(view.all_tabs.visible);
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 0, 800, 582}));
  Put("WindowCount", S(3));
  EXPECT_EQ(control->View().windows[0].rect, (RECT{0, 18, 800, 582}));
}

TEST_F(WindowSetTest, CompactModeDropsTheStatusBarRemakesTheStripsAndShowsOneFrame) {
  Create();
  Call("RenameWindow", {S(1), T("ONE")});
  Put("TWA", B(TRUE));
  const ControlView view = control->View();
  EXPECT_FALSE(view.status_bar.exists);
  EXPECT_EQ(view.layout, 1);
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 800, 600}));
  EXPECT_EQ(view.all_tabs.captions[0], "   ");
  EXPECT_EQ(view.all_tabs.selected, 0);
  // Without a bar the insert state and the texts are still taken.
  Press(VK_INSERT);
  EXPECT_EQ(Get("InsertMode").value, B(TRUE));
  EXPECT_TRUE(Call("SetCommText", {T("UP")}).ok());
  RunClockTimer();
  // Leaving compact mode does not bring the bar back.
  Put("TWA", B(FALSE));
  EXPECT_FALSE(control->View().status_bar.exists);
}

TEST_F(WindowSetTest, ANewSizeLaysOutFramesStripsAndANewStatusBarWithItsTexts) {
  Create();
  Call("SetCommText", {T("HOST UP")});
  Press(VK_INSERT);
  control->ControlWindow()->Move(RECT{0, 0, 640, 480});
  const ControlView view = control->View();
  // (480 - 18) / 2 = 231 per frame.
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 640, 231}));
  EXPECT_EQ(view.frame_tabs[1].rect, (RECT{0, 231, 640, 249}));
  EXPECT_EQ(view.status_bar.rect, (RECT{0, 461, 640, 480}));
  EXPECT_EQ(view.status_bar.right_edges, (std::vector<int>{290, 357, 390, 517, 542, 585, -1}));
  EXPECT_EQ(view.status_bar.parts[1], "HOST UP");
  EXPECT_EQ(view.status_bar.parts[2], "INS");
  EXPECT_FALSE(view.status_bar.parts[6].empty());
}

TEST_F(WindowSetTest, TheClockShowsTwelveHourTimesAndTheMonthAndDay) {
  Create();
  const std::pair<platform::LocalTime, std::vector<std::string>> cases[] = {
      {{2024, 1, 1, 0, 5, 0}, {"Jan 01", "12:05 AM"}},
      {{2024, 7, 4, 12, 0, 0}, {"Jul 04", "12:00 PM"}},
      {{2024, 12, 31, 23, 59, 0}, {"Dec 31", "11:59 PM"}},
  };
  for (const auto& [time, texts] : cases) {
    clock->SetLocalTime(time);
    RunClockTimer();
    const std::vector<std::string> parts = control->View().status_bar.parts;
    EXPECT_EQ(std::vector<std::string>(parts.begin() + 5, parts.end()), texts);
  }
}

}  // namespace
}  // namespace zv::testing
