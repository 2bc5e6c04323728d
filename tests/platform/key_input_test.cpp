#include "platform/key_input.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "platform/desktop.h"
#include "platform/keyboard_state.h"
#include "platform/window.h"
#include "tests/platform/recording_window.h"

namespace zv::platform {
namespace {

using ::testing::ElementsAre;
using testing::Message;
using testing::RecordingWindow;

constexpr RECT kRect{0, 0, 100, 50};
constexpr LPARAM kUp = static_cast<LPARAM>(0xC0000000u);

class KeyInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create(WS_VISIBLE, kRect, nullptr, 0));
    SetFocus(window_.handle());
    window_.handler = [this](UINT, WPARAM, LPARAM) -> std::optional<LRESULT> {
      shift_seen_ += GetKeyState(VK_SHIFT) < 0 ? '1' : '0';
      return std::nullopt;
    };
  }

  std::vector<Message> Press(UINT vk, KeyModifiers modifiers = {}) {
    window_.messages.clear();
    shift_seen_.clear();
    PressKey(vk, modifiers);
    return window_.messages;
  }
  std::vector<Message> Type(std::string_view text) {
    window_.messages.clear();
    TypeText(text);
    return window_.messages;
  }
  static std::string Characters(const std::vector<Message>& messages) {
    std::string text;
    for (const Message& m : messages) {
      if (m.message == WM_CHAR) text += static_cast<char>(m.wparam);
    }
    return text;
  }
  Message M(UINT message, WPARAM wparam, LPARAM lparam) const { return {window_.handle(), message, wparam, lparam}; }
  // One key without modifiers: its key-down, the character messages, its key-up.
  std::vector<Message> Key(UINT vk, LPARAM bits, std::initializer_list<WPARAM> chars = {},
                           UINT char_message = WM_CHAR) {
    std::vector<Message> out{M(WM_KEYDOWN, vk, bits)};
    for (WPARAM c : chars) out.push_back(M(char_message, c, bits));
    out.push_back(M(WM_KEYUP, vk, kUp | bits));
    return out;
  }

  Desktop desktop_;
  DesktopScope scope_{desktop_};
  std::string shift_seen_;  // '1' where Shift was down at a message
  RecordingWindow window_;
};

TEST_F(KeyInputTest, LetterWithShiftAndCapsLock) {
  EXPECT_EQ(Press('A'), Key('A', 0x001E0001, {'a'}));
  EXPECT_THAT(
      Press('A', {.shift = true}),
      ElementsAre(M(WM_KEYDOWN, VK_SHIFT, 0x002A0001), M(WM_KEYDOWN, 'A', 0x001E0001), M(WM_CHAR, 'A', 0x001E0001),
                  M(WM_KEYUP, 'A', kUp | 0x001E0001), M(WM_KEYUP, VK_SHIFT, kUp | 0x002A0001)));
  // The state is updated before each message: Shift is down from its own
  // key-down on and up at its own key-up.
  EXPECT_EQ(shift_seen_, "11110");

  EXPECT_EQ(Press(VK_CAPITAL), Key(VK_CAPITAL, 0x003A0001));
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1) << "toggled, up";
  EXPECT_EQ(Characters(Press('A')), "A");
  EXPECT_EQ(Characters(Press('A', {.shift = true})), "a");
  EXPECT_EQ(Characters(Press('1', {.shift = true})), "!") << "Caps Lock leaves digits alone";
  Press(VK_CAPITAL);
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 0);
  EXPECT_EQ(Characters(Press('A')), "a");
}

