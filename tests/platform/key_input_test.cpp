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
using ::testing::IsEmpty;
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
      modifiers_seen_.push_back({GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0});
      return std::nullopt;
    };
  }

  std::vector<Message> Press(UINT vk, KeyModifiers modifiers = {}) {
    window_.messages.clear();
    modifiers_seen_.clear();
    PressKey(vk, modifiers);
    return window_.messages;
  }
  std::vector<Message> Type(std::string_view text) {
    window_.messages.clear();
    TypeText(text);
    return window_.messages;
  }
  std::string Characters(const std::vector<Message>& messages) {
    std::string text;
    for (const Message& m : messages) {
      if (m.message == WM_CHAR) text += static_cast<char>(m.wparam);
    }
    return text;
  }
  Message M(UINT message, WPARAM wparam, LPARAM lparam) const { return {window_.handle(), message, wparam, lparam}; }

  Desktop desktop_;
  DesktopScope scope_{desktop_};
  std::vector<std::array<bool, 3>> modifiers_seen_;  // Shift, Ctrl, Alt at each message
  RecordingWindow window_;
};

TEST_F(KeyInputTest, LetterWithShiftAndCapsLock) {
  EXPECT_THAT(Press('A'), ElementsAre(M(WM_KEYDOWN, 'A', 0x001E0001), M(WM_CHAR, 'a', 0x001E0001),
                                      M(WM_KEYUP, 'A', kUp | 0x001E0001)));

  EXPECT_THAT(
      Press('A', {.shift = true}),
      ElementsAre(M(WM_KEYDOWN, VK_SHIFT, 0x002A0001), M(WM_KEYDOWN, 'A', 0x001E0001), M(WM_CHAR, 'A', 0x001E0001),
                  M(WM_KEYUP, 'A', kUp | 0x001E0001), M(WM_KEYUP, VK_SHIFT, kUp | 0x002A0001)));
  // The state is updated before each message: Shift is down from its own
  // key-down on and up at its own key-up.
  using S = std::array<bool, 3>;
  EXPECT_THAT(modifiers_seen_, ElementsAre(S{true, false, false}, S{true, false, false}, S{true, false, false},
                                           S{true, false, false}, S{false, false, false}));

  EXPECT_THAT(Press(VK_CAPITAL),
              ElementsAre(M(WM_KEYDOWN, VK_CAPITAL, 0x003A0001), M(WM_KEYUP, VK_CAPITAL, kUp | 0x003A0001)));
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 1) << "toggled, up";
  EXPECT_EQ(Characters(Press('A')), "A");
  EXPECT_EQ(Characters(Press('A', {.shift = true})), "a");
  EXPECT_EQ(Characters(Press('1', {.shift = true})), "!") << "Caps Lock leaves digits alone";
  Press(VK_CAPITAL);
  EXPECT_EQ(GetKeyState(VK_CAPITAL), 0);
  EXPECT_EQ(Characters(Press('A')), "a");
}

TEST_F(KeyInputTest, KeysThatMakeControlCharacters) {
  EXPECT_THAT(Press(VK_RETURN), ElementsAre(M(WM_KEYDOWN, VK_RETURN, 0x001C0001), M(WM_CHAR, 0x0D, 0x001C0001),
                                            M(WM_KEYUP, VK_RETURN, kUp | 0x001C0001)));
  EXPECT_THAT(Press(VK_BACK), ElementsAre(M(WM_KEYDOWN, VK_BACK, 0x000E0001), M(WM_CHAR, 0x08, 0x000E0001),
                                          M(WM_KEYUP, VK_BACK, kUp | 0x000E0001)));
  EXPECT_EQ(Characters(Press(VK_TAB)), "\t");
  EXPECT_EQ(Characters(Press(VK_ESCAPE)), "\x1B");
  EXPECT_EQ(Characters(Press(VK_RETURN, {.ctrl = true})), "\n");
}

TEST_F(KeyInputTest, CtrlLetter) {
  EXPECT_THAT(
      Press('A', {.ctrl = true}),
      ElementsAre(M(WM_KEYDOWN, VK_CONTROL, 0x001D0001), M(WM_KEYDOWN, 'A', 0x001E0001), M(WM_CHAR, 0x01, 0x001E0001),
                  M(WM_KEYUP, 'A', kUp | 0x001E0001), M(WM_KEYUP, VK_CONTROL, kUp | 0x001D0001)));
  EXPECT_EQ(Characters(Press('Z', {.shift = true, .ctrl = true})), "\x1A");
  EXPECT_EQ(Characters(Press('1', {.ctrl = true})), "") << "Ctrl+digit makes no character";
}

TEST_F(KeyInputTest, AltDigitIsASystemKeyWithTheContextBit) {
  const auto messages = Press('1', {.alt = true});
  EXPECT_THAT(messages, ElementsAre(M(WM_SYSKEYDOWN, VK_MENU, 0x20380001), M(WM_SYSKEYDOWN, '1', 0x20020001),
                                    M(WM_SYSCHAR, '1', 0x20020001), M(WM_SYSKEYUP, '1', kUp | 0x20020001),
                                    M(WM_SYSKEYUP, VK_MENU, kUp | 0x00380001)));
  EXPECT_EQ(HIWORD(static_cast<DWORD_PTR>(messages[1].lparam)) & 0x2000, 0x2000);
  // Ctrl+Alt is not a system key combination.
  EXPECT_THAT(Press('1', {.ctrl = true, .alt = true}),
              ElementsAre(M(WM_KEYDOWN, VK_CONTROL, 0x001D0001), M(WM_KEYDOWN, VK_MENU, 0x00380001),
                          M(WM_KEYDOWN, '1', 0x00020001), M(WM_KEYUP, '1', kUp | 0x00020001),
                          M(WM_KEYUP, VK_MENU, kUp | 0x00380001), M(WM_KEYUP, VK_CONTROL, kUp | 0x001D0001)));
}

