// The entry history as the res windows fill it and bring it back: the rule
// that keeps a repeated entry out, the recall position, and the MHA mode word
// that switches between the history's two lists.
#include "reswindow/res_rich.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class HistoryTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Create();
    Put("CurrentWindow", S(1));
  }
  CResRichEdit& Res(int window) { return dynamic_cast<CResRichEdit&>(*platform::FromHandle(Hwnd(window))); }
  // An entry typed in window 1, sent and answered.
  void Send(std::string_view entry) {
    ScreenInput(1, entry);
    Press(VK_RETURN);
    Respond("A\x01OK|>");
  }
  // What `presses` recall key presses write in window 9.
  std::string Recall(int presses) {
    const std::size_t before = Text(9).size();
    for (int i = 0; i < presses; ++i) Res(9).RecallEntry();
    return Text(9).substr(before);
  }
};

TEST_F(HistoryTest, RecallCyclesThroughEntriesStoredOnceEach) {
  EXPECT_EQ(Recall(1), "");
  for (const char* entry : {"Z", "Y", "Y", "X"}) Send(entry);
  EXPECT_EQ(Recall(4), ">X>Y>Z>X");
  // HostEntry adds its text whatever the history holds, after the entry
  // itself was added on its way to the host.
  Recall(2);
  HostEntry(1, "W");
  EXPECT_EQ(Recall(3), ">W>W>X");
}

TEST_F(HistoryTest, ALongEntryIsRecalledOnANewLineInRowsOf64) {
  const std::string entry(100, 'L');
  Send(entry);
  Res(9).RecallEntry();
  const platform::TextEngine& screen = Screen(9);
  ASSERT_EQ(screen.LineCount(), 3);
  EXPECT_EQ(Line(9, 0), ">");
  EXPECT_EQ(Line(9, 1), ">" + entry.substr(0, 63) + "\t");
  EXPECT_EQ(Line(9, 2), entry.substr(63));
}

TEST_F(HistoryTest, MhaSwitchesBetweenTwoListsAndKeepsBoth) {
  Send("FIRST");
  EXPECT_TRUE(Put("MHA", B(TRUE)).ok());
  EXPECT_EQ(Get("MHA").value.integer(), 1);
  EXPECT_EQ(Recall(1), "");
  Send("SECOND");
  EXPECT_EQ(Recall(2), ">SECOND>SECOND");
  Put("MHA", B(FALSE));
  EXPECT_EQ(Recall(2), ">FIRST>FIRST");
}

}  // namespace
}  // namespace zv::testing