TEST_F(KeyInputTest, ControlCharactersAndKeysWithoutCharacters) {
  EXPECT_EQ(Press(VK_RETURN), Key(VK_RETURN, 0x001C0001, {0x0D}));
  EXPECT_EQ(Press(VK_BACK), Key(VK_BACK, 0x000E0001, {0x08}));
  EXPECT_EQ(Characters(Press(VK_TAB)), "\t");
  EXPECT_EQ(Characters(Press(VK_ESCAPE)), "\x1B");
  EXPECT_EQ(Characters(Press(VK_RETURN, {.ctrl = true})), "\n");
  EXPECT_THAT(
      Press('A', {.ctrl = true}),
      ElementsAre(M(WM_KEYDOWN, VK_CONTROL, 0x001D0001), M(WM_KEYDOWN, 'A', 0x001E0001), M(WM_CHAR, 0x01, 0x001E0001),
                  M(WM_KEYUP, 'A', kUp | 0x001E0001), M(WM_KEYUP, VK_CONTROL, kUp | 0x001D0001)));
  EXPECT_EQ(Characters(Press('Z', {.shift = true, .ctrl = true})), "\x1A");
  EXPECT_EQ(Characters(Press('1', {.ctrl = true})), "") << "Ctrl+digit makes no character";

  EXPECT_EQ(Press(VK_F5), Key(VK_F5, 0x003F0001));
  EXPECT_EQ(Press(VK_INSERT), Key(VK_INSERT, 0x01520001));  // extended
  EXPECT_EQ(GetKeyState(VK_INSERT), 1) << "Insert toggles";
  EXPECT_EQ(Press(VK_RCONTROL), Key(VK_CONTROL, 0x011D0001));
  // F10 is a system key even without Alt.
  EXPECT_THAT(Press(VK_F10),
              ElementsAre(M(WM_SYSKEYDOWN, VK_F10, 0x00440001), M(WM_SYSKEYUP, VK_F10, kUp | 0x00440001)));
}

TEST_F(KeyInputTest, AltDigitIsASystemKeyWithTheContextBit) {
  EXPECT_THAT(Press('1', {.alt = true}),
              ElementsAre(M(WM_SYSKEYDOWN, VK_MENU, 0x20380001), M(WM_SYSKEYDOWN, '1', 0x20020001),
                          M(WM_SYSCHAR, '1', 0x20020001), M(WM_SYSKEYUP, '1', kUp | 0x20020001),
                          M(WM_SYSKEYUP, VK_MENU, kUp | 0x00380001)));
  // Ctrl+Alt is not a system key combination.
  EXPECT_THAT(Press('1', {.ctrl = true, .alt = true}),
              ElementsAre(M(WM_KEYDOWN, VK_CONTROL, 0x001D0001), M(WM_KEYDOWN, VK_MENU, 0x00380001),
                          M(WM_KEYDOWN, '1', 0x00020001), M(WM_KEYUP, '1', kUp | 0x00020001),
                          M(WM_KEYUP, VK_MENU, kUp | 0x00380001), M(WM_KEYUP, VK_CONTROL, kUp | 0x001D0001)));
}

TEST_F(KeyInputTest, ModifiersAlreadyDownAreNeitherPressedNorReleased) {
  std::array<BYTE, 256> state{};
  state[VK_CONTROL] = 0x81;
  ASSERT_TRUE(SetKeyboardState(state.data()));
  EXPECT_EQ(GetKeyState(VK_CONTROL), static_cast<SHORT>(0xFF81));
  EXPECT_EQ(Press('V', {.ctrl = true}), Key('V', 0x002F0001, {0x16}));
  ASSERT_TRUE(GetKeyboardState(state.data()));
  EXPECT_EQ(state[VK_CONTROL], 0x81);
  EXPECT_EQ(state['V'], 0) << "keys other than the lock keys keep no toggled bit";
}

TEST_F(KeyInputTest, CharactersGoWhereTheKeyDownWentKeyUpToTheNewFocus) {
  RecordingWindow other;
  ASSERT_TRUE(other.Create(WS_VISIBLE, kRect, nullptr, 1));
  other.messages.clear();
  window_.handler = [&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_KEYDOWN) SetFocus(other.handle());
    return std::nullopt;
  };
  window_.messages.clear();
  PressKey('Q');
  EXPECT_THAT(window_.MessageIds(), ElementsAre(WM_KEYDOWN, WM_KILLFOCUS, WM_CHAR));
  EXPECT_THAT(other.MessageIds(), ElementsAre(WM_SETFOCUS, WM_KEYUP));

  other.messages.clear();
  window_.messages.clear();
  PressKey('Q', {}, window_.handle());
  EXPECT_THAT(window_.MessageIds(), ElementsAre(WM_KEYDOWN, WM_CHAR, WM_KEYUP)) << "an explicit target gets all";
  EXPECT_TRUE(other.messages.empty());
}

TEST_F(KeyInputTest, AKeyDownThatAnAncestorPreTranslatesGoesNoFurtherAndMakesNoCharacter) {
  RecordingWindow child;
  ASSERT_TRUE(child.Create(WS_VISIBLE, kRect, &window_, 2));
  SetFocus(child.handle());
  child.messages.clear();
  window_.pre_translate = [&](const MSG& msg) {
    return msg.hwnd == child.handle() && msg.message == WM_KEYDOWN && msg.lParam == 0x001E0001;
  };
  PressKey('A', {.ctrl = true});
  EXPECT_THAT(child.MessageIds(), ElementsAre(WM_KEYDOWN, WM_KEYUP, WM_KEYUP)) << "Control down and up, A up";
}

