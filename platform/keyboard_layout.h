// Keyboard layouts: which character a key makes, dead accents and their
// compositions, the keys that type a character, and the scan codes of a US
// keyboard. Characters are Windows-1252.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/keyboard_state.h"
#include "platform/win_types.h"

namespace zv::platform {

enum class KeyboardLayout {
  kUnitedStates,               // "00000409"
  kUnitedStatesInternational,  // "00020409": ' " ` ~ and Shift+6 are dead accents
};

std::string_view LayoutName(KeyboardLayout layout);

struct KeyTranslation {
  enum class Kind { kNone, kCharacter, kDeadKey };
  Kind kind = Kind::kNone;
  // The character made, or for a dead key its accent as typed on its own.
  BYTE character = 0;
};

// What pressing vk makes with the modifiers and lock keys of `state`:
// letters by Shift xor Caps Lock, digits and punctuation with their shifted
// forms, Enter 0x0D, Backspace 0x08, Tab 0x09, Esc 0x1B, Space, the keypad
// (digits with Num Lock), Ctrl+letter 0x01..0x1A, Ctrl+[ \ ] 0x1B..0x1D,
// Ctrl+Enter 0x0A, Ctrl+Backspace 0x7F. Alt alone does not change the
// character; Ctrl+Alt makes none (the AltGr layer is not modelled).
KeyTranslation TranslateKey(KeyboardLayout layout, UINT vk, const KeyboardState& state);

// The character an accent and a following character compose to, if any
// (accent + space gives the accent itself).
std::optional<BYTE> ComposeAccent(BYTE accent, BYTE character);

struct KeyStroke {
  UINT vk = 0;
  bool shift = false;
  bool ctrl = false;
};

// The key presses that type one character (a dead accent and a key for a
// composed character); empty when no key of the layout makes it.
struct KeyStrokes {
  std::array<KeyStroke, 2> strokes{};
  std::size_t count = 0;
};
KeyStrokes StrokesFor(KeyboardLayout layout, BYTE character, bool caps_lock);

// Set-1 scan code of a key on a US keyboard, and whether it is an extended
// (E0-prefixed) key; code 0 for keys without one.
struct ScanCode {
  BYTE code = 0;
  bool extended = false;
};
ScanCode ScanCodeOf(UINT vk);

}  // namespace zv::platform
