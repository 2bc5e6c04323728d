#include "platform/mouse_input.h"

#include "platform/desktop.h"
#include "platform/window.h"

namespace zv::platform {
namespace {


bool Inside(const RECT& client, POINT point) {
  return point.x >= 0 && point.y >= 0 && point.x < client.right && point.y < client.bottom;
}

}  // namespace

std::optional<PointTarget> WindowAtPoint(HWND root, POINT point) {
  const Window* window = FromHandle(root);
  if (window == nullptr || !Inside(window->client_rect(), point)) return std::nullopt;
  PointTarget target{root, point};
  // Windows nest only as deep as their owners made them; each step goes one level down.
  for (bool descended = true; descended;) {
    descended = false;
    for (HWND child_handle : window->children()) {
      const Window* child = FromHandle(child_handle);
      if (child == nullptr || !child->is_visible()) continue;
      const LONG inset = (child->style() & WS_BORDER) != 0 ? 1 : 0;
      const POINT local{target.local.x - child->rect().left - inset, target.local.y - child->rect().top - inset};
      if (!Inside(child->client_rect(), local)) continue;
      target = {child_handle, local};
      window = child;
      descended = true;
      break;
    }
  }
  return target;
}

HWND ClickAt(HWND root, POINT point, MouseButton button) {
  CurrentDesktop().set_cursor_pos(point);
  const std::optional<PointTarget> target = WindowAtPoint(root, point);
  if (!target || !IsWindowEnabled(target->hwnd)) return 0;
  const LPARAM at = MAKELPARAM(static_cast<WORD>(target->local.x), static_cast<WORD>(target->local.y));
  const bool left = button == MouseButton::kLeft;
  SendMessage(target->hwnd, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, at);
  SendMessage(target->hwnd, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, at);
  return target->hwnd;
}

}  // namespace zv::platform
