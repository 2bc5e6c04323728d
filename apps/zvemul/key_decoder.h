// What the desk does with each thing the terminal reports: a key press for
// the control (through the platform's key helper), text to type, or one of
// the desk's own commands.
//
// A terminal cannot tell Shift+letter from Caps Lock, so letters are always
// pressed without Shift (the res windows upper-case them). The macro keys
// stay reachable through Alt: Alt+Shift+letter is the Shift+letter macro key
// and Alt+Ctrl+letter the Ctrl+Shift+letter one. Shift+F10 is the menu key
// (the Apps key), as on a desktop.
#pragma once

#include <string>

#include "platform/key_input.h"
#include "platform/win_types.h"

namespace zv::desk {

// One thing read from the terminal.
struct TerminalInput {
  enum class Kind { kCharacter, kKeyCode, kMouse, kPaste };
  Kind kind = Kind::kCharacter;
  char32_t character = 0;  // kCharacter: the Unicode character
  int key = 0;             // kKeyCode: the curses key code
  std::string key_name;    // kKeyCode: keyname() of a code above KEY_MAX, such as "kUP5"
  bool alt = false;        // an ESC came right before it
  // kMouse: the cell and the button (1 left, 3 right) pressed there.
  int row = 0;
  int column = 0;
  int button = 0;
  bool released = false;  // kMouse: the button went up there
  std::string text;       // kPaste: what was pasted into the terminal, UTF-8
};

struct DeskAction {
  enum class Kind {
    kNone,
    kPress,   // vk with modifiers, through KeyInput::Press
    kType,    // text (Windows-1252), through KeyInput::Type
    kQuit,    // leave the desk
    kHelp,    // show the desk's help screen
    kResize,  // the terminal changed size
    kMouse,   // row, column, button as reported
    // A window key the container acts on itself through the control's
    // SendKey (vk and modifiers): F7 and Shift+F7 switch windows.
    kWindowKey,
    // Text pasted into the terminal (Windows-1252): the control pastes it
    // as clipboard text, not as typed keys.
    kPaste,
  };
  Kind kind = Kind::kNone;
  UINT vk = 0;
  platform::KeyModifiers modifiers;
  std::string text;
  int row = 0;
  int column = 0;
  int button = 0;
  bool released = false;
};

// The desk's own keys; the control uses none of them. Ctrl+C is the
// control's copy key, as on a desktop.
inline constexpr char32_t kQuitKey = 0x1C;      // Ctrl+backslash
inline constexpr char32_t kOtherQuitKey = 0x11;  // Ctrl+Q
inline constexpr char32_t kHelpKey = 0x1D;      // Ctrl+]

DeskAction DecodeInput(const TerminalInput& input);

}  // namespace zv::desk
