// The keyboard-mapping methods and typed characters with the keyboard
// mapper component registered in the registry store, as an installation
// has it.
#include <fstream>

#include "components/keymap/keymap.h"
#include "keyboard/keyboard_mapping.h"
#include "platform/file_system.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

class KeyboardMappingTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ASSERT_EQ(platform::RegisterServerClass(registry, {keymap::CLSID_KeyboardMapper, keymap::kKeyboardMapperProgId,
                                                       "ZVEmul Keyboard Mapper",
                                                       platform::LogicPath(ZV_KEYMAP_LIBRARY)}),
              ERROR_SUCCESS);
    // The component lives as long as the process: no mapping left over
    // from an earlier test.
    if (g_keyboardMapper != nullptr) g_keyboardMapper->UnloadKeyboardMapping();
    Create();
    Put("CurrentWindow", S(1));
    events.events.clear();
  }

  static std::string Shipped(std::string_view file) { return std::string(ZV_KEYMAP_MAPPINGS "/") + std::string(file); }
  std::string Write(std::string_view rules) {
    const std::filesystem::path path = home.dir.path() / "test.kbm";
    std::ofstream(path, std::ios::binary)
        << "zvemul keyboard mapping 1\nname Test Keys\nshort TK\nkeyboard 00000407\n" << rules;
    return path.string();
  }
  int Load(const std::string& path) { return Call("LoadKeyboardMapping", {T(path)}).value.integer(); }
  std::string Part4() { return control->View().status_bar.parts[4]; }
};

TEST_F(KeyboardMappingTest, LoadingAMappingNamesItInTheStatusBar) {
  EXPECT_EQ(Call("InitKeyboardMapping").value, B(TRUE));
  system->SetKeyboardLayoutName("00000407");
  EXPECT_EQ(CallText("GetKeyboardCode"), "00000407");
  EXPECT_EQ(CallText("GetKeyboardName", {T("00000809")}), "United Kingdom");

  EXPECT_EQ(Load(Shipped("de.kbm")), -1);
  EXPECT_EQ(Part4(), "DE");
  EXPECT_EQ(CallText("GetCurrentKeyboardCode"), "00000407");
  // Both name the mapping and both set the status bar.
  EXPECT_EQ(CallText("GetCurrentKeyboardName"), "German");
  EXPECT_EQ(Load(Shipped("es.kbm")), -1);
  EXPECT_EQ(CallText("CurrentMappingLoaded"), "Spanish");
  EXPECT_EQ(Part4(), "ES");

  // A refused file: FALSE, the keyboard name "US" but the status bar as it
  // was until the bar is drawn again.
  EXPECT_EQ(Load(Write("\xC3\xA4 swap\n")), 0);
  EXPECT_EQ(Part4(), "ES");
  Put("WindowCount", S(10));
  EXPECT_EQ(Part4(), "US");
  EXPECT_EQ(CallText("CurrentMappingLoaded"), "United States");
  EXPECT_EQ(CallText("GetCurrentKeyboardCode"), "00000409");

  // Failures are logged by the wrapper and by the method.
  EXPECT_EQ(CallText("GetKeyboardName", {T("junk")}), "");
  EXPECT_EQ(Logged(), (std::vector<std::string>{"Error retrieving the keyboard name @ CResRichEdit::Internal_GetKeyboardName",
                                                "Error retrieving the keyboard name @ CZVEmulCtrl::GetKeyboardName"}));
}

TEST_F(KeyboardMappingTest, TypedCharactersTakeWhatTheMappingGives) {
  ASSERT_EQ(Load(Write("\xC3\xA4 text AE\n\xC3\xA9 char E\nshift+\xC3\xA9 keep\n\xC2\xB0 pause\n"
                       "\xC2\xA7 text X[MACRO_PAUSE]\n\xC2\xB4 drop\n; char Q\n\xC2\xB5 reset\n")),
            -1);
  EXPECT_EQ(Part4(), "TK");
  struct Case {
    std::string_view typed;  // Windows-1252
    bool shift;
    std::string_view written;
    // The reflected text (type 1) or key (type 2, as "#192").
    std::string_view reflected;
  };
  const Case cases[] = {
      {"\xE4", false, "AE", "AE"},
      {"\xE9", false, "E", "E"},
      {"\xE9", true, "\xE9", "\xE9"},     // left alone with Shift
      {"\xB0", false, "", "#192"},        // a macro pause types nothing
      {"\xA7", false, "X[MACRO_PAUSE]", "X[MACRO_PAUSE]"},  // the marker counts only first
      {"\xB4", false, "", ""},
      {";", false, "Q", "Q"},             // after the host keyboard's own substitution
      {"a", false, "A", "A"},             // no rule
      {"\xB5", false, "", ""},            // the mapping ends...
      {"\xE4", false, "\xE4", "\xE4"},    // ...and the US keyboard is back
  };
  std::string screen = ">";
  for (const Case& c : cases) {
    events.events.clear();
    if (c.shift) {
      platform::CurrentDesktop().keyboard_state().Set(VK_SHIFT, platform::KeyboardState::kDown);
    }
    Type(c.typed);
    platform::CurrentDesktop().keyboard_state().Set(VK_SHIFT, 0);
    EXPECT_EQ(Text(1), screen += c.written) << c.typed;
    std::string reflected;
    for (const RecordedEvent& e : events.Named("InputReflect")) {
      reflected += e.Int(1) == 2 ? "#" + std::to_string(e.Int(2)) : e.Text(3);
    }
    EXPECT_EQ(reflected, c.reflected) << c.typed;
  }
  EXPECT_EQ(Part4(), "US");
  EXPECT_TRUE(Logged().empty());
}

}  // namespace
}  // namespace zv::testing
