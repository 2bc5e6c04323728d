#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "platform/window.h"
#include "tests/platform/recording_window.h"

namespace zv::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Message;
using testing::RecordingWindow;

constexpr RECT kRect{0, 0, 100, 50};

class DesktopStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(top_.Create(WS_VISIBLE, kRect, nullptr, 0));
    ASSERT_TRUE(a_.Create(WS_CHILD | WS_VISIBLE, kRect, &top_, 1));
    ASSERT_TRUE(b_.Create(WS_CHILD | WS_VISIBLE, kRect, &top_, 2));
    ASSERT_TRUE(c_.Create(WS_CHILD | WS_VISIBLE, kRect, &top_, 3));
    Clear();
  }
  void Clear() {
    for (RecordingWindow* w : {&top_, &a_, &b_, &c_}) w->messages.clear();
  }

  Desktop desktop_;
  DesktopScope scope_{desktop_};
  RecordingWindow top_, a_, b_, c_;
};

TEST_F(DesktopStateTest, FocusMovesWithKillAndSetFocusNamingTheOtherWindow) {
  EXPECT_EQ(SetFocus(a_.handle()), 0u);
  EXPECT_THAT(a_.messages, ElementsAre(Message{a_.handle(), WM_SETFOCUS, 0, 0}));
  Clear();

  EXPECT_EQ(SetFocus(b_.handle()), a_.handle());
  EXPECT_THAT(a_.messages, ElementsAre(Message{a_.handle(), WM_KILLFOCUS, b_.handle(), 0}));
  EXPECT_THAT(b_.messages, ElementsAre(Message{b_.handle(), WM_SETFOCUS, a_.handle(), 0}));
  EXPECT_EQ(GetFocus(), b_.handle());
  Clear();

  EXPECT_EQ(SetFocus(b_.handle()), b_.handle());
  EXPECT_THAT(b_.messages, IsEmpty()) << "already focused";

  EXPECT_EQ(SetFocus(0), b_.handle());
  EXPECT_THAT(b_.messages, ElementsAre(Message{b_.handle(), WM_KILLFOCUS, 0, 0}));
  EXPECT_EQ(GetFocus(), 0u);
}

TEST_F(DesktopStateTest, FocusIsAlreadyMovedWhenTheOldWindowHearsOfIt) {
  SetFocus(a_.handle());
  HWND focus_seen = 0;
  a_.handler = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_KILLFOCUS) {
      focus_seen = GetFocus();
      SetFocus(c_.handle());
    }
    return std::nullopt;
  };
  Clear();
  EXPECT_EQ(SetFocus(b_.handle()), a_.handle());
  EXPECT_EQ(focus_seen, b_.handle());
  EXPECT_EQ(GetFocus(), c_.handle());
  EXPECT_THAT(c_.messages, ElementsAre(Message{c_.handle(), WM_SETFOCUS, b_.handle(), 0}));
  EXPECT_THAT(b_.MessageIds(), ElementsAre(WM_KILLFOCUS)) << "b never got WM_SETFOCUS";
}

TEST_F(DesktopStateTest, DisabledWindowsAndChildrenOfDisabledWindowsRefuseTheFocus) {
  SetFocus(a_.handle());
  b_.Enable(false);
  Clear();
  EXPECT_EQ(SetFocus(b_.handle()), 0u);
  EXPECT_EQ(GetFocus(), a_.handle());
  EXPECT_THAT(a_.messages, IsEmpty());

  RecordingWindow grandchild;
  ASSERT_TRUE(grandchild.Create(WS_CHILD, kRect, &b_, 9));
  EXPECT_EQ(SetFocus(grandchild.handle()), 0u);
  b_.Enable(true);
  EXPECT_EQ(SetFocus(grandchild.handle()), a_.handle());
}

