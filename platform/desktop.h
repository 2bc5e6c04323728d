// The desktop of one user-interface thread: its windows, focus, caret,
// timers, mouse capture, keyboard state and services. A container or test
// creates one and makes it current with a DesktopScope; the logic reaches it
// through CurrentDesktop() and the desktop-style free functions.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/caret.h"
#include "platform/key_input.h"
#include "platform/menus.h"
#include "platform/keyboard_state.h"
#include "platform/printing.h"
#include "platform/services.h"
#include "platform/timer_queue.h"
#include "platform/win_types.h"

namespace zv::platform {

class Window;

// The services a container chooses. Any left empty gets the deterministic
// one: a recording message box (answers the type's first button), an
// in-process clipboard, a manual clock, the fixed system values, the
// fixed font list, recorded print dialogs (answering OK), the system's
// printers (system_printers.h) and menus that stay open until chosen
// (held_menu.h).
struct DesktopServices {
  std::unique_ptr<MessageBoxService> message_boxes;
  std::unique_ptr<Clipboard> clipboard;
  std::unique_ptr<Clock> clock;
  std::unique_ptr<SystemValues> system_values;
  std::unique_ptr<FontCatalog> fonts;
  std::unique_ptr<PrintDialogService> print_dialogs;
  std::unique_ptr<PrinterService> printers;
  std::unique_ptr<MenuService> menus;
};

enum class RedrawRequest {
  kLater,  // the window needs drawing
  kNow,    // draw the window now (UpdateWindow)
};
using RedrawListener = std::function<void(HWND hwnd, RedrawRequest request)>;

class Desktop {
 public:
  explicit Desktop(DesktopServices services = {});
  // Destroys the windows still alive.
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  MessageBoxService& message_boxes() { return *services_.message_boxes; }
  Clipboard& clipboard() { return *services_.clipboard; }
  Clock& clock() { return *services_.clock; }
  SystemValues& system_values() { return *services_.system_values; }
  FontCatalog& fonts() { return *services_.fonts; }
  PrintDialogService& print_dialogs() { return *services_.print_dialogs; }
  PrinterService& printers() { return *services_.printers; }
  MenuService& menus() { return *services_.menus; }
  // The application's printer settings; none until first asked for.
  std::optional<PrinterSettings>& printer_defaults() { return printer_defaults_; }

  KeyboardState& keyboard_state() { return keyboard_state_; }
  KeyInput& keys() { return keys_; }

  Window* FromHandle(HWND hwnd) const;
  // True when hwnd is ancestor or one of its descendants.
  bool IsSelfOrDescendant(HWND ancestor, HWND hwnd) const;

  HWND focus() const { return focus_; }
  HWND SetFocus(HWND hwnd);  // see SetFocus in window.h

  // The pointer, in the top-level window's client coordinates: the
  // container moves it with the mouse; popup menus open there.
  POINT cursor_pos() const { return cursor_pos_; }
  void set_cursor_pos(POINT at) { cursor_pos_ = at; }

  HWND capture() const { return capture_; }
  HWND SetCapture(HWND hwnd);
  void ReleaseCapture();

  // The caret's state, for drawing; change it through the functions of
  // window.h.
  Caret& caret() { return caret_; }

  UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms);
  bool KillTimer(HWND hwnd, UINT_PTR id);
  // Sends WM_TIMER for every due timer, reading the clock or given its tick
  // count. A timer killed by an earlier handler of the same run is skipped.
  void RunTimers();
  void RunTimers(DWORD now);
  // Milliseconds until the next timer is due, for the loop's wait; none
  // without timers.
  std::optional<DWORD> TimeToNextTimer();

  HPRINTDC AddPrinterDC(std::unique_ptr<PrinterDC> dc);
  PrinterDC* PrinterDCFromHandle(HPRINTDC handle) const;
  void DeletePrinterDC(HPRINTDC handle) { printer_dcs_.erase(handle); }

  void SetRedrawListener(RedrawListener listener) { redraw_listener_ = std::move(listener); }
  // Sends WM_PAINT to every window that needs drawing.
  void PaintPending();

 private:
  friend class Window;
  HWND Register(Window* window);
  // Drops the handle and what belongs to it: focus, capture, caret, timers.
  void Unregister(HWND hwnd);
  void WindowNeedsDrawing(Window& window);
  void WindowDrawn(Window& window, bool notify);

  DesktopServices services_;
  KeyboardState keyboard_state_;
  KeyInput keys_{*this};
  std::unordered_map<HWND, Window*> windows_;
  HWND next_handle_ = 1;
  HWND focus_ = 0;
  HWND capture_ = 0;
  POINT cursor_pos_;
  Caret caret_;
  TimerQueue timers_;
  std::vector<HWND> needs_drawing_;
  RedrawListener redraw_listener_;
  std::optional<PrinterSettings> printer_defaults_;
  std::unordered_map<HPRINTDC, std::unique_ptr<PrinterDC>> printer_dcs_;
  HPRINTDC next_printer_dc_ = 1;
};

// Makes a desktop current on this thread for its lifetime; scopes nest.
class DesktopScope {
 public:
  explicit DesktopScope(Desktop& desktop);
  ~DesktopScope();
  DesktopScope(const DesktopScope&) = delete;
  DesktopScope& operator=(const DesktopScope&) = delete;

 private:
  Desktop* previous_;
};

// The innermost current desktop of this thread. Without one, a desktop with
// the deterministic services is made for the thread, so the logic never
// runs without a desktop.
Desktop& CurrentDesktop();

// ---- Services of the current desktop, desktop-style ---------------------------------------
// The owner window is not disabled or otherwise touched while the box is up.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);
DWORD GetTickCount();
LocalTime GetLocalTime();
COLORREF GetSysColor(int index);
OsVersion GetOsVersion();
DWORD GetRichEditVersion();
std::string GetKeyboardLayoutName();
std::string GetUserName();

}  // namespace zv::platform
