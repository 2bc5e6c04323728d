// The window set: stepping, hiding, renaming, the layout toggle and compact
// mode, the layout on size changes, and the status bar's clock.
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
  struct Step {
    short count;
    short from;
    bool next;
    int to;
  };
  const Step steps[] = {
      {10, 10, true, 1}, {10, 9, true, 10}, {10, 1, false, 10}, {10, 2, false, 1},
      {4, 4, true, 1},   {4, 3, true, 4},   {4, 1, false, 4},
      // With an odd count frame 2 wraps one early; frame 1 always steps on.
      {5, 4, true, 1},   {5, 1, false, 5},  {5, 5, true, 6},
  };
  for (const Step& s : steps) {
    Put("WindowCount", S(s.count));
    Open(s.from);
    if (s.next) {
      EXPECT_EQ(Open(0), s.to) << s.count << " " << s.from;
    } else {
      Call("SendKey", {S(0), S(VK_F7), S(2), S(1)});
    }
    EXPECT_EQ(Current(), s.to) << s.count << " " << s.from << (s.next ? " next" : " previous");
    EXPECT_EQ(control->View().frame_window[s.to % 2 == 1 ? 0 : 1], s.to);
  }
}

TEST_F(WindowSetTest, HidingAFramesWindowShowsTheFramesLastUsedOneAndTheLastUsedBecomesCurrent) {
  Create();
  Open(1);
  Open(2);
  Open(3);
  Hide(3, FALSE, TRUE);
  ControlView view = control->View();
  EXPECT_EQ(view.frame_window[0], 1);
  EXPECT_EQ(view.frame_window[1], 2);
  EXPECT_EQ(view.current_window, 2);
  EXPECT_EQ(view.focus, Hwnd(2));
  EXPECT_TRUE(view.windows[2].hidden);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2}));
  // Hiding it again changes nothing.
  Hide(3, FALSE, TRUE);
  EXPECT_EQ(Current(), 2);

  // Shown again, it is current and in its frame.
  Hide(3, FALSE, FALSE);
  view = control->View();
  EXPECT_FALSE(view.windows[2].hidden);
  EXPECT_EQ(view.current_window, 3);
  EXPECT_EQ(view.focus, Hwnd(3));
  EXPECT_EQ(Shown(), (std::vector<int>{2, 3}));

  // Window 0 hides the current window: frame 2's last used even window
  // takes over, then the window used last overall is current.
  Open(4);
  Hide(0, FALSE, TRUE);
  view = control->View();
  EXPECT_TRUE(view.windows[3].hidden);
  EXPECT_EQ(view.frame_window[1], 2);
  EXPECT_EQ(view.current_window, 3);
  EXPECT_EQ(Shown(), (std::vector<int>{2, 3}));

  // Window numbers outside 1..10 and "show" of window 0 change nothing.
  Hide(11, FALSE, TRUE);
  Hide(-1, FALSE, TRUE);
  Hide(11, FALSE, FALSE);
  Hide(0, FALSE, FALSE);
  EXPECT_EQ(Current(), 3);
  EXPECT_TRUE(control->View().windows[3].hidden);

  // Made current as a property, a hidden window becomes its frame's window
  // but is not shown.
  Put("CurrentWindow", S(4));
  EXPECT_EQ(control->View().frame_window[1], 4);
  EXPECT_EQ(Current(), 4);
  EXPECT_EQ(Shown(), (std::vector<int>{2, 3}));
}

TEST_F(WindowSetTest, HidingWithClearDataClearsTheScreenWithoutFlaggingIt) {
  Create();
  Open(5);
  Open(1);
  ScreenInput(1, "KEEP ME");
  Hide(1, TRUE, TRUE);
  const ControlView view = control->View();
  // Cleared as the host clears: a new SOM at the top, the old text above it.
  EXPECT_EQ(Screen(1).FirstVisibleLine(), Screen(1).LineCount() - 1);
  EXPECT_EQ(Line(1, Screen(1).LineCount() - 1), ">");
  EXPECT_FALSE(view.windows[0].hidden);
  // Frame 1's most recently used other window replaces it.
  EXPECT_EQ(view.frame_window[0], 5);
  EXPECT_EQ(view.current_window, 5);
  EXPECT_EQ(Shown(), (std::vector<int>{2, 5}));
}

TEST_F(WindowSetTest, AHiddenWindowKeepsItsTabText) {
  Create();
  Hide(5, FALSE, TRUE);
  Call("RenameWindow", {S(5), T("AVAIL")});
  Call("RenameWindow", {S(11), T("NONE")});
  EXPECT_EQ(control->View().frame_tabs[0].captions[2], "   ");
  EXPECT_EQ(control->View().all_tabs.captions[4], "   ");
  Hide(5, FALSE, FALSE);
  Call("RenameWindow", {S(5), T("AVAIL")});
  EXPECT_EQ(control->View().frame_tabs[0].captions[2], "AVAIL");
  EXPECT_EQ(control->View().all_tabs.captions[4], "AVAIL");
}

