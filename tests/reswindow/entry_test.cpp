// The road of an entry: typed after the SOM, Enter, extracted, cleaned,
// checked, and offered to the container.
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class EntryTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Create();
    // The agent works in window 1.
    Put("CurrentWindow", S(1));
  }
  void Enter() { Press(VK_RETURN); }
};

TEST_F(EntryTest, EnterSendsTheTypedEntryAndMarksItPending) {
  Type("abc");
  EXPECT_EQ(Text(1), ">ABC");
  Enter();
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ABC"});
  // The entry is followed by the pending mark; Enter's character writes nothing.
  EXPECT_EQ(Text(1), ">ABC<");
  // Each letter is reflected as a text; Enter as a key.
  const auto reflected = events.Named("InputReflect");
  ASSERT_EQ(reflected.size(), 4u);
  EXPECT_EQ(reflected[2].Text(3), "C");
  EXPECT_EQ(reflected[3].Int(1), 2);
  EXPECT_EQ(reflected[3].Int(2), VK_RETURN);
  Respond(
      "A\x0C"
      "DONE");
  EXPECT_EQ(Text(1), ">ABC\r\nDONE");
  // Typed text takes the input colour, the response its own.
  EXPECT_EQ(Screen(1).FormatAt(1).color, 0x0000FFFFu);
  EXPECT_EQ(Screen(1).FormatAt(6).color, 0x00FFFFFFu);
}

TEST_F(EntryTest, HostMarksAndQuotesAreDroppedFromTheEntry) {
  ScreenInput(1, "A+B,C=D%E");
  Enter();
  Respond(
      "A\x01"
      "OK|>");
  ScreenInput(1, "\"Q\"<R");
  Enter();
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"ABCDE", "QR"}));
}

TEST_F(EntryTest, AnEntryWrappedOverThreeRowsIsSentAsOneLine) {
  std::string entry;
  for (int i = 0; i < 150; ++i) entry += static_cast<char>('A' + i % 26);
  ScreenInput(1, entry);
  EXPECT_EQ(Screen(1).LineCount(), 3);
  EXPECT_EQ(Line(1, 0), ">" + entry.substr(0, 63) + "\t");
  EXPECT_EQ(Line(1, 1), entry.substr(63, 64) + "\t");
  EXPECT_EQ(Line(1, 2), entry.substr(127));
  Enter();
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{entry});
}

TEST_F(EntryTest, ALineBreakInsideAnEntryIsSentAsABar) {
  ScreenInput(1, "AB\r\nCD");
  Enter();
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"AB|CD"});
}

TEST_F(EntryTest, WhileRequestsAreInFlightTheEntryStartsAfterThePendingMark) {
  HostEntry(1, "X");  // one request in flight
  ScreenInput(1, "\r\n>FIRST<SECOND");
  Enter();
  EXPECT_TRUE(events.Inputs() == std::vector<std::string>{"X"});
  Respond(
      "A\x01"
      "R");
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"X", "SECOND"}));
}

TEST_F(EntryTest, EntriesTypedAheadAfterThePendingMarkAreSentAlone) {
  for (const char* entry : {"a11junlonpar", "a12junlonpar", "a13junlonpar"}) {
    Type(entry);
    Press(VK_RETURN);
  }
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"A11JUNLONPAR"});
  Respond("\x11\x0COK");
  Respond("\x11\x0COK");
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"A11JUNLONPAR", "A12JUNLONPAR", "A13JUNLONPAR"}));
}

TEST_F(EntryTest, WithNothingInFlightThePendingMarkIsPartOfTheEntry) {
  ScreenInput(1, "FIRST<SECOND");
  Enter();
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"FIRSTSECOND"});
}

TEST_F(EntryTest, EntriesOfUpTo1020CharactersAreSent) {
  const std::string longest(1020, 'L');
  ScreenInput(1, longest);
  Enter();
  ASSERT_EQ(events.Inputs(), std::vector<std::string>{longest});
  EXPECT_TRUE(boxes->boxes().empty());
}

TEST_F(EntryTest, ALongerEntryIsRefusedWithAMessageAndAHostResponse) {
  ScreenInput(1, std::string(1021, 'L'));
  Enter();
  EXPECT_TRUE(events.Inputs().empty());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Input is too long. Please try again."});
  const auto responses = events.Named("HostResponse");
  ASSERT_EQ(responses.size(), 1u);
  EXPECT_EQ(responses[0].Int(0), 1);
  EXPECT_EQ(responses[0].Int(1), 1);
  EXPECT_EQ(responses[0].Text(2), "");
  // A fresh SOM line follows the refused entry.
  const platform::TextEngine& screen = Screen(1);
  EXPECT_EQ(Line(1, screen.LineFromChar(screen.Selection().cpMin)), ">");
  EXPECT_EQ(screen.Selection().cpMin, screen.TextLength());
}

