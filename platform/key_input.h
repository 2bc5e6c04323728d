// Key delivery: turns a key press into the messages a window gets from the
// desktop's message loop and translation, updating the thread keyboard state
// before each message. Every container and test types through this, so all
// of them type alike.
#pragma once

#include <string_view>

#include "platform/keyboard_layout.h"
#include "platform/win_types.h"

namespace zv::platform {

class Desktop;

struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

class KeyInput {
 public:
  explicit KeyInput(Desktop& desktop) : desktop_(desktop) {}
  KeyInput(const KeyInput&) = delete;
  KeyInput& operator=(const KeyInput&) = delete;

  KeyboardLayout layout() const { return layout_; }
  // Changing the layout drops a pending dead accent.
  void set_layout(KeyboardLayout layout);

  // One press of vk with the modifiers held, in this order:
  //   key-downs of the modifiers asked for and not already down (Shift,
  //   Ctrl, Alt);
  //   the key-down: WM_KEYDOWN, or WM_SYSKEYDOWN when Alt is down without
  //   Ctrl (and always for F10);
  //   the character messages of the key (see below);
  //   the key-up: WM_KEYUP or WM_SYSKEYUP;
  //   key-ups of the modifiers pressed here, in reverse order.
  // Character messages go to the window that got the key-down, as the
  // translation of a key-down does: WM_CHAR (WM_SYSCHAR under Alt), or
  // WM_DEADCHAR (WM_SYSDEADCHAR) for a dead accent, after which the next
  // key that makes a character gives the composed character, or when there
  // is none the accent and then its own character.
  // lParam: repeat count 1, the scan code of a US keyboard in bits 16..23,
  // the extended bit 24, the context bit 29 (KF_ALTDOWN_BIT) on system
  // messages while Alt is down, bit 30 when the key was already down, and
  // bits 30 and 31 on every key-up. Insert is therefore 0x01520001 down and
  // 0xC1520001 up (the control's own start-up Insert uses 0x00340001).
  // Messages go to `target`, or with 0 to the focus window at the time of
  // each message; with neither, only the keyboard state changes. Each is
  // first offered to the pre-translation of its window and the window's
  // ancestors (Window::PreTranslate); a key-down taken there makes no
  // character.
  void Press(UINT vk, KeyModifiers modifiers = {}, HWND target = 0);

  // Types text, one key press per character with the key and Shift that make
  // it on the layout (a dead accent and a key for composed characters). "\r\n",
  // "\r" and "\n" are one Enter. A control character 0x01..0x1A other than
  // those is Ctrl+letter. A character that no key of the layout makes (such
  // as 0xDF on a US layout) arrives as a lone WM_CHAR with lParam 1: no
  // key-down, no key-up, no scan code.
  void Type(std::string_view text, HWND target = 0);

  bool dead_key_pending() const { return pending_accent_ != 0; }

 private:
  void KeyEvent(UINT vk, bool up, HWND target);
  void Translate(UINT vk, bool system, LPARAM lparam, HWND hwnd);
  // False when the message loop's pre-translation took the message.
  bool Deliver(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  Desktop& desktop_;
  KeyboardLayout layout_ = KeyboardLayout::kUnitedStates;
  BYTE pending_accent_ = 0;
};

// Press and type on the current desktop.
void PressKey(UINT vk, KeyModifiers modifiers = {}, HWND target = 0);
void TypeText(std::string_view text, HWND target = 0);

}  // namespace zv::platform
