// Local commands typed as an agent types them: the mark 0xDF, a command
// word, Enter. They are answered on the spot and never reach the host.
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class LocalCommandsTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    fonts->faces.push_back({"Comic Sans MS"});
    Create();
    Put("CurrentWindow", S(1));
  }
  // Types the entry and Enter; the boxes shown as "caption|text".
  std::vector<std::string> Enter(std::string_view entry) {
    boxes->Clear();
    events.events.clear();
    Type(entry);
    Press(VK_RETURN);
    std::vector<std::string> shown;
    for (const auto& box : boxes->boxes()) shown.push_back(box.caption + "|" + box.text);
    return shown;
  }
  std::string Font() { return platform::Utf16ToCp1252(Get("DefaultFont").value.string()); }
  int FontSize() { return Get("DefaultFontSize").value.integer(); }
};

TEST_F(LocalCommandsTest, CommandsAreAnsweredHereAndNeverSent) {
  const std::string help =
      "|Commands:\r\n\tVER\tReturns version information.\r\n\tCOLON [ON][OFF]\tModify or view colon translation "
      "status\r\n\tFONT [FontName]\tModify or view Emulator fontFONTSIZE [FontSize]\tModify or view Emulator fontsize";
  const std::string version = "|ZVEmul ActiveX Control Module\r\nversion: 1, 0, 1, 2";
  struct Case {
    std::string_view typed;
    std::vector<std::string> boxes;
    std::string_view font;
    int size;
  };
  const Case cases[] = {
      {"\xDF" "ver", {version}, "Courier New", 10},
      {"\xDF" "font verdana", {version}, "Courier New", 10},  // VER is looked for first
      {"\xDF" "fontsize", {"Current Emulator Font|Current Emulator Font size: 10"}, "Courier New", 10},
      {"\xDF" "fontsize 12", {}, "Courier New", 12},
      {"\xDF" "font 3", {}, "Comic Sans MS", 12},
      {"\xDF" "font 0", {"Current Emulator Font|Comic Sans MS"}, "Comic Sans MS", 12},
      {"\xDF" "font 42", {}, "Courier New", 12},
      {"\xDF" "font arial", {}, "Courier New", 12},  // " ARIAL", blank and all, is no face
      {"\xDF" "colon off", {"|STATUS: COLON OFF"}, "Courier New", 12},
      {"\xDF" "colon", {"|STATUS: COLON OFF"}, "Courier New", 12},
      {"\xDF" "colon on", {"|STATUS: COLON ON"}, "Courier New", 12},
      {"\xDF" "help", {help}, "Courier New", 12},
      {"\xDF?", {help}, "Courier New", 12},
      {"\xDF" "hello", {}, "Courier New", 12},  // unknown: swallowed
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Enter(c.typed), c.boxes) << c.typed;
    EXPECT_EQ(Font(), c.font) << c.typed;
    EXPECT_EQ(FontSize(), c.size) << c.typed;
    EXPECT_TRUE(events.Inputs().empty()) << c.typed;
    // The command's row keeps its first character, the SOM; a new SOM line follows.
    const LONG lines = Screen(1).LineCount();
    EXPECT_EQ(Line(1, lines - 2), ">") << c.typed;
    EXPECT_EQ(Line(1, lines - 1), ">") << c.typed;
    EXPECT_EQ(control->View().focus, Hwnd(1));
  }
  // Without the mark a command word is an entry for the host.
  EXPECT_TRUE(Enter("help").empty());
  EXPECT_EQ(events.Inputs(), std::vector<std::string>{"HELP"});
}

}  // namespace
}  // namespace zv::testing
