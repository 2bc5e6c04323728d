// What each thing a terminal reports becomes: the key press the control gets,
// text to type, or one of the desk's own commands.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "apps/zvemul/key_decoder.h"
// Last: see curses_api.h.
#include "apps/zvemul/curses_api.h"

namespace zv::desk {
namespace {

using Kind = DeskAction::Kind;

TerminalInput Char(char32_t c, bool alt = false) {
  TerminalInput input;
  input.character = c;
  input.alt = alt;
  return input;
}

TerminalInput Key(int key, std::string name = {}, bool alt = false) {
  TerminalInput input;
  input.kind = TerminalInput::Kind::kKeyCode;
  input.key = key;
  input.key_name = std::move(name);
  input.alt = alt;
  return input;
}

// "S" Shift, "C" Ctrl, "A" Alt.
std::string Mods(const platform::KeyModifiers& m) {
  return std::string(m.shift ? "S" : "") + (m.ctrl ? "C" : "") + (m.alt ? "A" : "");
}

struct PressCase {
  const char* what;
  TerminalInput input;
  UINT vk;
  const char* mods;
};

TEST(KeyDecoder, KeysBecomeThePressesOfAWindowsKeyboard) {
  const PressCase cases[] = {
      {"a letter, without Shift", Char('a'), 'A', ""},
      {"Alt+Shift+letter: the Shift+letter macro key", Char('K', true), 'K', "S"},
      {"Alt+letter", Char('n', true), 'N', "A"},
      {"Ctrl+letter", Char(0x01), 'A', "C"},
      {"Alt+Ctrl+letter: the Ctrl+Shift+letter macro key", Char(0x12, true), 'R', "SC"},
      {"Alt+digit", Char('3', true), '3', "A"},
      {"Enter", Char(0x0D), VK_RETURN, ""},
      {"Alt+Enter", Char(0x0D, true), VK_RETURN, "A"},
      {"Esc", Char(0x1B), VK_ESCAPE, ""},
      {"Tab", Char(0x09), VK_TAB, ""},
      {"Shift+Tab", Key(KEY_BTAB), VK_TAB, "S"},
      {"Backspace as DEL", Char(0x7F), VK_BACK, ""},
      {"Shift+Home", Key(KEY_SHOME), VK_HOME, "S"},
      {"Alt+Up by ESC prefix", Key(KEY_UP, {}, true), VK_UP, "A"},
      {"F12", Key(KEY_F(12)), VK_F12, ""},
      {"Ctrl+C: the control's copy key", Char(0x03), 'C', "C"},
      {"Alt+F7", Key(KEY_F(7), {}, true), VK_F7, "A"},
      {"Ctrl+F11", Key(KEY_F(35)), VK_F11, "C"},
      {"Alt+F10", Key(KEY_F(58)), VK_F10, "A"},
      {"Shift+F10: the menu key", Key(KEY_F(22)), VK_APPS, ""},
      {"Alt+Shift+F3", Key(KEY_F(63)), VK_F3, "SA"},
      {"Ctrl+Up by its terminfo name", Key(KEY_MAX + 7, "kUP5"), VK_UP, "C"},
      {"Ctrl+Shift+Delete", Key(KEY_MAX + 11, "kDC6"), VK_DELETE, "SC"},
  };
  for (const PressCase& c : cases) {
    const DeskAction action = DecodeInput(c.input);
    EXPECT_EQ(action.kind, Kind::kPress) << c.what;
    EXPECT_EQ(action.vk, c.vk) << c.what;
    EXPECT_EQ(Mods(action.modifiers), c.mods) << c.what;
  }
}

TEST(KeyDecoder, OtherCharactersAreTypedInTheControlsCodePage) {
  EXPECT_EQ(DecodeInput(Char('>')).text, ">");
  // The local-command mark, which no key of a US keyboard makes.
  const DeskAction sharp_s = DecodeInput(Char(U'\u00DF'));
  EXPECT_EQ(sharp_s.kind, Kind::kType);
  EXPECT_EQ(sharp_s.text, "\xDF");
  EXPECT_EQ(DecodeInput(Char(U'\u20AC')).text, "\x80");
  EXPECT_EQ(DecodeInput(Char(U'\u4E00')).kind, Kind::kNone);
  EXPECT_EQ(DecodeInput(Char(0x1F)).kind, Kind::kNone);
}

TEST(KeyDecoder, TheDesksOwnKeys) {
  EXPECT_EQ(DecodeInput(Char(0x1C)).kind, Kind::kQuit);
  EXPECT_EQ(DecodeInput(Char(0x11)).kind, Kind::kQuit);
  // F7 and Shift+F7 are the container's: next and previous window.
  for (const auto& [key, mods] : {std::pair{KEY_F(7), ""}, std::pair{KEY_F(19), "S"}}) {
    const DeskAction action = DecodeInput(Key(key));
    EXPECT_EQ(action.kind, Kind::kWindowKey) << mods;
    EXPECT_EQ(action.vk, VK_F7);
    EXPECT_EQ(Mods(action.modifiers), mods);
  }
  EXPECT_EQ(DecodeInput(Char(0x1D)).kind, Kind::kHelp);
  EXPECT_EQ(DecodeInput(Key(KEY_RESIZE)).kind, Kind::kResize);
  EXPECT_EQ(DecodeInput(Key(KEY_MAX + 3, "kUP9")).kind, Kind::kNone);
  EXPECT_EQ(DecodeInput(Key(KEY_MAX + 4, "kFOO5")).kind, Kind::kNone);
}

}  // namespace
}  // namespace zv::desk
