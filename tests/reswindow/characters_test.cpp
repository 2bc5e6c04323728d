// Typed characters as a person types them: upper case, the host keyboard's
// substitutions, macro keys, dead accents, insert mode, and the log record
// that each character writes while no keyboard-mapping component exists.
#include "diagnostics/error_log_reader.h"
#include "platform/keyboard_layout.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class CharactersTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    Create();
    Put("CurrentWindow", S(1));
    events.events.clear();
  }
  std::vector<RecordedEvent> Reflected() { return events.Named("InputReflect"); }
  std::vector<ErrorLogRecord> LogRecords() {
    ErrorLogReader reader;
    EXPECT_EQ(reader.Load(home.dir.str() + "/state/logfile.log"), ErrorLogReader::LoadResult::kOk);
    return reader.Records().records;
  }
  std::string PersistDir() { return platform::Utf16ToCp1252(Get("PersistDir").value.string()); }
};

TEST_F(CharactersTest, ALetterIsWrittenUpperCaseAndReflectedWithItsKeyData) {
  Type("a");
  EXPECT_EQ(Text(1), ">A");
  EXPECT_EQ(Screen(1).Selection().cpMin, 2);
  const std::vector<RecordedEvent> reflected = Reflected();
  ASSERT_EQ(reflected.size(), 1u);
  const RecordedEvent& e = reflected[0];
  EXPECT_EQ(e.Int(0), 1);
  EXPECT_EQ(e.Int(1), 1);
  EXPECT_EQ(e.Text(3), "A");
  EXPECT_EQ(e.Int(4), platform::ScanCodeOf('A').code);

  // Without a keyboard-mapping component every character is logged and the
  // keyboard is "US".
  Type("b");
  const std::vector<ErrorLogRecord> records = LogRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].level, 'E');
  EXPECT_EQ(records[1].app_name, "n/a");
  EXPECT_TRUE(records[1].text.starts_with(
      "Error in Initializing Keyboard Mapping Object<location file=res_rich_chars.cpp line="));
  EXPECT_TRUE(records[1].text.ends_with(" func=CResRichEdit::OnChar mdl=n/a>"));
  EXPECT_EQ(control->View().status_bar.parts[4], "US");
}

TEST_F(CharactersTest, KeysTheHostKeyboardLacksAreSubstituted) {
  struct Case {
    std::string_view typed;
    std::string_view written;
    int reflected_type;
    std::string_view reflected_text;
    int reflected_char;
    int flags;
  };
  const Case cases[] = {
      {";", "$", 1, "$", 0, 5},       {",", "#", 1, "#", 0, 4},          {"]", ">", 1, ">", 0, 0x34},
      {"{", "(", 1, "(", 0, 0x0A},    {"\\", "4PLF", 1, "4PLF", 0, 0},   {"|", "4PLFB", 1, "4PLFB", 0, 2},
      {"'", "4P", 1, "4P", 0, 0},     {"`", "", 2, "", VK_OEM_3, 0},     {"~", "", 2, "", VK_OEM_3, 2},
  };
  std::string screen = ">";
  for (const Case& c : cases) {
    events.events.clear();
    Type(c.typed);
    screen += c.written;
    EXPECT_EQ(Text(1), screen) << c.typed;
    ASSERT_EQ(Reflected().size(), 1u) << c.typed;
    EXPECT_EQ(Reflected()[0].Int(1), c.reflected_type) << c.typed;
    EXPECT_EQ(Reflected()[0].Int(4), c.flags) << c.typed;
    if (c.reflected_type == 1) {
      EXPECT_EQ(Reflected()[0].Text(3), c.reflected_text) << c.typed;
    } else {
      EXPECT_EQ(Reflected()[0].Int(2), c.reflected_char) << c.typed;
    }
  }
  // A colon is dropped without a trace.
  events.events.clear();
  Type(":");
  EXPECT_EQ(Text(1), screen);
  EXPECT_TRUE(events.events.empty());
}

TEST_F(CharactersTest, ShiftLetterAndCtrlShiftLetterRunMacrosInsteadOfTyping) {
  Press('B', {.shift = true});
  EXPECT_EQ(Text(1), ">");
  ASSERT_EQ(events.events.size(), 2u);
  EXPECT_EQ(events.events[0].name, "InputReflect");
  EXPECT_EQ(events.events[0].Int(0), 1);
  EXPECT_EQ(events.events[0].Int(1), 2);
  EXPECT_EQ(events.events[0].Int(2), 'B');
  EXPECT_TRUE(events.events[0].IsNull(3));
  EXPECT_EQ(events.events[0].Int(4), 2);
  // No macro table: the key names the empty macro.
  EXPECT_EQ(events.events[1].name, "DriveMacro");
  EXPECT_EQ(events.events[1].Text(0), PersistDir() + "Personal Macros\\.zvm");

  events.events.clear();
  Press('L', {.shift = true, .ctrl = true});
  EXPECT_EQ(Text(1), ">");
  ASSERT_EQ(events.Named("DriveMacro").size(), 1u);
  EXPECT_EQ(events.Named("DriveMacro")[0].Text(0), PersistDir() + "Office Macros\\.zvm");
  EXPECT_EQ(Reflected()[0].Int(2), 0x0C);
  EXPECT_EQ(Reflected()[0].Int(4), 3);
}

TEST_F(CharactersTest, ACtrlCharacterWithoutAMeaningWritesNothing) {
  Press('Q', {.ctrl = true});
  EXPECT_EQ(Text(1), ">");
  EXPECT_TRUE(Reflected().empty());
}

TEST_F(CharactersTest, ADeadAccentIsWrittenAndTheVowelAfterItArrivesPlain) {
  platform::CurrentDesktop().keys().set_layout(platform::KeyboardLayout::kUnitedStatesInternational);
  Press('6', {.shift = true});
  EXPECT_EQ(Text(1), ">^");
  Press('E');
  EXPECT_EQ(Text(1), ">^E");
  // A key that composes nothing: the layout repeats the accent, which is
  // dropped, then gives the key's own character.
  Press('6', {.shift = true});
  Press('T');
  EXPECT_EQ(Text(1), ">^E^T");
}

TEST_F(CharactersTest, InInsertModeAFullRowPushesItsLastCharacterDown) {
  Put("InsertMode", B(TRUE));
  ScreenInput(1, std::string(62, 'A') + "B");
  ASSERT_EQ(Screen(1).LineCount(), 1);
  Press(VK_HOME);
  for (int i = 0; i < 9; ++i) Press(VK_RIGHT);
  Type("z");
  EXPECT_EQ(Line(1, 0), ">" + std::string(9, 'A') + "Z" + std::string(53, 'A') + "\t");
  EXPECT_EQ(Line(1, 1), "B");
  EXPECT_EQ(Screen(1).Selection().cpMin, 11);
}

TEST_F(CharactersTest, ACharacterTypedBeforeTheWrapMarkerStartsTheNextRow) {
  Type(std::string(66, 'q'));
  Press(VK_UP);
  Press(VK_END);
  ASSERT_EQ(Screen(1).Selection().cpMin, 64);
  Type("w");
  EXPECT_EQ(Line(1, 0), ">" + std::string(63, 'Q') + "\t");
  EXPECT_EQ(Line(1, 1), "WQQQ");
  EXPECT_EQ(Screen(1).Selection().cpMin, Screen(1).LineStart(1) + 1);
}

}  // namespace
}  // namespace zv::testing
