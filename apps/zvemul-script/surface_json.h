// The control's surface as JSON: the automation table and type-library
// description (--describe), what a person sees (View) and one window's text.
#pragma once

#include "apps/zvemul-script/automation_json.h"
#include "control/zvemul_surface.h"
#include "platform/menus.h"

namespace zv::script {

// {"progid", "type_library": {...}, "properties": [...], "methods": [...],
//  "events": [...]}, members in the table's order.
Json DescribeSurface(const platform::DispatchTable& table, const platform::TypeLibraryInfo& library);

// Layout, frames, the focused window, the ten windows, the tab strips (with
// their tabs as drawn, the ReSize button and the INS field), the status bar
// and the caret. Window handles appear as window numbers (0: none
// of the res windows).
Json ViewToJson(const ControlView& view);

// The window's text as retrieved (Windows-1252 shown as UTF-8), selection,
// first visible line, line count and visible lines.
Json ScreenToJson(const ResWindowView& window);

// An open popup menu: {"items": [...], "showing": "context" | "personal" |
// "office"}; each item {"id", "text", "grayed", "separator", "submenu"
// (its items, or null), "bitmap" (the bitmap id, or null)}.
Json MenuToJson(const platform::Menu& menu);

}  // namespace zv::script
