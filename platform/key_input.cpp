#include "platform/key_input.h"

#include <array>

#include "platform/desktop.h"
#include "platform/keyboard_state.h"
#include "platform/window.h"

namespace zv::platform {
namespace {

// Key messages name the generic modifier, whichever side was pressed.
UINT MessageKey(UINT vk) {
  const UINT generic = GenericModifier(vk);
  return generic != 0 ? generic : vk;
}

}  // namespace

void KeyInput::set_layout(KeyboardLayout layout) {
  layout_ = layout;
  pending_accent_ = 0;
}

void KeyInput::Press(UINT vk, KeyModifiers modifiers, HWND target) {
  KeyboardState& state = desktop_.keyboard_state();
  const UINT key = MessageKey(vk);
  std::array<UINT, 3> held{};
  std::size_t held_count = 0;
  auto hold = [&](bool wanted, UINT modifier) {
    if (!wanted || key == modifier || state.IsDown(modifier)) return;
    KeyEvent(modifier, false, target);
    held[held_count++] = modifier;
  };
  hold(modifiers.shift, VK_SHIFT);
  hold(modifiers.ctrl, VK_CONTROL);
  hold(modifiers.alt, VK_MENU);
  KeyEvent(vk, false, target);
  KeyEvent(vk, true, target);
  while (held_count > 0) KeyEvent(held[--held_count], true, target);
}

void KeyInput::KeyEvent(UINT vk, bool up, HWND target) {
  KeyboardState& state = desktop_.keyboard_state();
  const UINT key = MessageKey(vk);
  const bool was_down = state.IsDown(vk);
  const bool alt_before = state.IsDown(VK_MENU);
  if (up) {
    state.KeyUp(vk);
  } else {
    state.KeyDown(vk);
  }
  const bool alt_after = state.IsDown(VK_MENU);
  // Alt's own key-up is still a system key, but without the context bit.
  const bool system = ((alt_before || alt_after) && !state.IsDown(VK_CONTROL)) || key == VK_F10;

  const ScanCode scan = ScanCodeOf(vk);
  LPARAM lparam = 1 | (static_cast<LPARAM>(scan.code) << 16);
  if (scan.extended) lparam |= KF_EXTENDED_BIT;
  if (system && alt_after) lparam |= KF_ALTDOWN_BIT;
  if (up) {
    lparam |= KF_REPEAT_BIT | KF_UP_BIT;
  } else if (was_down) {
    lparam |= KF_REPEAT_BIT;
  }

  const HWND hwnd = target != 0 ? target : desktop_.focus();
  const UINT message = up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
  if (PreTranslate(hwnd, message, key, lparam)) return;
  Deliver(hwnd, message, key, lparam);
  if (!up) Translate(vk, system, lparam, hwnd);
}

bool KeyInput::PreTranslate(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  MSG msg;
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wparam;
  msg.lParam = lparam;
  msg.time = desktop_.clock().TickCount();
  for (Window* window = desktop_.FromHandle(hwnd); window != nullptr; window = window->parent_window()) {
    if (window->PreTranslateMessage(msg)) return true;
  }
  return false;
}

void KeyInput::Translate(UINT vk, bool system, LPARAM lparam, HWND hwnd) {
  const KeyTranslation translation = TranslateKey(layout_, vk, desktop_.keyboard_state());
  if (translation.kind == KeyTranslation::Kind::kNone) return;
  const UINT char_message = system ? WM_SYSCHAR : WM_CHAR;
  if (pending_accent_ == 0) {
    if (translation.kind == KeyTranslation::Kind::kDeadKey) {
      pending_accent_ = translation.character;
      Deliver(hwnd, system ? WM_SYSDEADCHAR : WM_DEADCHAR, translation.character, lparam);
    } else {
      Deliver(hwnd, char_message, translation.character, lparam);
    }
    return;
  }
  // A pending accent combines with the next character; a second dead key
  // counts as its accent typed on its own.
  const BYTE accent = pending_accent_;
  pending_accent_ = 0;
  if (std::optional<BYTE> composed = ComposeAccent(accent, translation.character)) {
    Deliver(hwnd, char_message, *composed, lparam);
    return;
  }
  Deliver(hwnd, char_message, accent, lparam);
  Deliver(hwnd, char_message, translation.character, lparam);
}

void KeyInput::Deliver(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (Window* window = desktop_.FromHandle(hwnd)) window->SendMessage(message, wparam, lparam);
}

void KeyInput::Type(std::string_view text, HWND target) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<BYTE>(text[i]);
    if (c == '\r' || c == '\n') {
      Press(VK_RETURN, {}, target);
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    const KeyStrokes strokes = StrokesFor(layout_, c, desktop_.keyboard_state().IsToggled(VK_CAPITAL));
    if (strokes.count == 0) {
      Deliver(target != 0 ? target : desktop_.focus(), WM_CHAR, c, 1);
      continue;
    }
    for (std::size_t s = 0; s < strokes.count; ++s) {
      const KeyStroke& stroke = strokes.strokes[s];
      Press(stroke.vk, {stroke.shift, stroke.ctrl, false}, target);
    }
  }
}

void PressKey(UINT vk, KeyModifiers modifiers, HWND target) { CurrentDesktop().keys().Press(vk, modifiers, target); }

void TypeText(std::string_view text, HWND target) { CurrentDesktop().keys().Type(text, target); }

}  // namespace zv::platform
