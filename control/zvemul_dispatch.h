// The control's automation table: every property, method and event with its
// dispatch id, parameter names and types, and the id under which the
// published type library lists it. The type-library description is made
// from the same table.
#pragma once

#include "platform/automation.h"

namespace zv {

class CZVEmulCtrl;

inline constexpr platform::DISPID kEventHostResponse = 1;
inline constexpr platform::DISPID kEventInputReflect = 2;
inline constexpr platform::DISPID kEventDriveMacro = 3;
inline constexpr platform::DISPID kEventDataSourceInput = 4;
inline constexpr platform::DISPID kEventUSMGRequest = 5;

// Adds the members, bound to `control`, and the events.
void BuildZVEmulDispatch(platform::DispatchTable& table, CZVEmulCtrl& control);

// Names, identities and version of the type library.
const platform::TypeLibraryInfo& ZVEmulTypeLibraryInfo();

}  // namespace zv
