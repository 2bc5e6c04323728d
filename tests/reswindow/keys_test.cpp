// The host terminal's keys, pressed as a person presses them: the key-down
// handler and the character the key makes, together.
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

using Keys = std::vector<std::pair<int, int>>;

class KeysTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Create();
    Put("CurrentWindow", S(1));
  }
  LONG Caret() { return Screen(1).Selection().cpMin; }
  std::string LastLine() { return Line(1, Screen(1).LineCount() - 1); }
  // InputReflect events of keys (type 2): the key and the modifier mask.
  Keys ReflectedKeys() {
    Keys keys;
    for (const RecordedEvent& e : events.Named("InputReflect")) {
      if (e.Int(1) == 2) keys.emplace_back(e.Int(2), e.Int(4));
    }
    return keys;
  }
  void Ok() { Respond("A\x01OK|>"); }
};

TEST_F(KeysTest, EscapeTwiceInARowEmptiesTheRequestQueue) {
  for (const char* entry : {"E1", "E2", "E3"}) HostEntry(1, entry);  // one sent, two waiting
  Press(VK_ESCAPE);
  EXPECT_EQ(LastLine(), ">");
  EXPECT_EQ(Caret(), Screen(1).TextLength());
  Type("a");
  Press(VK_ESCAPE);
  Ok();
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"E1", "E2"}));

  Press(VK_RIGHT);
  Press(VK_ESCAPE);
  Press(VK_ESCAPE);
  Ok();
  EXPECT_EQ(events.Inputs().size(), 2u);
  // Nothing is in flight any more: the next entry goes out at once.
  Type("e4\n");
  EXPECT_EQ(events.Inputs().back(), "E4");
}

TEST_F(KeysTest, EnterVariants) {
  Type("abcdef");
  for (int i = 0; i < 3; ++i) Press(VK_LEFT);
  Press(VK_RETURN, {.shift = true});  // erases the row's end, sends nothing
  EXPECT_EQ(Text(1), ">ABC\r\n");
  EXPECT_EQ(Caret(), 5);
  Press(VK_UP);
  Press(VK_HOME);
  Press(VK_RETURN, {.ctrl = true});  // the whole row
  EXPECT_EQ(Line(1, 0), ">ABC<");
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ABC"});
}

TEST_F(KeysTest, BackspaceErasesWithoutShiftingTheRow) {
  Type("abc  def");
  for (int i = 0; i < 5; ++i) Press(VK_LEFT);
  Press(VK_BACK);
  EXPECT_EQ(Text(1), ">AB   DEF");
  EXPECT_EQ(Caret(), 3);
  // A selection becomes one blank, and nothing else goes.
  Press(VK_LEFT, {.shift = true});
  Press(VK_BACK);
  EXPECT_EQ(Text(1), ">A    DEF");
  EXPECT_EQ(Caret(), 2);
  Press(VK_HOME);
  Press(VK_HOME);
  Press(VK_BACK);
  EXPECT_EQ(Text(1), ">A    DEF");
  EXPECT_EQ(Caret(), 0);
  // Right after the SOM, the SOM goes and a blank keeps the row's columns.
  Press(VK_RIGHT);
  Press(VK_BACK);
  EXPECT_EQ(Text(1), " A    DEF");
  EXPECT_EQ(Caret(), 0);

  // At a row start the last character of the row above goes, not its wrap marker.
  Put("CurrentWindow", S(5));
  Type(std::string(66, 'r'));
  Press(VK_HOME);
  Press(VK_BACK);
  EXPECT_EQ(Line(5, 0), ">" + std::string(62, 'R') + "\t");
  EXPECT_EQ(Line(5, 1), "RRR");
}

TEST_F(KeysTest, HomeGoesAfterTheNearestSomThenTheOneBeforeThenTheRowStart) {
  Type("ab >cd");
  for (LONG expected : {5, 1, 0, 0}) {
    Press(VK_HOME);
    EXPECT_EQ(Caret(), expected);
  }
}

TEST_F(KeysTest, TheCursorStaysInsideTheRowOf64Columns) {
  Type(std::string(70, 'r'));
  Press(VK_UP);
  // End stops before the wrap marker, Right steps over it, Left comes back.
  Press(VK_END);
  EXPECT_EQ(Caret(), 64);
  Press(VK_RIGHT);
  EXPECT_EQ(Caret(), Screen(1).LineStart(1));
  Press(VK_LEFT);
  EXPECT_EQ(Caret(), 64);
}

