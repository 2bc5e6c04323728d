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
  std::string PersistDir() { return platform::Utf16ToCp1252(Get("PersistDir").value.string()); }
};

TEST_F(CharactersTest, ALetterIsWrittenUpperCaseReflectedAndLogged) {
  Type("ab");
  EXPECT_EQ(Text(1), ">AB");
  const std::vector<RecordedEvent> reflected = Reflected();
  ASSERT_EQ(reflected.size(), 2u);
  EXPECT_EQ(reflected[0].Text(3), "A");
  EXPECT_EQ(reflected[0].Int(4), platform::ScanCodeOf('A').code);

  // Without a keyboard-mapping component every character is logged.
  ErrorLogReader reader;
  ASSERT_EQ(reader.Load(home.dir.str() + "/state/logfile.log"), ErrorLogReader::LoadResult::kOk);
  const std::vector<ErrorLogRecord> records = reader.Records().records;
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].level, 'E');
  EXPECT_TRUE(records[1].text.starts_with(
      "Error in Initializing Keyboard Mapping Object<location file=res_rich_chars.cpp line="));
  EXPECT_TRUE(records[1].text.ends_with(" func=CResRichEdit::OnChar mdl=n/a>"));
  EXPECT_EQ(control->View().status_bar.parts[4], "US");
}

TEST_F(CharactersTest, KeysTheHostKeyboardLacksAreSubstituted) {
  struct Case {
    std::string_view typed, written, reflected;
    int flags;
  };
  // ":" is dropped; "`" writes nothing and is reflected as its key, 0xC0.
  const Case cases[] = {{";", "$", "$", 5}, {"]", ">", ">", 0x34}, {"\\", "4PLF", "4PLF", 0}, {":", "", "", 0}};
  std::string screen = ">";
  for (const Case& c : cases) {
    events.events.clear();
    Type(c.typed);
    EXPECT_EQ(Text(1), screen += c.written) << c.typed;
    ASSERT_EQ(Reflected().size(), c.reflected.empty() ? 0u : 1u) << c.typed;
    if (c.reflected.empty()) continue;
    EXPECT_EQ(Reflected()[0].Text(3), c.reflected) << c.typed;
    EXPECT_EQ(Reflected()[0].Int(4), c.flags) << c.typed;
  }
  events.events.clear();
  Type("`");
  EXPECT_EQ(Text(1), screen);
  ASSERT_EQ(Reflected().size(), 1u);
  EXPECT_EQ(Reflected()[0].Int(2), VK_OEM_3);
}

TEST_F(CharactersTest, ShiftLetterAndCtrlShiftLetterRunMacrosAndCtrlLettersWriteNothing) {
  Type("ab");
  events.events.clear();
  Press('B', {.shift = true});
  Press('L', {.shift = true, .ctrl = true});
  Press('Q', {.ctrl = true});
  // Ctrl+Shift+A and C are the control's: the engine never sees them, so
  // nothing is selected that the next character would replace.
  Press('A', {.shift = true, .ctrl = true});
  Press('C', {.shift = true, .ctrl = true});
  // The same keys as the control's SendKey passes them, Alt in the mask.
  Call("SendKey", {S(0), S('B'), S(2), S(1)});
  Call("SendKey", {S(0), S(0x11), S(3), S(1)});
  Type("c");
  EXPECT_EQ(Text(1), ">ABC");
  const std::string personal = PersistDir() + "Personal Macros/.zvm";  // unbound keys: the empty macro
  const std::string office = PersistDir() + "Office Macros/.zvm";
  std::vector<std::string> macros;
  for (const RecordedEvent& e : events.Named("DriveMacro")) macros.push_back(e.Text(0));
  EXPECT_EQ(macros, (std::vector<std::string>{personal, office, office, office, personal, office}));
  std::vector<std::pair<int, int>> keys;
  for (const RecordedEvent& e : Reflected()) {
    if (e.Int(1) != 2) continue;
    EXPECT_EQ(e.Int(0), 1);
    EXPECT_TRUE(e.IsNull(3));
    keys.emplace_back(e.Int(2), e.Int(4));
  }
  EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{'B', 2}, {0x0C, 3}, {'A', 3}, {'C', 3}, {'B', 6}, {0x11, 7}}));
}

TEST_F(CharactersTest, ADeadAccentIsWrittenAndTheVowelAfterItArrivesPlain) {
  platform::CurrentDesktop().keys().set_layout(platform::KeyboardLayout::kUnitedStatesInternational);
  Press('6', {.shift = true});
  Press('E');
  EXPECT_EQ(Text(1), ">^E");
  // Nothing composed: the layout repeats the accent, which is dropped, then
  // gives the key's own character.
  Press('6', {.shift = true});
  Press('T');
  EXPECT_EQ(Text(1), ">^E^T");
}

TEST_F(CharactersTest, RowEnds) {
  // Insert mode: a full row pushes its last character down.
  Put("InsertMode", B(TRUE));
  ScreenInput(1, std::string(62, 'A') + "B");
  Press(VK_HOME);
  for (int i = 0; i < 9; ++i) Press(VK_RIGHT);
  Type("z");
  EXPECT_EQ(Line(1, 0), ">" + std::string(9, 'A') + "Z" + std::string(53, 'A') + "\t");
  EXPECT_EQ(Line(1, 1), "B");
  EXPECT_EQ(Screen(1).Selection().cpMin, 11);

  // Typed before the wrap marker, a character starts the next row.
  Put("CurrentWindow", S(3));
  Type(std::string(66, 'q'));
  Press(VK_UP);
  Press(VK_END);
  Type("w");
  EXPECT_EQ(Line(3, 0), ">" + std::string(63, 'Q') + "\t");
  EXPECT_EQ(Line(3, 1), "WQQQ");
}

}  // namespace
}  // namespace zv::testing
