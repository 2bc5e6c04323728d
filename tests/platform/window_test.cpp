#include "platform/window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "caught_exceptions.h"
#include "platform/desktop.h"
#include "tests/platform/recording_window.h"

namespace zv::platform {
namespace {

using ::testing::ElementsAre;
using testing::Message;
using testing::RecordingWindow;

constexpr RECT kRect{0, 0, 200, 100};

class WindowTest : public ::testing::Test {
 protected:
  Desktop desktop_;
  DesktopScope scope_{desktop_};
};

TEST_F(WindowTest, CreationSendsCreateThenClientSizeAndOrigin) {
  RecordingWindow window;
  ASSERT_TRUE(window.Create(WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL, {10, 20, 110, 220}, nullptr, 7));
  EXPECT_NE(window.handle(), 0u);
  EXPECT_TRUE(IsWindow(window.handle()));
  EXPECT_EQ(window.id(), 7u);
  // Border 1 on each side, scroll bars 17.
  EXPECT_EQ(window.client_rect(), (RECT{0, 0, 100 - 2 - 17, 200 - 2 - 17}));
  EXPECT_THAT(window.messages, ElementsAre(Message{window.handle(), WM_CREATE, 0, 0},
                                           Message{window.handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(81, 181)},
                                           Message{window.handle(), WM_MOVE, 0, MAKELPARAM(11, 21)}));
  EXPECT_FALSE(window.Create(0, kRect, nullptr, 0)) << "a window is created once";

  RecordingWindow orphan, child;
  EXPECT_FALSE(child.Create(WS_CHILD, kRect, &orphan, 1)) << "a child needs a live parent";
  ASSERT_TRUE(child.Create(WS_CHILD, kRect, &window, 1));
  EXPECT_EQ(GetParent(child.handle()), window.handle());
}

TEST_F(WindowTest, CreateAnsweredMinusOneFailsAndTakesChildrenAlong) {
  RecordingWindow child;
  RecordingWindow window;
  window.handler = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_CREATE) return std::nullopt;
    EXPECT_TRUE(child.Create(WS_CHILD, kRect, &window, 1));
    return -1;
  };
  EXPECT_FALSE(window.Create(0, kRect, nullptr, 0));
  EXPECT_EQ(window.handle(), 0u);
  EXPECT_EQ(child.handle(), 0u);
  EXPECT_THAT(window.MessageIds(), ElementsAre(WM_CREATE)) << "no WM_DESTROY for a window never created";
  EXPECT_THAT(child.MessageIds(), ElementsAre(WM_CREATE, WM_SIZE, WM_MOVE, WM_DESTROY));
}

TEST_F(WindowTest, DestroyNotifiesParentFirstWhileChildrenStillExist) {
  std::vector<Message> log;
  RecordingWindow parent(&log), child(&log), grandchild(&log), second_child(&log);
  ASSERT_TRUE(parent.Create(0, kRect, nullptr, 0));
  ASSERT_TRUE(child.Create(WS_CHILD, kRect, &parent, 1));
  ASSERT_TRUE(grandchild.Create(WS_CHILD, kRect, &child, 2));
  ASSERT_TRUE(second_child.Create(WS_CHILD, kRect, &parent, 3));
  const HWND handles[] = {parent.handle(), child.handle(), grandchild.handle(), second_child.handle()};
  bool children_alive_in_handler = false;
  parent.handler = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_DESTROY) {
      children_alive_in_handler = IsWindow(handles[1]) && IsWindow(handles[2]) && IsWindow(handles[3]);
    }
    return std::nullopt;
  };
  log.clear();
  parent.Destroy();

  EXPECT_TRUE(children_alive_in_handler);
  std::vector<HWND> destroyed;
  for (const Message& m : log) {
    if (m.message == WM_DESTROY) destroyed.push_back(m.hwnd);
  }
  ASSERT_EQ(destroyed.size(), 4u);
  EXPECT_EQ(destroyed[0], handles[0]);
  // Each child before its own children.
  EXPECT_LT(std::find(destroyed.begin(), destroyed.end(), handles[1]),
            std::find(destroyed.begin(), destroyed.end(), handles[2]));
  for (HWND hwnd : handles) EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(child.handle(), 0u);
}

