// Mouse clicks as a container delivers them: to the window under a point of
// its top window, in that window's client coordinates.
#pragma once

#include <optional>

#include "platform/win_types.h"

namespace zv::platform {

struct PointTarget {
  HWND hwnd = 0;
  POINT local;  // in hwnd's client coordinates
};

// The deepest visible window under a point given in root's client
// coordinates: root itself when none of its children is there, none outside
// root's client area. Among overlapping siblings the first created is on
// top, as dialog controls are.
std::optional<PointTarget> WindowAtPoint(HWND root, POINT point);

enum class MouseButton { kLeft, kRight };

// A click: the pointer moves to the point (Desktop::cursor_pos), then the
// button's down and up messages (WM_LBUTTONDOWN and WM_LBUTTONUP, or
// WM_RBUTTONDOWN and WM_RBUTTONUP) go to the window under it. Returns that
// window; 0 when there is none or it is disabled.
HWND ClickAt(HWND root, POINT point, MouseButton button = MouseButton::kLeft);

}  // namespace zv::platform
