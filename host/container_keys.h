// The keys a container acts on for its control: those the control leaves to
// it (F8 the other frame, F9 clear the screen, Ctrl+Insert copy) and the
// Ctrl+V it reflects (paste). A container runs each through the control's
// SendKey once the key's own handling has returned, as a desktop container
// acts on an accelerator from its message loop.
#pragma once

#include <optional>
#include <span>

#include "platform/automation.h"
#include "platform/win_types.h"

namespace zv::host {

// A SendKey call for the current window: the key and SendKey's flags (Ctrl
// 1, Shift 2).
struct ContainerKey {
  UINT vk = 0;
  int flags = 0;
};

// The key a container acts on for a key-down the control offers it
// (ContainerSite::TranslateAccelerator); none for keys it leaves alone.
std::optional<ContainerKey> AcceleratorKey(const MSG& msg, DWORD modifiers);

// The paste a container does for a reflected Ctrl+V (the InputReflect
// arguments: window, type, character, text, flags): SendKey's Shift+Insert,
// as a desktop pastes.
std::optional<ContainerKey> ReflectedKey(std::span<const platform::Variant> input_reflect_args);

}  // namespace zv::host