TEST_F(EntryTest, EnterBeforeAnySomTellsTheAgentAndTheContainer) {
  Type("abc");
  // After the SOM, then before it.
  Press(VK_HOME);
  Press(VK_HOME);
  Enter();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"SOM not found"});
  ASSERT_EQ(events.Named("HostResponse").size(), 1u);
  EXPECT_EQ(events.Named("HostResponse")[0].Int(0), 1);
  EXPECT_TRUE(events.Inputs().empty());
  EXPECT_EQ(platform::GetFocus(), Hwnd(1));
  // A new SOM line was written where the caret stood.
  EXPECT_EQ(Text(1).substr(0, 3), "\r\n>");
}

TEST_F(EntryTest, AnEmptyEntryOnlyStartsANewSomLine) {
  Enter();
  EXPECT_TRUE(events.Inputs().empty());
  EXPECT_TRUE(boxes->boxes().empty());
  // The caret stands after the new SOM: the Enter character adds no line.
  EXPECT_EQ(Text(1), ">\r\n>");
  EXPECT_EQ(Screen(1).Selection().cpMin, 3);
}

TEST_F(EntryTest, TheEntryUAlsoAsksForUnsolicitedMessages) {
  HostEntry(1, "U");
  ASSERT_EQ(events.events.size(), 2u);
  EXPECT_EQ(events.events[0].name, "USMGRequest");
  EXPECT_TRUE(events.events[0].args.empty());
  EXPECT_EQ(events.events[1].name, "DataSourceInput");
  EXPECT_EQ(events.events[1].Text(0), "U");
  HostEntry(1, "UU");
  EXPECT_EQ(events.Named("USMGRequest").size(), 1u);
}

TEST_F(EntryTest, TextTypedInsideARowOvertypesOrInsertsAndKeepsRowsAt64) {
  ScreenInput(1, std::string(63, 'A') + "BBBB");
  // Caret back to column 10 of the first row.
  Press(VK_UP);
  Press(VK_HOME);
  for (int i = 0; i < 9; ++i) Press(VK_RIGHT);
  ScreenInput(1, "XY");
  EXPECT_EQ(Line(1, 0), ">AAAAAAAAAXY" + std::string(52, 'A') + "\t");
  EXPECT_EQ(Line(1, 1), "BBBB");

  // In the insert state the row makes room and its end moves down.
  Put("InsertMode", B(TRUE));
  ScreenInput(1, "Z");
  EXPECT_EQ(Line(1, 0), ">AAAAAAAAAXYZ" + std::string(51, 'A') + "\t");
  EXPECT_EQ(Line(1, 1), "ABBBB");
  EXPECT_EQ(Screen(1).Selection().cpMin, 13);
  Enter();
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"AAAAAAAAAXYZ"});
}

TEST_F(EntryTest, TextTypedIntoAWrappedResponseRebreaksOnlyThatParagraph) {
  ScreenInput(1, "X");
  Enter();
  Respond("A\x0C" + std::string(100, 'R') + "|NEXT|>");
  ASSERT_EQ(Line(1, 2), std::string(36, 'R'));
  for (int i = 0; i < 3; ++i) Press(VK_UP);
  Press(VK_HOME);
  for (int i = 0; i < 10; ++i) Press(VK_RIGHT);
  Put("InsertMode", B(TRUE));
  ScreenInput(1, "Z");
  EXPECT_EQ(Line(1, 1), std::string(10, 'R') + "Z" + std::string(53, 'R') + "\t");
  EXPECT_EQ(Line(1, 2), std::string(37, 'R'));
  EXPECT_EQ(Line(1, 3), "NEXT");
  EXPECT_EQ(Line(1, 4), ">");
  const platform::TextEngine& screen = Screen(1);
  EXPECT_EQ(screen.Selection().cpMin, screen.LineStart(1) + 11);
}

TEST_F(EntryTest, TheFormFeedMarkerOfOlderEnginesIsRemovedToo) {
  control.Reset();
  system->SetRichEditVersion(0x00030000);
  Create();
  Put("CurrentWindow", S(1));
  const std::string entry(100, 'F');
  ScreenInput(1, entry);
  EXPECT_EQ(Text(1), ">" + entry.substr(0, 63) + "\x0C" + entry.substr(63));
  Enter();
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{entry});
}

TEST_F(EntryTest, AnEngineWithoutAVersionGetsTheTabAndReturnMarker) {
  control.Reset();
  system->SetRichEditVersion(0);
  Create();
  Put("CurrentWindow", S(1));
  ScreenInput(1, std::string(70, 'V'));
  EXPECT_EQ(Screen(1).LineCount(), 2);
  EXPECT_EQ(Line(1, 0).back(), '\t');
}

}  // namespace
}  // namespace zv::testing
