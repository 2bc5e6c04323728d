#include "platform/keyboard_state.h"

#include <algorithm>

#include "platform/desktop.h"

namespace zv::platform {
namespace {

// The left key of a generic modifier, or 0.
UINT LeftModifier(UINT vk) {
  switch (vk) {
    case VK_SHIFT:
      return VK_LSHIFT;
    case VK_CONTROL:
      return VK_LCONTROL;
    case VK_MENU:
      return VK_LMENU;
    default:
      return 0;
  }
}

UINT OtherSide(UINT vk) {
  switch (vk) {
    case VK_LSHIFT:
      return VK_RSHIFT;
    case VK_RSHIFT:
      return VK_LSHIFT;
    case VK_LCONTROL:
      return VK_RCONTROL;
    case VK_RCONTROL:
      return VK_LCONTROL;
    case VK_LMENU:
      return VK_RMENU;
    case VK_RMENU:
      return VK_LMENU;
    default:
      return 0;
  }
}

}  // namespace

bool IsLockKey(UINT vk) { return vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL || vk == VK_INSERT; }

void KeyboardState::Set(UINT vk, BYTE value) {
  if (vk < kSize) bytes_[vk] = value;
}

void KeyboardState::SetToggled(UINT vk, bool on) {
  if (vk >= kSize) return;
  bytes_[vk] = static_cast<BYTE>(on ? (bytes_[vk] | kToggled) : (bytes_[vk] & ~kToggled));
}

void KeyboardState::KeyDown(UINT vk) {
  if (vk >= kSize) return;
  if (IsLockKey(vk)) bytes_[vk] ^= kToggled;
  bytes_[vk] |= kDown;
  if (UINT generic = GenericModifier(vk)) bytes_[generic] |= kDown;
  if (UINT left = LeftModifier(vk)) bytes_[left] |= kDown;
}

void KeyboardState::KeyUp(UINT vk) {
  if (vk >= kSize) return;
  bytes_[vk] &= static_cast<BYTE>(~kDown);
  if (UINT generic = GenericModifier(vk)) {
    if (!IsDown(OtherSide(vk))) bytes_[generic] &= static_cast<BYTE>(~kDown);
  }
  if (UINT left = LeftModifier(vk)) {
    bytes_[left] &= static_cast<BYTE>(~kDown);
    bytes_[OtherSide(left)] &= static_cast<BYTE>(~kDown);
  }
}

SHORT GetKeyState(int vk) {
  if (vk < 0 || vk >= static_cast<int>(KeyboardState::kSize)) return 0;
  const BYTE value = CurrentDesktop().keyboard_state().Get(static_cast<UINT>(vk));
  SHORT result = (value & KeyboardState::kDown) ? static_cast<SHORT>(0xFF80) : SHORT{0};
  return static_cast<SHORT>(result | (value & KeyboardState::kToggled));
}

BOOL GetKeyboardState(BYTE* state) {
  if (state == nullptr) return FALSE;
  const auto& bytes = CurrentDesktop().keyboard_state().bytes();
  std::copy(bytes.begin(), bytes.end(), state);
  return TRUE;
}

BOOL SetKeyboardState(const BYTE* state) {
  if (state == nullptr) return FALSE;
  std::array<BYTE, KeyboardState::kSize> bytes;
  std::copy(state, state + KeyboardState::kSize, bytes.begin());
  CurrentDesktop().keyboard_state().Assign(bytes);
  return TRUE;
}

UINT GenericModifier(UINT vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return 0;
  }
}

}  // namespace zv::platform