TEST_F(WindowTest, StaleHandlesFindNothingAndAreNeverReused) {
  RecordingWindow window;
  ASSERT_TRUE(window.Create(0, kRect, nullptr, 0));
  const HWND stale = window.handle();
  window.Destroy();
  window.messages.clear();

  EXPECT_EQ(SendMessage(stale, WM_USER, 1, 2), 0);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(FromHandle(stale), nullptr);
  EXPECT_EQ(SetFocus(stale), 0u);
  EXPECT_EQ(SetTimer(stale, 1, 100), 0u);
  EXPECT_FALSE(CreateCaret(stale, 7, 15));

  ASSERT_TRUE(window.Create(0, kRect, nullptr, 0));
  EXPECT_NE(window.handle(), stale);
  EXPECT_EQ(window.SendMessage(WM_GETTEXTLENGTH), 0);
}

class SelfDeletingWindow : public Window {
 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message != WM_DESTROY) return Window::WindowProc(message, wparam, lparam);
    delete this;
    return 0;
  }
};

TEST_F(WindowTest, ObjectsOutliveTheirWindowsAndMayBeDeletedByTheirHandler) {
  RecordingWindow parent;
  ASSERT_TRUE(parent.Create(0, kRect, nullptr, 0));
  auto* self_deleting = new SelfDeletingWindow();
  ASSERT_TRUE(self_deleting->Create(WS_CHILD, kRect, &parent, 1));
  const HWND hwnd = self_deleting->handle();
  RecordingWindow kept;
  ASSERT_TRUE(kept.Create(WS_CHILD, kRect, &parent, 2));

  // A destroyed object takes its window along and leaves nothing to paint.
  std::vector<HWND> painted;
  desktop_.SetRedrawListener([&](HWND h, RedrawRequest request) {
    if (request == RedrawRequest::kNow) painted.push_back(h);
  });
  auto doomed = std::make_unique<RecordingWindow>();
  ASSERT_TRUE(doomed->Create(WS_CHILD, kRect, &parent, 3));
  const HWND doomed_hwnd = doomed->handle();
  doomed->Invalidate();
  doomed.reset();
  EXPECT_FALSE(IsWindow(doomed_hwnd));
  desktop_.PaintPending();
  EXPECT_TRUE(painted.empty());

  parent.Destroy();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(kept.handle(), 0u);
  EXPECT_EQ(kept.SendMessage(WM_USER), 0) << "an object without a window gets no messages";
}

class TextKeepingWindow : public Window {
 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_USER) return 42;
    return Window::DefWindowProc(message, wparam, lparam);
  }
};

TEST_F(WindowTest, UnhandledMessagesReachTheClassDefaultProcessing) {
  TextKeepingWindow window;
  ASSERT_TRUE(window.Create(0, kRect, nullptr, 0));
  EXPECT_EQ(SendMessage(window.handle(), WM_USER), 42);
  EXPECT_EQ(SendMessage(window.handle(), WM_USER + 1), 0);

  window.SetText("ZVEmul");
  EXPECT_EQ(window.GetText(), "ZVEmul");
  EXPECT_EQ(window.SendMessage(WM_GETTEXTLENGTH), 6);
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(window.SendMessage(WM_GETTEXT, sizeof small, reinterpret_cast<LPARAM>(small)), 3);
  EXPECT_STREQ(small, "ZVE");

  window.SendMessage(WM_CLOSE);
  EXPECT_EQ(window.handle(), 0u);
}

TEST_F(WindowTest, AThrowingHandlerIsAnsweredZero) {
  RecordingWindow window;
  ASSERT_TRUE(window.Create(0, kRect, nullptr, 0));
  window.handler = [](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER) throw std::runtime_error("handler failure");
    if (message == WM_USER + 1) throw 5;
    return std::nullopt;
  };
  zv::testing::ExpectCaughtExceptions caught;
  EXPECT_EQ(SendMessage(window.handle(), WM_USER), 0);
  EXPECT_EQ(SendMessage(window.handle(), WM_USER + 1), 0);
  EXPECT_EQ(caught.caught(), (std::vector<std::string>{"handler failure", "unknown exception"}));
  window.SetText("still alive");
  EXPECT_EQ(window.GetText(), "still alive");
}

