// The key names of the scripting protocol and their virtual-key codes.
#pragma once

#include <optional>
#include <string_view>

#include "platform/key_input.h"
#include "platform/win_types.h"

namespace zv::script {

// Enter, Esc, Tab, Backspace, Delete, Insert, Home, End, Left, Right, Up,
// Down, PageUp, PageDown, Space, F1..F12, Apps, A..Z, 0..9; case is ignored.
std::optional<UINT> VirtualKeyOfName(std::string_view name);

// "shift", "ctrl", "alt" (case ignored) added to `modifiers`; false for any
// other name.
bool AddModifier(std::string_view name, platform::KeyModifiers& modifiers);

}  // namespace zv::script
