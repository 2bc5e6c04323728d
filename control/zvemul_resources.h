// The control module's resources: the icons of the tab strips' ReSize
// button. Loading goes through this module, so a resource taken out of it
// fails the load as a missing one would.
#pragma once

#include "platform/resources.h"

namespace zv {

// The all-windows strip's button (one frame shown: two frames to come).
inline constexpr UINT kAllWindowsStripIcon = 209;
// The frame strips' button (two frames shown: one frame to come).
inline constexpr UINT kFrameStripIcon = 210;

platform::ResourceModule& ZVEmulResources();

}  // namespace zv