TEST_F(KeysTest, FunctionKeysSendFixedEntries) {
  Press(VK_F2);
  EXPECT_EQ(Line(1, 0), ">>XI<");
  EXPECT_EQ(events.Named("InputReflect").front().Text(3), ">XI");
  EXPECT_EQ(ReflectedKeys(), (Keys{{VK_RETURN, 0}}));
  Ok();
  // A plain Enter follows, whatever modifier the key had.
  Press(VK_F11, {.ctrl = true});
  Ok();
  Press(VK_F10, {.alt = true});
  EXPECT_EQ(LastLine(), ">>I<");
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"XI", "MT", "I"}));
  // With Shift as well, Ctrl still chooses the entry; Shift, still held,
  // makes the Enter that follows Shift's, which sends nothing.
  Ok();
  events.events.clear();
  Press(VK_F12, {.shift = true, .ctrl = true});
  EXPECT_EQ(events.Named("InputReflect").front().Text(3), "MB");
  EXPECT_EQ(Line(1, Screen(1).LineCount() - 2), ">MB");
  EXPECT_TRUE(events.Inputs().empty());
}

TEST_F(KeysTest, CtrlAThenDeleteLeavesASom) {
  Type("abc");
  Press('A', {.ctrl = true});
  Press(VK_DELETE);
  EXPECT_EQ(Text(1), ">");
}

TEST_F(KeysTest, TabMovesAfterTheNextOrPreviousFieldMark) {
  Type("x(1) y(2)");
  Press(VK_HOME);
  for (LONG expected : {3, 8, 3}) {  // round to the first field of the page
    Press(VK_TAB);
    EXPECT_EQ(Caret(), expected);
  }
  for (LONG expected : {8, 3}) {
    Press(VK_TAB, {.shift = true});
    EXPECT_EQ(Caret(), expected);
  }
  EXPECT_EQ(Text(1), ">X(1) Y(2)");
  EXPECT_EQ(ReflectedKeys().back(), (std::pair<int, int>{VK_TAB, 2}));
  Put("CurrentWindow", S(3));  // no field: the caret stays
  Press(VK_TAB);
  EXPECT_EQ(Screen(3).Selection().cpMin, 1);
}

TEST_F(KeysTest, TheFirstInsertPressSetsOvertypeAndLaterOnesToggleTheInsertState) {
  // The press of creation is neither reflected nor a toggle.
  EXPECT_TRUE(ReflectedKeys().empty());
  Type("abc");
  Press(VK_HOME);
  Type("x");
  EXPECT_EQ(Text(1), ">XBC");
  Press(VK_INSERT);
  EXPECT_EQ(ReflectedKeys(), (Keys{{VK_INSERT, 0}}));
  EXPECT_EQ(control->View().status_bar.parts[2], "INS");
  Type("y");
  EXPECT_EQ(Text(1), ">XYBC");
}

TEST_F(KeysTest, F5F6AndCtrlF6) {
  for (const char* entry : {"x1\n", "y2\n", "z3\n"}) {
    Type(entry);
    Ok();
  }
  for (int i = 0; i < 4; ++i) Press(VK_F5);  // newest first, then round again
  EXPECT_EQ(LastLine(), ">>Z3>Y2>X1>Z3");

  Press(VK_ESCAPE);
  clock->SetLocalTime({.year = 2024, .month = 12, .day = 4});
  Press(VK_F6);
  EXPECT_EQ(LastLine(), ">04DEC");

  Put("CurrentWindow", S(3));
  Type("q\n");
  Respond("A\x0CRA|RB|RA|RB|RC|>");
  Press(VK_F6, {.ctrl = true});
  EXPECT_EQ(Text(3), ">Q\r\nRA\r\nRB\r\nRC\r\n>");
}

TEST_F(KeysTest, F8AndCtrlInsertAreOfferedToTheContainer) {
  Press(VK_F8);
  Press(VK_INSERT, {.ctrl = true});
  ASSERT_EQ(site.accelerators.size(), 2u);
  EXPECT_EQ(site.accelerators[0].msg.wParam, VK_F8);
  EXPECT_EQ(site.accelerators[1].msg.wParam, VK_INSERT);
  EXPECT_EQ(site.accelerators[1].modifiers, KEYMOD_CONTROL);
}

}  // namespace
}  // namespace zv::testing
