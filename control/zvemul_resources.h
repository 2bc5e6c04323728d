// The control module's resources: the icons of the tab strips' ReSize
// button, the context menu and the macro submenus' scroll pictures. Loading goes through this module, so a resource taken out of it
// fails the load as a missing one would.
#pragma once

#include "platform/resources.h"

namespace zv {

// The all-windows strip's button (one frame shown: two frames to come).
inline constexpr UINT kAllWindowsStripIcon = 209;
// The frame strips' button (two frames shown: one frame to come).
inline constexpr UINT kFrameStripIcon = 210;

// The context menu: one popup holding only the placeholder item.
inline constexpr UINT kContextMenuResource = 205;
inline constexpr UINT kNoMacrosPlaceholderId = 0x8006;
inline constexpr UINT kScrollDownBitmap = 206;
inline constexpr UINT kScrollUpBitmap = 208;

platform::ResourceModule& ZVEmulResources();

}  // namespace zv