TEST_F(DesktopStateTest, DisablingTheFocusWindowDropsFocusAndCapture) {
  SetFocus(a_.handle());
  SetCapture(a_.handle());
  Clear();
  a_.Enable(false);
  EXPECT_THAT(a_.messages,
              ElementsAre(Message{a_.handle(), WM_KILLFOCUS, 0, 0}, Message{a_.handle(), WM_CAPTURECHANGED, 0, 0},
                          Message{a_.handle(), WM_ENABLE, FALSE, 0}));
  EXPECT_EQ(GetFocus(), 0u);
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_FALSE(IsWindowEnabled(a_.handle()));
}

TEST_F(DesktopStateTest, HidingAWindowThatHoldsTheFocusGivesItToTheParent) {
  RecordingWindow grandchild;
  ASSERT_TRUE(grandchild.Create(WS_CHILD | WS_VISIBLE, kRect, &a_, 9));
  SetFocus(grandchild.handle());
  Clear();
  a_.Show(false);
  EXPECT_EQ(GetFocus(), top_.handle());
  EXPECT_THAT(top_.messages, ElementsAre(Message{top_.handle(), WM_SETFOCUS, grandchild.handle(), 0}));

  SetFocus(b_.handle());
  a_.Show(true);
  c_.Show(false);
  EXPECT_EQ(GetFocus(), b_.handle()) << "hiding another window leaves the focus alone";
}

TEST_F(DesktopStateTest, DestroyedWindowsTakeFocusCaptureAndCaretSilently) {
  SetFocus(a_.handle());
  SetCapture(a_.handle());
  ASSERT_TRUE(CreateCaret(a_.handle(), 7, 15));
  Clear();
  a_.Destroy();
  EXPECT_THAT(a_.MessageIds(), ElementsAre(WM_DESTROY)) << "no WM_KILLFOCUS or WM_CAPTURECHANGED";
  EXPECT_EQ(GetFocus(), 0u);
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_EQ(desktop_.caret().owner(), 0u);
  EXPECT_FALSE(ShowCaret(0));
}

TEST_F(DesktopStateTest, CaretHidingIsCounted) {
  ASSERT_TRUE(CreateCaret(a_.handle(), 7, 15));
  const Caret& caret = desktop_.caret();
  EXPECT_FALSE(caret.visible()) << "a new caret starts hidden";
  EXPECT_TRUE(ShowCaret(a_.handle()));
  EXPECT_TRUE(caret.visible());
  EXPECT_FALSE(ShowCaret(a_.handle())) << "shown already";

  EXPECT_TRUE(HideCaret(a_.handle()));
  EXPECT_TRUE(HideCaret(0));
  EXPECT_TRUE(ShowCaret(0));
  EXPECT_FALSE(caret.visible()) << "hidden twice, shown once";
  EXPECT_TRUE(ShowCaret(a_.handle()));
  EXPECT_TRUE(caret.visible());

  EXPECT_FALSE(HideCaret(b_.handle())) << "b does not own the caret";
  EXPECT_FALSE(ShowCaret(b_.handle()));

  EXPECT_TRUE(SetCaretPos(12, 34));
  ASSERT_TRUE(CreateCaret(b_.handle(), 7, 21));
  EXPECT_EQ(caret.owner(), b_.handle());
  EXPECT_FALSE(caret.visible()) << "a replaced caret starts hidden again";
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(DestroyCaret());
  EXPECT_FALSE(SetCaretPos(1, 1));
}

TEST_F(DesktopStateTest, CaptureChangesAreAnnouncedToTheLoser) {
  EXPECT_EQ(SetCapture(a_.handle()), 0u);
  EXPECT_THAT(a_.messages, IsEmpty());
  EXPECT_EQ(SetCapture(b_.handle()), a_.handle());
  EXPECT_THAT(a_.messages, ElementsAre(Message{a_.handle(), WM_CAPTURECHANGED, 0, static_cast<LPARAM>(b_.handle())}));
  EXPECT_EQ(SetCapture(b_.handle()), b_.handle());
  EXPECT_THAT(b_.messages, IsEmpty()) << "same window again";
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_THAT(b_.messages, ElementsAre(Message{b_.handle(), WM_CAPTURECHANGED, 0, 0}));
  EXPECT_EQ(GetCapture(), 0u);
}

}  // namespace
}  // namespace zv::platform
