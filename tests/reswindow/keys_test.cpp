// The host terminal's keys, pressed as a person presses them: the key-down
// handler and the character the key makes, together.
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class KeysTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Create();
    Put("CurrentWindow", S(1));
  }
  LONG Caret() { return Screen(1).Selection().cpMin; }
  std::string LastLine() { return Line(1, Screen(1).LineCount() - 1); }
  // The text after the last SOM.
  std::string Entry() {
    const std::string text = Text(1);
    return text.substr(text.rfind('>') + 1);
  }
  // InputReflect events of keys (type 2): the key and the modifier mask.
  std::vector<std::pair<int, int>> ReflectedKeys() {
    std::vector<std::pair<int, int>> keys;
    for (const RecordedEvent& e : events.Named("InputReflect")) {
      if (e.Int(1) == 2) keys.emplace_back(e.Int(2), e.Int(4));
    }
    return keys;
  }
  void Ok() { Respond("A\x01OK|>"); }
  static std::pair<int, int> Key(UINT vk, int modifiers) { return {static_cast<int>(vk), modifiers}; }
};

TEST_F(KeysTest, EscapeTwiceInARowEmptiesTheRequestQueue) {
  // One entry with the container, two waiting.
  for (const char* entry : {"E1", "E2", "E3"}) HostEntry(1, entry);
  ASSERT_EQ(events.Inputs().size(), 1u);

  // Another key between the two leaves the queue alone.
  Press(VK_ESCAPE);
  EXPECT_EQ(LastLine(), ">");
  EXPECT_EQ(Caret(), Screen(1).TextLength());
  // The key is reflected; its character adds nothing.
  EXPECT_EQ(events.events.back().name, "InputReflect");
  EXPECT_EQ(events.events.back().Int(2), VK_ESCAPE);
  Type("a");
  Press(VK_ESCAPE);
  Ok();
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"E1", "E2"}));

  Press(VK_RIGHT);
  Press(VK_ESCAPE);
  Press(VK_ESCAPE);
  EXPECT_EQ(LastLine(), ">");
  Ok();
  EXPECT_EQ(events.Inputs().size(), 2u);
  // Nothing is in flight any more: the next entry goes out at once.
  Type("e4");
  Press(VK_RETURN);
  EXPECT_EQ(events.Inputs().back(), "E4");
}

TEST_F(KeysTest, CtrlEnterSendsTheWholeRowAndShiftEnterErasesItsEnd) {
  Type("abcdef");
  for (int i = 0; i < 3; ++i) Press(VK_LEFT);
  Press(VK_RETURN, {.shift = true});
  EXPECT_EQ(Text(1), ">ABC\r\n");
  EXPECT_EQ(Caret(), 5);
  EXPECT_TRUE(events.Inputs().empty());

  Press(VK_UP);
  Press(VK_HOME);
  Press(VK_RETURN, {.ctrl = true});
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"ABC"});
  EXPECT_EQ(Line(1, 0), ">ABC<");
  Ok();

  // Alt+Enter breaks the line inside the entry.
  Type("de");
  Press(VK_RETURN, {.alt = true});
  Type("fg");
  Press(VK_RETURN);
  EXPECT_EQ(events.Inputs().back(), "DE|FG");
}

TEST_F(KeysTest, MacroKeysSentThroughSendKeyReachTheSystemKeyHandler) {
  const std::string persist = platform::Utf16ToCp1252(Get("PersistDir").value.string());
  Call("SendKey", {S(0), S('B'), S(2), S(1)});
  Call("SendKey", {S(0), S(0x11), S(3), S(1)});
  const auto macros = events.Named("DriveMacro");
  ASSERT_EQ(macros.size(), 2u);
  EXPECT_EQ(macros[0].Text(0), persist + "Personal Macros\\.zvm");
  EXPECT_EQ(macros[1].Text(0), persist + "Office Macros\\.zvm");
  // Alt is always part of the system keys' modifier mask.
  EXPECT_EQ(ReflectedKeys(), (std::vector<std::pair<int, int>>{{'B', 6}, {0x11, 7}}));
  EXPECT_EQ(Text(1), ">");
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
  ASSERT_EQ(Caret(), 0);
  Press(VK_BACK);
  EXPECT_EQ(Text(1), ">A    DEF");
  EXPECT_EQ(Caret(), 0);
}

TEST_F(KeysTest, HomeGoesAfterTheNearestSomThenTheOneBeforeThenTheRowStart) {
  Type("ab >cd");
  ASSERT_EQ(Text(1), ">AB >CD");
  for (LONG expected : {5, 1, 0, 0}) {
    Press(VK_HOME);
    EXPECT_EQ(Caret(), expected);
  }
}

TEST_F(KeysTest, TheCursorStaysInsideTheRowOf64Columns) {
  Type(std::string(70, 'r'));
  ASSERT_EQ(Line(1, 0), ">" + std::string(63, 'R') + "\t");
  Press(VK_UP);
  // End stops before the wrap marker, Right steps over it, Left comes back.
  Press(VK_END);
  EXPECT_EQ(Caret(), 64);
  Press(VK_RIGHT);
  EXPECT_EQ(Caret(), Screen(1).LineStart(1));
  Press(VK_LEFT);
  EXPECT_EQ(Caret(), 64);
}