TEST_F(WindowSetTest, ResizeTogglesTheLayoutAndThreeAndFourOnlyAskForOne) {
  Create();
  Resize(3);
  EXPECT_EQ(control->View().layout, 2);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2}));

  Resize(0);
  ControlView view = control->View();
  EXPECT_EQ(view.layout, 1);
  EXPECT_EQ(view.current_window, 1);
  EXPECT_EQ(Shown(), (std::vector<int>{1}));
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 800, 582}));
  EXPECT_TRUE(view.all_tabs.visible);
  EXPECT_EQ(view.all_tabs.rect, (RECT{0, 0, 800, 18}));
  EXPECT_EQ(view.all_tabs.selected, 0);
  EXPECT_FALSE(view.frame_tabs[0].visible);
  EXPECT_FALSE(view.frame_tabs[1].visible);
  Resize(4);
  EXPECT_EQ(control->View().layout, 1);

  Resize(0);
  view = control->View();
  EXPECT_EQ(view.layout, 2);
  EXPECT_EQ(Shown(), (std::vector<int>{1, 2}));
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 800, 291}));
  EXPECT_EQ(view.windows[1].rect, (RECT{0, 309, 800, 582}));
  EXPECT_TRUE(view.frame_tabs[1].visible);
  EXPECT_FALSE(view.all_tabs.visible);

  // A frame number picks the window that stays, and its frame is active.
  Resize(2);
  view = control->View();
  EXPECT_EQ(view.layout, 1);
  EXPECT_EQ(view.current_window, 2);
  EXPECT_EQ(view.all_tabs.selected, 1);
  EXPECT_EQ(view.focus, Hwnd(2));
  EXPECT_EQ(Shown(), (std::vector<int>{2}));
  Resize(3);
  EXPECT_EQ(control->View().layout, 2);
  EXPECT_EQ(Current(), 2);
  Resize(1);
  EXPECT_EQ(control->View().layout, 1);
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
  EXPECT_FALSE(view.all_tabs.visible);
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 0, 800, 291}));
  EXPECT_EQ(view.windows[1].rect, (RECT{0, 291, 800, 582}));
  Resize(0);
  view = control->View();
  EXPECT_FALSE(view.all_tabs.visible);
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 0, 800, 582}));
  // More windows bring the strips.
  Put("WindowCount", S(3));
  EXPECT_TRUE(control->View().all_tabs.visible);
  EXPECT_EQ(control->View().windows[0].rect, (RECT{0, 18, 800, 582}));
}

TEST_F(WindowSetTest, CompactModeDropsTheStatusBarRemakesTheStripsAndShowsOneFrame) {
  Create();
  Call("RenameWindow", {S(1), T("ONE")});
  const int modified = site.modified;
  Put("TWA", B(TRUE));
  ControlView view = control->View();
  EXPECT_GT(site.modified, modified);
  EXPECT_FALSE(view.status_bar.exists);
  EXPECT_EQ(view.layout, 1);
  EXPECT_EQ(view.current_window, 1);
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 800, 600}));
  EXPECT_TRUE(view.all_tabs.visible);
  EXPECT_EQ(view.all_tabs.captions, std::vector<std::string>(10, "   "));
  EXPECT_EQ(view.all_tabs.selected, 0);
  EXPECT_TRUE(view.frame_tabs[0].exists);
  EXPECT_FALSE(view.frame_tabs[0].visible);
  EXPECT_EQ(view.frame_tabs[0].captions[0], "   ");

  // Without a bar the insert state and the texts are still taken.
  Press(VK_INSERT);
  EXPECT_EQ(Get("InsertMode").value, B(TRUE));
  EXPECT_TRUE(Call("SetCommText", {T("UP")}).ok());
  EXPECT_TRUE(Call("SetScriptText", {T("RUN")}).ok());
  EXPECT_TRUE(Call("SetScriptStatusText", {T("STEP")}).ok());
  RunClockTimer();
  // Leaving compact mode does not bring the bar back.
  Put("TWA", B(FALSE));
  EXPECT_FALSE(control->View().status_bar.exists);
  EXPECT_EQ(control->View().windows[0].rect.bottom, 600);
}

TEST_F(WindowSetTest, ANewSizeLaysOutFramesStripsAndANewStatusBarWithItsTexts) {
  Create();
  Call("SetCommText", {T("HOST UP")});
  Press(VK_INSERT);
  control->ControlWindow()->Move(RECT{0, 0, 640, 480});
  const ControlView view = control->View();
  // (480 - 18) / 2 = 231 per frame.
  EXPECT_EQ(view.windows[0].rect, (RECT{0, 18, 640, 231}));
  EXPECT_EQ(view.windows[1].rect, (RECT{0, 249, 640, 462}));
  EXPECT_EQ(view.frame_tabs[1].rect, (RECT{0, 231, 640, 249}));
  EXPECT_EQ(view.status_bar.rect, (RECT{0, 461, 640, 480}));
  EXPECT_EQ(view.status_bar.right_edges, (std::vector<int>{290, 357, 390, 517, 542, 585, -1}));
  EXPECT_EQ(view.status_bar.parts[1], "HOST UP");
  EXPECT_EQ(view.status_bar.parts[2], "INS");
  EXPECT_EQ(view.status_bar.parts[3], "No Scripts Running");
  EXPECT_FALSE(view.status_bar.parts[6].empty());
}

TEST_F(WindowSetTest, TheClockShowsTwelveHourTimesAndTheMonthAndDay) {
  Create();
  struct Case {
    platform::LocalTime time;
    const char* date;
    const char* clock;
  };
  const Case cases[] = {
      {{2024, 1, 1, 0, 5, 0}, "Jan 01", "12:05 AM"},
      {{2024, 7, 4, 12, 0, 0}, "Jul 04", "12:00 PM"},
      {{2024, 12, 31, 23, 59, 0}, "Dec 31", "11:59 PM"},
  };
  for (const Case& c : cases) {
    clock->SetLocalTime(c.time);
    RunClockTimer();
    const StatusBarView bar = control->View().status_bar;
    EXPECT_EQ(bar.parts[5], c.date);
    EXPECT_EQ(bar.parts[6], c.clock);
  }
}

}  // namespace
}  // namespace zv::testing
