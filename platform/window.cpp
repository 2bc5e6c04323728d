#include "platform/window.h"

#include <algorithm>
#include <cstring>

#include "platform/catch_all.h"
#include "platform/desktop.h"

namespace zv::platform {
namespace {

constexpr LONG kBorderPixels = 1;
constexpr LONG kScrollBarPixels = 17;

}  // namespace

Window::~Window() {
  if (handle_ == 0) return;
  destroying_ = true;
  FinishDestroy();
}

Window* Window::parent_window() const { return desktop_ != nullptr ? desktop_->FromHandle(parent_) : nullptr; }

bool Window::Create(DWORD style, const RECT& rect, Window* parent, UINT id) {
  if (handle_ != 0) return false;
  if (parent != nullptr && (parent->handle_ == 0 || parent->destroying_)) return false;
  Desktop& desktop = parent != nullptr ? *parent->desktop_ : CurrentDesktop();
  desktop_ = &desktop;
  handle_ = desktop.Register(this);
  parent_ = parent != nullptr ? parent->handle_ : 0;
  id_ = id;
  style_ = style;
  rect_ = rect;
  text_.clear();
  redraw_ = true;
  needs_drawing_ = false;
  if (parent != nullptr) parent->children_.push_back(handle_);

  const HWND self = handle_;
  const LRESULT created = SendMessage(WM_CREATE, 0, 0);
  if (desktop.FromHandle(self) != this) return false;  // destroyed by its own handler
  if (created == -1) {
    destroying_ = true;
    FinishDestroy();
    return false;
  }
  const RECT client = client_rect();
  SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  if (desktop.FromHandle(self) != this) return false;
  const LONG inset = (style_ & WS_BORDER) ? kBorderPixels : 0;
  SendMessage(WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(rect_.left + inset), static_cast<WORD>(rect_.top + inset)));
  return desktop.FromHandle(self) == this;
}

void Window::Destroy() {
  if (handle_ == 0 || destroying_) return;
  destroying_ = true;
  Desktop* desktop = desktop_;
  const HWND self = handle_;
  SendMessage(WM_DESTROY, 0, 0);
  // The handler may have deleted this object, whose destructor then
  // finished the job.
  if (desktop->FromHandle(self) != this) return;
  FinishDestroy();
}

void Window::FinishDestroy() {
  Desktop* desktop = desktop_;
  const HWND self = handle_;
  // Children created by handlers during destruction are destroyed too.
  while (!children_.empty()) {
    const HWND child = children_.back();
    children_.pop_back();
    if (Window* window = desktop->FromHandle(child)) window->Destroy();
    if (desktop->FromHandle(self) != this) return;
  }
  if (Window* parent = desktop->FromHandle(parent_)) {
    auto& siblings = parent->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
  }
  desktop->Unregister(self);
  handle_ = 0;
  parent_ = 0;
  desktop_ = nullptr;
  needs_drawing_ = false;
  destroying_ = false;
}

RECT Window::client_rect() const {
  LONG width = rect_.width();
  LONG height = rect_.height();
  if (style_ & WS_BORDER) {
    width -= 2 * kBorderPixels;
    height -= 2 * kBorderPixels;
  }
  if (style_ & WS_VSCROLL) width -= kScrollBarPixels;
  if (style_ & WS_HSCROLL) height -= kScrollBarPixels;
  return {0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
}

bool Window::Move(const RECT& rect) {
  if (handle_ == 0) return false;
  const bool moved = rect.left != rect_.left || rect.top != rect_.top;
  const bool sized = rect.width() != rect_.width() || rect.height() != rect_.height();
  if (!moved && !sized) return true;
  if (Window* parent = parent_window()) parent->Invalidate();
  rect_ = rect;
  Invalidate();
  Desktop* desktop = desktop_;
  const HWND self = handle_;
  if (moved) {
    const LONG inset = (style_ & WS_BORDER) ? kBorderPixels : 0;
    SendMessage(WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(rect_.left + inset), static_cast<WORD>(rect_.top + inset)));
    if (desktop->FromHandle(self) != this) return true;
  }
  if (sized) {
    const RECT client = client_rect();
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  }
  return true;
}

