// The base of every window of the control: the control itself, its res
// windows, tab strips and status bar, and hidden formatting windows.
//
// A Window object lives as long as its owner keeps it; its window (the
// handle, from Create to Destroy) may be shorter. Handles are small numbers
// from the desktop's table that are never handed out twice, so a stale
// handle resolves to no window.
//
// Messages are delivered synchronously. No exception escapes a dispatch: a
// handler that throws is answered 0 and the message counts as handled.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

class Desktop;

class Window {
 public:
  Window() = default;
  // Destroys a live window. Only the base class's handling runs then, so a
  // class that handles WM_DESTROY destroys its window in its own destructor.
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window on the current desktop, as a child of parent (null
  // for a top-level window), with a rectangle in the parent's client
  // coordinates. Sends WM_CREATE (lParam 0); an answer of -1 fails creation
  // and frees the handle without WM_DESTROY. Then WM_SIZE and WM_MOVE.
  // Fails for a window already created or a parent without a window.
  bool Create(DWORD style, const RECT& rect, Window* parent, UINT id);

  // Sends WM_DESTROY to the window, then destroys its children (each gets
  // WM_DESTROY in turn), so that a parent's handler still finds its children;
  // then frees the handles, children first. The focus, the caret, the mouse
  // capture and the timers of a destroyed window go with it, without
  // messages. Nothing for a window not created.
  void Destroy();

  HWND handle() const { return handle_; }
  Desktop* desktop() const { return desktop_; }
  HWND parent() const { return parent_; }
  Window* parent_window() const;
  UINT id() const { return id_; }
  const std::vector<HWND>& children() const { return children_; }

  // Style bits. WS_VISIBLE and WS_DISABLED are the visible and enabled
  // states; ModifyStyle changes bits without messages.
  DWORD style() const { return style_; }
  void ModifyStyle(DWORD remove, DWORD add) { style_ = (style_ & ~remove) | add; }
  bool is_visible() const { return (style_ & WS_VISIBLE) != 0; }
  bool is_enabled() const { return (style_ & WS_DISABLED) == 0; }

  const RECT& rect() const { return rect_; }
  // (0, 0, width, height) of the area inside a WS_BORDER border (one pixel)
  // and the scroll bars of WS_VSCROLL / WS_HSCROLL (17 pixels), which count
  // as always shown.
  RECT client_rect() const;
  // New rectangle: WM_MOVE (client origin) and WM_SIZE (client size) for
  // what changed; the window and its parent need drawing. False when there
  // is no window.
  bool Move(const RECT& rect);

  // WM_SHOWWINDOW when the state changes. Hiding the focus window, or a
  // window that contains it, gives the focus to its parent.
  void Show(bool show);
  // WM_ENABLE when the state changes. A window being disabled loses the
  // focus (to no window) and the mouse capture.
  void Enable(bool enable);

  // Through WM_SETTEXT / WM_GETTEXTLENGTH and WM_GETTEXT, so a window class
  // may keep its text elsewhere.
  void SetText(std::string_view text);
  std::string GetText();

  // Dispatches to WindowProc; 0 without a window.
  LRESULT SendMessage(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

  // Marks the window as needing drawing and tells the desktop's redraw
  // listener, unless redraw is off (WM_SETREDRAW FALSE).
  void Invalidate();
  // Sends WM_PAINT when the window needs drawing; default processing asks
  // the listener to draw it now and marks it drawn.
  void Update();
  bool needs_drawing() const { return needs_drawing_; }
  bool redraw_enabled() const { return redraw_; }

  // The message loop's pre-translation: a key or character message for
  // this window or one of its descendants, offered before it is delivered.
  // True when handled: the message is not delivered, and a key-down makes
  // no character.
  virtual bool PreTranslate(const MSG& /*msg*/) { return false; }

 protected:
  // A class's message handler; the default hands everything to
  // DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  // Default processing: WM_SETTEXT (lParam a NUL-terminated text),
  // WM_GETTEXT (wParam the buffer size, lParam the buffer),
  // WM_GETTEXTLENGTH, WM_SETREDRAW, WM_PAINT, WM_MOUSEACTIVATE (MA_ACTIVATE),
  // WM_CLOSE (destroys the window); everything else answers 0.
  virtual LRESULT DefWindowProc(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  friend class Desktop;
  // Destroys the children still alive and gives the handle back.
  void FinishDestroy();

  Desktop* desktop_ = nullptr;
  HWND handle_ = 0;
  HWND parent_ = 0;
  UINT id_ = 0;
  DWORD style_ = 0;
  RECT rect_;
  std::string text_;
  std::vector<HWND> children_;
  bool redraw_ = true;
  bool needs_drawing_ = false;
  bool destroying_ = false;
};

// ---- The same over handles, on the current desktop --------------------------------------
Window* FromHandle(HWND hwnd);
BOOL IsWindow(HWND hwnd);
HWND GetParent(HWND hwnd);
// The window and all its ancestors have WS_VISIBLE.
BOOL IsWindowVisible(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
// 0 for a handle that is no window.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

HWND GetFocus();
// Moves the focus: the focus changes first, then WM_KILLFOCUS goes to the
// old window (wParam the new one) and, unless that handler moved the focus
// elsewhere, WM_SETFOCUS to the new one (wParam the old one). Returns the
// old focus window; 0 and no change when hwnd is not a window or it or an
// ancestor is disabled. 0 removes the focus.
HWND SetFocus(HWND hwnd);

// The caret (see caret.h). CreateCaret replaces any caret with a hidden
// solid one of width x height for hwnd.
BOOL CreateCaret(HWND hwnd, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* point);

// WM_TIMER (wParam the id, lParam 0) goes to hwnd each time the container's
// loop runs the timers after the period has passed. Returns the id, or 0
// when hwnd is not a window (there are no timers without a window).
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// The whole window is marked: containers draw whole windows.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);

// Mouse capture. WM_CAPTURECHANGED (lParam the window gaining the capture,
// or 0) goes to the window losing it.
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

}  // namespace zv::platform