TEST_F(WindowTest, MoveReportsOnlyWhatChanged) {
  RecordingWindow window;
  ASSERT_TRUE(window.Create(0, kRect, nullptr, 0));
  window.messages.clear();
  EXPECT_TRUE(window.Move({5, 6, 205, 106}));
  EXPECT_THAT(window.messages, ElementsAre(Message{window.handle(), WM_MOVE, 0, MAKELPARAM(5, 6)}));
  window.messages.clear();
  EXPECT_TRUE(window.Move({5, 6, 105, 56}));
  EXPECT_THAT(window.messages, ElementsAre(Message{window.handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 50)}));
  window.messages.clear();
  EXPECT_TRUE(window.Move({5, 6, 105, 56}));
  EXPECT_TRUE(window.messages.empty());
  window.Destroy();
  EXPECT_FALSE(window.Move(kRect));
}

TEST_F(WindowTest, VisibilityCountsTheAncestors) {
  RecordingWindow parent, child;
  ASSERT_TRUE(parent.Create(0, kRect, nullptr, 0));
  ASSERT_TRUE(child.Create(WS_CHILD | WS_VISIBLE, kRect, &parent, 1));
  EXPECT_FALSE(IsWindowVisible(child.handle()));
  child.messages.clear();
  parent.Show(true);
  EXPECT_TRUE(IsWindowVisible(child.handle()));
  child.Show(false);
  child.Show(false);
  EXPECT_THAT(child.messages, ElementsAre(Message{child.handle(), WM_SHOWWINDOW, FALSE, 0}));
  EXPECT_FALSE(IsWindowVisible(child.handle()));
}

TEST_F(WindowTest, RedrawListenerHearsInvalidationOnceAndPaintOnUpdate) {
  std::vector<std::pair<HWND, RedrawRequest>> heard;
  desktop_.SetRedrawListener([&](HWND hwnd, RedrawRequest request) { heard.emplace_back(hwnd, request); });
  RecordingWindow first, second;
  ASSERT_TRUE(first.Create(0, kRect, nullptr, 0));
  ASSERT_TRUE(second.Create(0, kRect, nullptr, 0));

  EXPECT_TRUE(InvalidateRect(first.handle(), nullptr, TRUE));
  first.Invalidate();
  EXPECT_THAT(heard, ElementsAre(std::pair{first.handle(), RedrawRequest::kLater}));
  EXPECT_TRUE(first.needs_drawing());

  second.SendMessage(WM_SETREDRAW, FALSE);
  second.Invalidate();
  EXPECT_FALSE(second.needs_drawing()) << "redraw off";
  second.SendMessage(WM_SETREDRAW, TRUE);
  second.Invalidate();

  heard.clear();
  first.messages.clear();
  EXPECT_TRUE(UpdateWindow(first.handle()));
  EXPECT_THAT(first.MessageIds(), ElementsAre(WM_PAINT));
  EXPECT_FALSE(first.needs_drawing());
  EXPECT_TRUE(UpdateWindow(first.handle()));
  EXPECT_THAT(first.MessageIds(), ElementsAre(WM_PAINT)) << "nothing to draw, no WM_PAINT";

  desktop_.PaintPending();
  EXPECT_THAT(heard, ElementsAre(std::pair{first.handle(), RedrawRequest::kNow},
                                 std::pair{second.handle(), RedrawRequest::kNow}));
  EXPECT_FALSE(second.needs_drawing());
}

TEST(DesktopLifetimeTest, DesktopDestroysTheWindowsStillAlive) {
  std::vector<Message> log;
  RecordingWindow parent(&log), child(&log);
  HWND parent_hwnd = 0, child_hwnd = 0;
  {
    Desktop desktop;
    DesktopScope scope(desktop);
    ASSERT_TRUE(parent.Create(0, kRect, nullptr, 0));
    ASSERT_TRUE(child.Create(WS_CHILD, kRect, &parent, 1));
    parent_hwnd = parent.handle();
    child_hwnd = child.handle();
    log.clear();
  }
  EXPECT_EQ(parent.handle(), 0u);
  EXPECT_EQ(child.handle(), 0u);
  EXPECT_THAT(log, ElementsAre(Message{parent_hwnd, WM_DESTROY, 0, 0}, Message{child_hwnd, WM_DESTROY, 0, 0}));
}

}  // namespace
}  // namespace zv::platform
