// Host responses on the screen: layout in 64-column rows, the two control
// characters, the pending mark, the line limit, scrolling and the
// HostResponse event.
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class ResponseTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Create();
    // The agent works in window 1.
    Put("CurrentWindow", S(1));
  }
  // An entry typed in window 1 and sent, waiting for its response.
  void SendEntry(std::string_view entry) {
    Type(entry);
    Press(VK_RETURN);
  }
  std::vector<RecordedEvent> HostResponses() { return events.Named("HostResponse"); }
};

TEST_F(ResponseTest, BarsBreakLinesAndLongRowsWrapAt64) {
  SendEntry("a");
  Respond(
      "A\x0C"
      "AB|CD");
  EXPECT_EQ(Text(1), ">A\r\nAB\r\nCD");

  SendEntry("b");
  const std::string row(130, 'R');
  Respond("A\x0C" + row);
  const platform::TextEngine& screen = Screen(1);
  const LONG last = screen.LineCount() - 1;
  EXPECT_EQ(Line(1, last - 2), std::string(64, 'R') + "\t");
  EXPECT_EQ(Line(1, last - 1), std::string(64, 'R') + "\t");
  EXPECT_EQ(Line(1, last), "RR");
  EXPECT_EQ(screen.TextRange(screen.LineStart(last - 1), -1), std::string(64, 'R') + "\t\r\nRR");
  // A row of exactly 64 followed by a bar needs no wrap marker.
  SendEntry("c");
  Respond("A\x0C" + std::string(64, 'S') + "|T");
  EXPECT_EQ(Line(1, Screen(1).LineCount() - 2), std::string(64, 'S'));
}

TEST_F(ResponseTest, ThePendingMarkIsRemovedWhenTheResponseArrives) {
  SendEntry("abc");
  ASSERT_EQ(Line(1, 0), ">ABC<");
  // Enter wrote no line break: the response's row decides where it starts.
  Respond(
      "A\x01"
      "OK");
  EXPECT_EQ(Text(1), ">ABCOK");
  EXPECT_EQ(Text(1).find('<'), std::string::npos);
}

TEST_F(ResponseTest, AStarResponseIsNotShownButReported) {
  SendEntry("abc");
  const std::string before = Text(1);
  Respond(
      "*\x01"
      "HIDDEN");
  EXPECT_EQ(Text(1), before);
  ASSERT_EQ(HostResponses().size(), 1u);
  EXPECT_EQ(HostResponses()[0].Int(0), 1);
  EXPECT_EQ(HostResponses()[0].Int(1), 2);
  EXPECT_EQ(HostResponses()[0].Text(2), "");
  // An empty response shows and reports nothing.
  Respond("");
  EXPECT_EQ(Text(1), before);
  EXPECT_EQ(HostResponses().size(), 1u);
}

TEST_F(ResponseTest, TheRowCharacterPadsTheScreenToThatRow) {
  SendEntry("a");
  Respond(
      "A\x05"
      "ROW FIVE");
  EXPECT_EQ(Screen(1).LineCount(), 5);
  EXPECT_EQ(Line(1, 4), "ROW FIVE");
  // A screen already past the row is not padded.
  SendEntry("b");
  Respond(
      "A\x03"
      "NEXT");
  EXPECT_EQ(Line(1, 4), "ROW FIVEBNEXT");
  EXPECT_EQ(Screen(1).LineCount(), 5);
  // Row numbers from 0x80 name no row.
  SendEntry("c");
  const LONG lines = Screen(1).LineCount();
  Respond(std::string("A\xC8") + "HIGH");
  EXPECT_EQ(Screen(1).LineCount(), lines);
}

TEST_F(ResponseTest, Row12StartsANewLineEvenWithTheClearCommand) {
  SendEntry("abc");
  Respond(
      "\x11\x0C"
      "TEXT");
  EXPECT_EQ(Text(1), ">ABC\r\nTEXT");
}