TEST_F(KeyInputTest, FunctionAndExtendedKeys) {
  EXPECT_THAT(Press(VK_F5), ElementsAre(M(WM_KEYDOWN, VK_F5, 0x003F0001), M(WM_KEYUP, VK_F5, kUp | 0x003F0001)));
  // F10 is a system key even without Alt.
  EXPECT_THAT(Press(VK_F10),
              ElementsAre(M(WM_SYSKEYDOWN, VK_F10, 0x00440001), M(WM_SYSKEYUP, VK_F10, kUp | 0x00440001)));
  EXPECT_THAT(Press(VK_INSERT),
              ElementsAre(M(WM_KEYDOWN, VK_INSERT, 0x01520001), M(WM_KEYUP, VK_INSERT, kUp | 0x01520001)));
  EXPECT_EQ(GetKeyState(VK_INSERT), 1) << "Insert toggles";
  EXPECT_THAT(Press(VK_RCONTROL),
              ElementsAre(M(WM_KEYDOWN, VK_CONTROL, 0x011D0001), M(WM_KEYUP, VK_CONTROL, kUp | 0x011D0001)));
}

TEST_F(KeyInputTest, ModifiersAlreadyDownAreNeitherPressedNorReleased) {
  std::array<BYTE, 256> state{};
  state[VK_CONTROL] = 0x81;
  ASSERT_TRUE(SetKeyboardState(state.data()));
  EXPECT_EQ(GetKeyState(VK_CONTROL), static_cast<SHORT>(0xFF81));
  EXPECT_THAT(Press('V', {.ctrl = true}), ElementsAre(M(WM_KEYDOWN, 'V', 0x002F0001), M(WM_CHAR, 0x16, 0x002F0001),
                                                      M(WM_KEYUP, 'V', kUp | 0x002F0001)));
  std::array<BYTE, 256> after{};
  ASSERT_TRUE(GetKeyboardState(after.data()));
  EXPECT_EQ(after[VK_CONTROL], 0x81);
  EXPECT_EQ(after['V'], 0) << "keys other than the lock keys keep no toggled bit";
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
  EXPECT_THAT(other.messages, IsEmpty());
}

class DeadKeyTest : public KeyInputTest {
 protected:
  void SetUp() override {
    KeyInputTest::SetUp();
    desktop_.keys().set_layout(KeyboardLayout::kUnitedStatesInternational);
  }
};

TEST_F(DeadKeyTest, AccentComposesWithTheNextLetterOrPrecedesIt) {
  EXPECT_THAT(Press(VK_OEM_7), ElementsAre(M(WM_KEYDOWN, VK_OEM_7, 0x00280001), M(WM_DEADCHAR, '\'', 0x00280001),
                                           M(WM_KEYUP, VK_OEM_7, kUp | 0x00280001)));
  EXPECT_TRUE(desktop_.keys().dead_key_pending());
  EXPECT_THAT(Press('E'), ElementsAre(M(WM_KEYDOWN, 'E', 0x00120001), M(WM_CHAR, 0xE9, 0x00120001),
                                      M(WM_KEYUP, 'E', kUp | 0x00120001)));
  EXPECT_FALSE(desktop_.keys().dead_key_pending());

  Press(VK_OEM_7);
  EXPECT_THAT(Press('T'), ElementsAre(M(WM_KEYDOWN, 'T', 0x00140001), M(WM_CHAR, '\'', 0x00140001),
                                      M(WM_CHAR, 't', 0x00140001), M(WM_KEYUP, 'T', kUp | 0x00140001)));

  Press('6', {.shift = true});
  Press(VK_F5);  // a key without a character keeps the accent waiting
  EXPECT_EQ(Characters(Press('O', {.shift = true})), "\xD4");
  Press(VK_OEM_3);
  EXPECT_EQ(Characters(Press(VK_SPACE)), "`");
}

TEST_F(DeadKeyTest, AltDeadKeyIsASystemDeadCharacter) {
  EXPECT_THAT(Press(VK_OEM_3, {.shift = true, .alt = true}),
              ElementsAre(M(WM_KEYDOWN, VK_SHIFT, 0x002A0001), M(WM_SYSKEYDOWN, VK_MENU, 0x20380001),
                          M(WM_SYSKEYDOWN, VK_OEM_3, 0x20290001), M(WM_SYSDEADCHAR, '~', 0x20290001),
                          M(WM_SYSKEYUP, VK_OEM_3, kUp | 0x20290001), M(WM_SYSKEYUP, VK_MENU, kUp | 0x00380001),
                          M(WM_KEYUP, VK_SHIFT, kUp | 0x002A0001)));
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

TEST_F(DeadKeyTest, TypingComposedCharactersAndAccents) {
  EXPECT_EQ(Characters(Type("\xE9\xF1'\"x")), "\xE9\xF1'\"x");
  EXPECT_FALSE(desktop_.keys().dead_key_pending());
  const auto messages = Type("\xE9");
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[0], M(WM_KEYDOWN, VK_OEM_7, 0x00280001));
  EXPECT_EQ(messages[1], M(WM_DEADCHAR, '\'', 0x00280001));
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
