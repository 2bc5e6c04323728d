#include "platform/common_controls.h"

#include <algorithm>

#include "platform/desktop.h"

namespace zv::platform {
namespace {

POINT PointOf(LPARAM lparam) {
  const auto bits = static_cast<DWORD_PTR>(lparam);
  return {static_cast<SHORT>(LOWORD(bits)), static_cast<SHORT>(HIWORD(bits))};
}

bool Contains(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

}  // namespace

bool StatusBarWindow::SetParts(std::span<const int> right_edges) {
  if (right_edges.empty() || right_edges.size() > kMaxParts) return false;
  right_edges_.assign(right_edges.begin(), right_edges.end());
  texts_.resize(right_edges_.size());
  Invalidate();
  return true;
}

bool StatusBarWindow::SetText(int part, std::string_view text) {
  if (part < 0 || part >= part_count()) return false;
  texts_[static_cast<std::size_t>(part)] = text;
  Invalidate();
  return true;
}

std::string StatusBarWindow::Text(int part) const {
  if (part < 0 || part >= part_count()) return {};
  return texts_[static_cast<std::size_t>(part)];
}

int TabControlWindow::InsertItem(int index, std::string_view text) {
  if (index < 0) return -1;
  index = std::min(index, item_count());
  items_.insert(items_.begin() + index, Item{std::string(text), false});
  if (selected_ >= index) ++selected_;
  Invalidate();
  return index;
}

bool TabControlWindow::SetItemText(int index, std::string_view text) {
  if (!Exists(index)) return false;
  items_[static_cast<std::size_t>(index)].text = text;
  Invalidate();
  return true;
}

std::string TabControlWindow::ItemText(int index) const {
  return Exists(index) ? items_[static_cast<std::size_t>(index)].text : std::string();
}

int TabControlWindow::SetCurSel(int index) {
  if (!Exists(index)) return -1;
  const int previous = selected_;
  selected_ = index;
  if (previous != index) Invalidate();
  return previous;
}

bool TabControlWindow::HighlightItem(int index, bool highlight) {
  if (!Exists(index)) return false;
  items_[static_cast<std::size_t>(index)].highlighted = highlight;
  Invalidate();
  return true;
}

bool TabControlWindow::IsHighlighted(int index) const {
  return Exists(index) && items_[static_cast<std::size_t>(index)].highlighted;
}

void TabControlWindow::SetItemSize(int width, int height) {
  item_size_ = {std::max(width, 0), std::max(height, 0)};
  Invalidate();
}

RECT TabControlWindow::ItemRect(int index) const {
  if (!Exists(index)) return {};
  const RECT client = client_rect();
  const LONG width = item_size_.cx > 0 ? item_size_.cx : client.right / item_count();
  const LONG height = item_size_.cy > 0 ? item_size_.cy : client.bottom;
  return {index * width, 0, (index + 1) * width, height};
}

int TabControlWindow::HitTest(POINT point) const {
  for (int i = 0; i < item_count(); ++i) {
    if (Contains(ItemRect(i), point)) return i;
  }
  return -1;
}

std::vector<std::vector<DeviceContext::TextRun>> TabControlWindow::DrawItems() {
  std::vector<std::vector<DeviceContext::TextRun>> drawn(static_cast<std::size_t>(item_count()));
  Window* owner = parent_window();
  if (owner == nullptr || (style() & TCS_OWNERDRAWFIXED) == 0) return drawn;
  for (int i = 0; i < item_count(); ++i) {
    DeviceContext dc(GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE));
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_TAB;
    item.CtlID = id();
    item.itemID = static_cast<UINT>(i);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = i == selected_ ? ODS_SELECTED : 0;
    item.hwndItem = handle();
    item.hDC = &dc;
    item.rcItem = ItemRect(i);
    owner->SendMessage(WM_DRAWITEM, id(), reinterpret_cast<LPARAM>(&item));
    drawn[static_cast<std::size_t>(i)] = dc.runs();
  }
  return drawn;
}

LRESULT TabControlWindow::Notify(UINT code) {
  NMHDR header{handle(), id(), code};
  return platform::SendMessage(parent(), WM_NOTIFY, id(), reinterpret_cast<LPARAM>(&header));
}

void TabControlWindow::OnLButtonDown(POINT point) {
  const int index = HitTest(point);
  if (index < 0 || index == selected_) return;
  const HWND self = handle();
  if (Notify(TCN_SELCHANGING) != 0 || !IsWindow(self)) return;
  SetCurSel(index);
  Notify(TCN_SELCHANGE);
}

LRESULT TabControlWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      OnLButtonDown(PointOf(lparam));
      return 0;
    case WM_LBUTTONUP:
      Notify(NM_CLICK);
      return 0;
    default:
      return Window::WindowProc(message, wparam, lparam);
  }
}

void ButtonWindow::SetIcon(std::optional<Icon> icon) {
  icon_ = std::move(icon);
  Invalidate();
}

LRESULT ButtonWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      pressed_ = true;
      return 0;
    case WM_LBUTTONUP: {
      const bool click = pressed_ && Contains(client_rect(), PointOf(lparam));
      pressed_ = false;
      if (click) {
        platform::SendMessage(parent(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id()), BN_CLICKED),
                              static_cast<LPARAM>(handle()));
      }
      return 0;
    }
    default:
      return Window::WindowProc(message, wparam, lparam);
  }
}

}  // namespace zv::platform