TEST_F(KeyInputTest, TypingTextUsesTheKeysOfTheLayout) {
  const auto messages = Type("aB1!\r\n");
  EXPECT_EQ(Characters(messages), "aB1!\r");
  EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                          [](const Message& m) { return m.message == WM_KEYDOWN && m.wparam == VK_SHIFT; }),
            2);
  EXPECT_EQ(Characters(Type("x\x01")), std::string("x\x01"));
  // No key of a US layout makes a sharp s: a lone character message.
  EXPECT_THAT(Type("\xDF"), ElementsAre(M(WM_CHAR, 0xDF, 1)));
  PressKey(VK_CAPITAL);
  EXPECT_EQ(Characters(Type("aA")), "aA") << "Caps Lock is taken into account";
}

class DeadKeyTest : public KeyInputTest {
 protected:
  void SetUp() override {
    KeyInputTest::SetUp();
    desktop_.keys().set_layout(KeyboardLayout::kUnitedStatesInternational);
  }
};

TEST_F(DeadKeyTest, AccentComposesWithTheNextLetterOrPrecedesIt) {
  EXPECT_EQ(Press(VK_OEM_7), Key(VK_OEM_7, 0x00280001, {'\''}, WM_DEADCHAR));
  EXPECT_TRUE(desktop_.keys().dead_key_pending());
  EXPECT_EQ(Press('E'), Key('E', 0x00120001, {0xE9}));
  EXPECT_FALSE(desktop_.keys().dead_key_pending());
  Press(VK_OEM_7);
  EXPECT_EQ(Press('T'), Key('T', 0x00140001, {'\'', 't'}));

  Press('6', {.shift = true});
  Press(VK_F5);  // a key without a character keeps the accent waiting
  EXPECT_EQ(Characters(Press('O', {.shift = true})), "\xD4");
  Press(VK_OEM_3);
  EXPECT_EQ(Characters(Press(VK_SPACE)), "`");

  EXPECT_THAT(Press(VK_OEM_3, {.shift = true, .alt = true}),
              ElementsAre(M(WM_KEYDOWN, VK_SHIFT, 0x002A0001), M(WM_SYSKEYDOWN, VK_MENU, 0x20380001),
                          M(WM_SYSKEYDOWN, VK_OEM_3, 0x20290001), M(WM_SYSDEADCHAR, '~', 0x20290001),
                          M(WM_SYSKEYUP, VK_OEM_3, kUp | 0x20290001), M(WM_SYSKEYUP, VK_MENU, kUp | 0x00380001),
                          M(WM_KEYUP, VK_SHIFT, kUp | 0x002A0001)));
}

TEST_F(DeadKeyTest, TypingComposedCharactersAndAccents) {
  EXPECT_EQ(Characters(Type("\xE9\xF1'\"x")), "\xE9\xF1'\"x");
  EXPECT_FALSE(desktop_.keys().dead_key_pending());
  std::vector<Message> expected = Key(VK_OEM_7, 0x00280001, {'\''}, WM_DEADCHAR);
  for (const Message& m : Key('E', 0x00120001, {0xE9})) expected.push_back(m);
  EXPECT_EQ(Type("\xE9"), expected);
}

TEST(KeyboardStateTest, SidesAndGenericModifiersMoveTogether) {
  KeyboardState state;
  state.KeyDown(VK_LSHIFT);
  state.KeyDown(VK_RSHIFT);
  state.KeyUp(VK_LSHIFT);
  EXPECT_TRUE(state.IsDown(VK_SHIFT)) << "the right Shift is still held";
  state.KeyUp(VK_RSHIFT);
  EXPECT_FALSE(state.IsDown(VK_SHIFT));
  state.KeyDown(VK_MENU);
  EXPECT_TRUE(state.IsDown(VK_LMENU));
  state.KeyUp(VK_MENU);
  EXPECT_FALSE(state.IsDown(VK_LMENU));
  state.KeyDown(VK_NUMLOCK);
  EXPECT_EQ(state.Get(VK_NUMLOCK), 0x81);
  state.KeyUp(VK_NUMLOCK);
  EXPECT_EQ(state.Get(VK_NUMLOCK), 0x01);
}

}  // namespace
}  // namespace zv::platform
