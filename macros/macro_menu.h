// The macro submenus of the context menu: the macro files of a folder in
// the order the menu shows them, the submenu's items, and its paging by
// pages of 26 macros with scroll items at the top and bottom.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "macros/macro_array.h"
#include "platform/menus.h"
#include "platform/win_types.h"

namespace zv {

// Command ids of the context menu's macro part.
inline constexpr UINT kPersonalScrollUpId = 101;
inline constexpr UINT kPersonalScrollDownId = 102;
inline constexpr UINT kOfficeScrollUpId = 103;
inline constexpr UINT kOfficeScrollDownId = 104;
inline constexpr UINT kFirstPersonalMacroId = 0x8007;
inline constexpr UINT kFirstOfficeMacroId = 0x83EF;
// A submenu lists at most this many macros.
inline constexpr std::size_t kMaxMenuMacros = 1000;
inline constexpr int kMacrosPerPage = 26;

// The names (extension kept) of the folder's "*.zvm" files, sorted without
// regard to letter case; empty when the folder is missing.
std::vector<std::string> SortedMacroFiles(const std::string& folder);

// The folder's macros as submenu items, with ids from `firstId`: each
// macro's name, followed by a tab and its key when `keyKind` ("Shift" or
// "Ctrl") finds a key bound to it; sorted as SortedMacroFiles sorts, at
// most kMaxMenuMacros of them.
platform::Menu MacroSubmenu(const std::string& folder, const CMacroArray& macros, const std::string& keyKind,
                            UINT firstId);

// Shows the page of a submenu that starts at macro `top` (1 and 0 both mean
// the first): `top` is first brought into range (1, or so that the last
// page is full), the macros before it and after 26 of them are removed, and
// `scrollUp` leads the page when it does not start at the first macro,
// `scrollDown` ends it when macros follow. A submenu of one macro or none
// is left as it is, with `top` back at 1.
void PageMacroSubmenu(platform::Menu& submenu, int& top, const platform::MenuItem& scrollUp,
                      const platform::MenuItem& scrollDown);

// The name (less its extension) of the file at `index` of the folder's
// sorted list; empty when the list has no such entry.
std::string MacroNameAt(const std::string& folder, std::size_t index);

}  // namespace zv
