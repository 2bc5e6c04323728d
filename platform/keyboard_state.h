// The thread keyboard state: one byte per virtual key, as the logic reads it
// with GetKeyState / GetKeyboardState and writes it with SetKeyboardState.
#pragma once

#include <array>

#include "platform/win_types.h"

namespace zv::platform {

class KeyboardState {
 public:
  static constexpr BYTE kDown = 0x80;
  static constexpr BYTE kToggled = 0x01;
  static constexpr std::size_t kSize = 256;

  BYTE Get(UINT vk) const { return vk < kSize ? bytes_[vk] : 0; }
  void Set(UINT vk, BYTE value);
  bool IsDown(UINT vk) const { return (Get(vk) & kDown) != 0; }
  bool IsToggled(UINT vk) const { return (Get(vk) & kToggled) != 0; }
  void SetToggled(UINT vk, bool on);

  // A key goes down or up. A left or right modifier also moves its generic
  // key (VK_LSHIFT and VK_SHIFT), and a generic modifier its left key. Only
  // the lock keys (Caps Lock, Num Lock, Scroll Lock, Insert) flip their
  // toggled bit on each press; every other key keeps it clear, so that a
  // zero byte means "up", which is how the logic tests the modifiers.
  void KeyDown(UINT vk);
  void KeyUp(UINT vk);

  const std::array<BYTE, kSize>& bytes() const { return bytes_; }
  void Assign(const std::array<BYTE, kSize>& bytes) { bytes_ = bytes; }

 private:
  std::array<BYTE, kSize> bytes_{};
};

// The generic key (VK_SHIFT, VK_CONTROL, VK_MENU) of a left or right modifier, or 0.
UINT GenericModifier(UINT vk);
// True for Caps Lock, Num Lock, Scroll Lock and Insert.
bool IsLockKey(UINT vk);

// The state of the current desktop's keyboard: negative when the key is
// down, bit 0 set when it is toggled (0xFF80 | toggled, as the desktop API).
SHORT GetKeyState(int vk);
// Copy the 256 bytes out of / into the current desktop; FALSE for a null buffer.
BOOL GetKeyboardState(BYTE* state);
BOOL SetKeyboardState(const BYTE* state);

}  // namespace zv::platform