TEST_F(KeysTest, LeftFromBeyondColumn64OfAFormFeedRowStopsAt64) {
  control.Reset();
  system->SetRichEditVersion(0x00030000);
  Create();
  Put("CurrentWindow", S(1));
  Type(std::string(100, 'f'));
  ASSERT_EQ(Screen(1).CharAt(64), '\x0C');
  ASSERT_EQ(Screen(1).LineCount(), 1);
  Press(VK_LEFT);
  EXPECT_EQ(Caret(), 64);
}

TEST_F(KeysTest, FunctionKeysSendFixedEntries) {
  Press(VK_F2);
  EXPECT_EQ(Line(1, 0), ">>XI<");
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"XI"});
  const RecordedEvent text = events.Named("InputReflect").front();
  EXPECT_EQ(text.Int(1), 1);
  EXPECT_EQ(text.Text(3), ">XI");
  EXPECT_EQ(text.Int(4), 0);
  EXPECT_EQ(ReflectedKeys(), (std::vector<std::pair<int, int>>{{VK_RETURN, 0}}));
  Ok();

  // The entry is sent with a plain Enter, whatever modifier the key had.
  Press(VK_F11, {.ctrl = true});
  Ok();
  Press(VK_F10, {.alt = true});
  EXPECT_EQ(LastLine(), ">>I<");
  EXPECT_EQ(events.Inputs(), (std::vector<std::string>{"XI", "MT", "I"}));
}

TEST_F(KeysTest, CtrlAThenDeleteLeavesASom) {
  Type("abc");
  Press('A', {.ctrl = true});
  Press(VK_DELETE);
  EXPECT_EQ(Text(1), ">");
  EXPECT_EQ(events.Named("InputReflect").back().Text(3), ">");
}

TEST_F(KeysTest, TabMovesAfterTheNextOrPreviousFieldMark) {
  Type("x(1) y(2)");
  Press(VK_HOME);
  // After the next "(", then round to the first of the page.
  for (LONG expected : {3, 8, 3}) {
    Press(VK_TAB);
    EXPECT_EQ(Caret(), expected);
  }
  for (LONG expected : {8, 3}) {
    Press(VK_TAB, {.shift = true});
    EXPECT_EQ(Caret(), expected);
  }
  EXPECT_EQ(Text(1), ">X(1) Y(2)");
  EXPECT_EQ(ReflectedKeys().back(), Key(VK_TAB, 2));

  // Without a field the caret stays.
  Put("CurrentWindow", S(3));
  Press(VK_TAB);
  EXPECT_EQ(Text(3), ">");
  EXPECT_EQ(Screen(3).Selection().cpMin, 1);
}

TEST_F(KeysTest, TheFirstInsertPressSetsOvertypeAndLaterOnesToggleTheInsertState) {
  // The press of creation is neither reflected nor a toggle.
  EXPECT_TRUE(ReflectedKeys().empty());
  EXPECT_EQ(control->View().status_bar.parts[2], "OVR");
  Type("abc");
  Press(VK_HOME);
  Type("x");
  EXPECT_EQ(Text(1), ">XBC");

  Press(VK_INSERT);
  EXPECT_EQ(ReflectedKeys().back(), Key(VK_INSERT, 0));
  EXPECT_EQ(control->View().status_bar.parts[2], "INS");
  Type("y");
  EXPECT_EQ(Text(1), ">XYBC");
}

TEST_F(KeysTest, F5BringsBackOlderEntriesInTurn) {
  for (const char* entry : {"x1", "y2", "z3"}) {
    Type(entry);
    Press(VK_RETURN);
    Ok();
  }
  for (const char* expected : {"Z3", "Y2", "X1", "Z3"}) {
    Press(VK_F5);
    EXPECT_EQ(Entry(), expected);
  }
  EXPECT_EQ(LastLine(), ">>Z3>Y2>X1>Z3");
}

TEST_F(KeysTest, F6WritesTheDateAndCtrlF6RemovesRepeatedLines) {
  clock->SetLocalTime({.year = 2024, .month = 12, .day = 4, .hour = 9});
  Press(VK_F6);
  EXPECT_EQ(Text(1), ">04DEC");
  EXPECT_EQ(ReflectedKeys(), (std::vector<std::pair<int, int>>{{VK_F6, 0}}));

  Press(VK_RETURN);
  Respond("A\x01RA|RB|RA|RB|RC|>");
  Press(VK_F6, {.ctrl = true});
  EXPECT_EQ(Text(1), ">04DEC\r\nRA\r\nRB\r\nRC\r\n>");
}

TEST_F(KeysTest, F8AndCtrlInsertAreOfferedToTheContainer) {
  Type("abc");
  Press(VK_F8);
  Press(VK_INSERT, {.ctrl = true});
  ASSERT_EQ(site.accelerators.size(), 2u);
  EXPECT_EQ(site.accelerators[0].msg.hwnd, control->ControlWindow()->handle());
  EXPECT_EQ(site.accelerators[0].msg.message, WM_KEYDOWN);
  EXPECT_EQ(site.accelerators[0].msg.wParam, VK_F8);
  EXPECT_EQ(site.accelerators[1].msg.wParam, VK_INSERT);
  EXPECT_EQ(site.accelerators[1].modifiers, KEYMOD_CONTROL);
  EXPECT_EQ(Text(1), ">ABC");
}

}  // namespace
}  // namespace zv::testing