void Window::Show(bool show) {
  if (handle_ == 0 || is_visible() == show) return;
  Desktop* desktop = desktop_;
  const HWND self = handle_;
  SendMessage(WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (desktop->FromHandle(self) != this) return;
  if (show) {
    style_ |= WS_VISIBLE;
    Invalidate();
    return;
  }
  style_ &= ~WS_VISIBLE;
  if (Window* parent = parent_window()) parent->Invalidate();
  if (desktop->IsSelfOrDescendant(self, desktop->focus())) desktop->SetFocus(parent_);
}

void Window::Enable(bool enable) {
  if (handle_ == 0 || is_enabled() == enable) return;
  if (enable) {
    style_ &= ~WS_DISABLED;
  } else {
    style_ |= WS_DISABLED;
    Desktop* desktop = desktop_;
    const HWND self = handle_;
    if (desktop->focus() == self) desktop->SetFocus(0);
    if (desktop->FromHandle(self) != this) return;
    if (desktop->capture() == self) desktop->ReleaseCapture();
    if (desktop->FromHandle(self) != this) return;
  }
  SendMessage(WM_ENABLE, enable ? TRUE : FALSE, 0);
}

void Window::SetText(std::string_view text) {
  const std::string copy(text);
  SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

std::string Window::GetText() {
  const LRESULT length = SendMessage(WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessage(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return buffer;
}

LRESULT Window::SendMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (handle_ == 0) return 0;
  // Free functions called by the handler reach this window's desktop.
  DesktopScope scope(*desktop_);
  return CatchAll(LRESULT{0}, [&] { return WindowProc(message, wparam, lparam); });
}

void Window::Invalidate() {
  if (handle_ == 0 || !redraw_ || needs_drawing_) return;
  desktop_->WindowNeedsDrawing(*this);
}

void Window::Update() {
  if (handle_ != 0 && needs_drawing_) SendMessage(WM_PAINT, 0, 0);
}

LRESULT Window::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProc(message, wparam, lparam);
}

LRESULT Window::DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lparam);
      text_ = text != nullptr ? text : "";
      return TRUE;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(text_.size());
    case WM_GETTEXT: {
      char* buffer = reinterpret_cast<char*>(lparam);
      if (buffer == nullptr || wparam == 0) return 0;
      const std::size_t count = std::min<std::size_t>(text_.size(), wparam - 1);
      std::memcpy(buffer, text_.data(), count);
      buffer[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_SETREDRAW:
      redraw_ = wparam != 0;
      return 0;
    case WM_PAINT:
      if (needs_drawing_) desktop_->WindowDrawn(*this, true);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    case WM_CLOSE:
      Destroy();
      return 0;
    default:
      return 0;
  }
}

// ---- Free functions ---------------------------------------------------------------------------

Window* FromHandle(HWND hwnd) { return CurrentDesktop().FromHandle(hwnd); }

BOOL IsWindow(HWND hwnd) { return FromHandle(hwnd) != nullptr ? TRUE : FALSE; }

HWND GetParent(HWND hwnd) {
  Window* window = FromHandle(hwnd);
  return window != nullptr ? window->parent() : 0;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* window = FromHandle(hwnd);
  if (window == nullptr) return FALSE;
  for (; window != nullptr; window = window->parent_window()) {
    if (!window->is_visible()) return FALSE;
  }
  return TRUE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* window = FromHandle(hwnd);
  return window != nullptr && window->is_enabled() ? TRUE : FALSE;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Window* window = FromHandle(hwnd);
  return window != nullptr ? window->SendMessage(message, wparam, lparam) : 0;
}

HWND GetFocus() { return CurrentDesktop().focus(); }

HWND SetFocus(HWND hwnd) { return CurrentDesktop().SetFocus(hwnd); }

BOOL CreateCaret(HWND hwnd, int width, int height) {
  Desktop& desktop = CurrentDesktop();
  if (desktop.FromHandle(hwnd) == nullptr) return FALSE;
  desktop.caret().Create(hwnd, width, height);
  return TRUE;
}

BOOL DestroyCaret() { return CurrentDesktop().caret().Destroy() ? TRUE : FALSE; }

BOOL ShowCaret(HWND hwnd) { return CurrentDesktop().caret().Show(hwnd) ? TRUE : FALSE; }

BOOL HideCaret(HWND hwnd) { return CurrentDesktop().caret().Hide(hwnd) ? TRUE : FALSE; }

BOOL SetCaretPos(int x, int y) { return CurrentDesktop().caret().SetPosition({x, y}) ? TRUE : FALSE; }

BOOL GetCaretPos(POINT* point) {
  if (point == nullptr) return FALSE;
  *point = CurrentDesktop().caret().position();
  return TRUE;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms) { return CurrentDesktop().SetTimer(hwnd, id, elapse_ms); }

BOOL KillTimer(HWND hwnd, UINT_PTR id) { return CurrentDesktop().KillTimer(hwnd, id) ? TRUE : FALSE; }

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
  Window* window = FromHandle(hwnd);
  if (window == nullptr) return FALSE;
  window->Invalidate();
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* window = FromHandle(hwnd);
  if (window == nullptr) return FALSE;
  window->Update();
  return TRUE;
}

HWND SetCapture(HWND hwnd) { return CurrentDesktop().SetCapture(hwnd); }

BOOL ReleaseCapture() {
  CurrentDesktop().ReleaseCapture();
  return TRUE;
}

HWND GetCapture() { return CurrentDesktop().capture(); }

}  // namespace zv::platform