TEST_F(ResponseTest, TheClearCommandScrollsTheOldScreenAwayFirst) {
  SendEntry("abc");
  Respond(
      "A\x0C"
      "OLD1|OLD2|>");
  SendEntry("def");
  const LONG lines_before = Screen(1).LineCount();
  Respond(
      "\x11\x05"
      "NEW");
  const platform::TextEngine& screen = Screen(1);
  const LONG last = screen.LineCount() - 1;
  EXPECT_EQ(Line(1, last), "NEW");
  EXPECT_EQ(screen.FirstVisibleLine(), last);
  // The old text stays above the page of blank lines.
  EXPECT_EQ(Line(1, 0), ">ABC");
  EXPECT_EQ(Line(1, 3), ">DEF");
  // Padded to a page (16 lines here) and three more, then a line break.
  EXPECT_EQ(screen.LineCount(), 16 + 3 + 1);
  EXPECT_GT(screen.LineCount(), lines_before);
}

TEST_F(ResponseTest, TheBufferIsCutTo250LinesWhenAResponseFindsMoreThan350) {
  std::string lines;
  for (int i = 0; i < 349; ++i) lines += "L" + std::to_string(i) + "|";
  SendEntry("a");
  Respond("A\x0C" + lines + ">");
  SendEntry("b");
  ASSERT_EQ(Screen(1).LineCount(), 351);
  Respond(
      "A\x01"
      "END");
  const platform::TextEngine& screen = Screen(1);
  EXPECT_EQ(screen.LineCount(), 250);
  EXPECT_EQ(Line(1, 0), "");
  EXPECT_EQ(Line(1, 1), "L101");
  EXPECT_EQ(Line(1, 248), "L348");
  EXPECT_EQ(Line(1, 249), ">BEND");
}

TEST_F(ResponseTest, ResponseModeOneReportsTheNextResponseOnly) {
  Put("ResponseMode", S(1), {S(1)});
  SendEntry("a");
  Respond(
      "A\x01"
      "FIRST|SECOND");
  ASSERT_EQ(HostResponses().size(), 1u);
  // Reported with the window index and the text as laid out.
  EXPECT_EQ(HostResponses()[0].Int(0), 0);
  EXPECT_EQ(HostResponses()[0].Int(1), 1);
  EXPECT_EQ(HostResponses()[0].Text(2), "FIRST\r\nSECOND");
  EXPECT_EQ(Get("ResponseMode", {S(1)}).value, S(0));
  SendEntry("b");
  Respond(
      "A\x01"
      "AGAIN");
  EXPECT_EQ(HostResponses().size(), 1u);
}

TEST_F(ResponseTest, OtherResponseModesReportEveryResponse) {
  Put("ResponseMode", S(3), {S(1)});
  for (const char* entry : {"a", "b", "c"}) {
    SendEntry(entry);
    Respond(
        "A\x01"
        "R");
  }
  EXPECT_EQ(HostResponses().size(), 3u);
  EXPECT_EQ(Get("ResponseMode", {S(1)}).value, S(3));
}

TEST_F(ResponseTest, ResponseModeOneAlsoReportsARefusedEntry) {
  Put("ResponseMode", S(1), {S(1)});
  // Before the SOM.
  Press(VK_HOME);
  Press(VK_RETURN);
  // The refusal itself, then the one report the mode asked for.
  ASSERT_EQ(HostResponses().size(), 2u);
  EXPECT_EQ(HostResponses()[1].Int(0), 1);
  EXPECT_EQ(HostResponses()[1].Int(1), 1);
  EXPECT_EQ(Get("ResponseMode", {S(1)}).value, S(0));
}

TEST_F(ResponseTest, ResponsesToHostEntriesScrollAPageOn) {
  for (int i = 0; i < 3; ++i) {
    HostEntry(1, "E");
    Respond(
        "A\x01"
        "X|X|X|X|X|X|X|X|X|X|X|X|X|X|X|X|X|X|X|X|X");
  }
  const platform::TextEngine& screen = Screen(1);
  // The caret line stays in view and the page moved with the responses.
  EXPECT_GE(screen.LineFromChar(screen.Selection().cpMin), screen.FirstVisibleLine());
  EXPECT_GT(screen.FirstVisibleLine(), 0);
}

}  // namespace
}  // namespace zv::testing
