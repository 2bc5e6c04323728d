#include "platform/desktop.h"

#include <algorithm>

#include "platform/clocks.h"
#include "platform/fixed_system_values.h"
#include "platform/font_catalogs.h"
#include "platform/held_menu.h"
#include "platform/in_process_clipboard.h"
#include "platform/message_box_recorder.h"
#include "platform/print_dialog_recorder.h"
#include "platform/system_printers.h"
#include "platform/window.h"

namespace zv::platform {
namespace {

thread_local Desktop* g_current_desktop = nullptr;

}  // namespace

Desktop::Desktop(DesktopServices services) : services_(std::move(services)) {
  if (!services_.message_boxes) services_.message_boxes = std::make_unique<MessageBoxRecorder>();
  if (!services_.clipboard) services_.clipboard = std::make_unique<InProcessClipboard>();
  if (!services_.clock) services_.clock = std::make_unique<ManualClock>();
  if (!services_.system_values) services_.system_values = std::make_unique<FixedSystemValues>();
  if (!services_.fonts) services_.fonts = std::make_unique<FixedFontCatalog>();
  if (!services_.print_dialogs) services_.print_dialogs = std::make_unique<PrintDialogRecorder>();
  if (!services_.printers) services_.printers = std::make_unique<SystemPrinters>();
  if (!services_.menus) services_.menus = std::make_unique<HeldMenu>();
}

Desktop::~Desktop() {
  // Top-level windows first; each takes its children with it.
  while (!windows_.empty()) {
    Window* root = nullptr;
    for (const auto& [hwnd, window] : windows_) {
      if (windows_.count(window->parent()) == 0) {
        root = window;
        break;
      }
    }
    if (root == nullptr) root = windows_.begin()->second;
    const HWND hwnd = root->handle();
    root->Destroy();
    if (FromHandle(hwnd) == root) {
      // Already being destroyed further up the stack: finish it here.
      root->destroying_ = true;
      root->FinishDestroy();
    }
  }
  if (g_current_desktop == this) g_current_desktop = nullptr;
}

HPRINTDC Desktop::AddPrinterDC(std::unique_ptr<PrinterDC> dc) {
  if (!dc) return 0;
  const HPRINTDC handle = next_printer_dc_++;
  printer_dcs_.emplace(handle, std::move(dc));
  return handle;
}

PrinterDC* Desktop::PrinterDCFromHandle(HPRINTDC handle) const {
  auto it = printer_dcs_.find(handle);
  return it != printer_dcs_.end() ? it->second.get() : nullptr;
}

Window* Desktop::FromHandle(HWND hwnd) const {
  if (hwnd == 0) return nullptr;
  auto it = windows_.find(hwnd);
  return it != windows_.end() ? it->second : nullptr;
}

bool Desktop::IsSelfOrDescendant(HWND ancestor, HWND hwnd) const {
  if (ancestor == 0) return false;
  for (Window* window = FromHandle(hwnd); window != nullptr; window = FromHandle(window->parent())) {
    if (window->handle() == ancestor) return true;
  }
  return false;
}

HWND Desktop::SetFocus(HWND hwnd) {
  if (hwnd != 0) {
    Window* window = FromHandle(hwnd);
    if (window == nullptr) return 0;
    for (; window != nullptr; window = FromHandle(window->parent())) {
      if (!window->is_enabled()) return 0;
    }
  }
  const HWND previous = focus_;
  if (previous == hwnd) return previous;
  focus_ = hwnd;
  if (Window* old_window = FromHandle(previous)) {
    old_window->SendMessage(WM_KILLFOCUS, hwnd, 0);
    if (focus_ != hwnd) return previous;  // the handler moved the focus
  }
  if (Window* new_window = FromHandle(hwnd)) new_window->SendMessage(WM_SETFOCUS, previous, 0);
  return previous;
}

HWND Desktop::SetCapture(HWND hwnd) {
  if (FromHandle(hwnd) == nullptr) return 0;
  const HWND previous = capture_;
  capture_ = hwnd;
  if (previous != hwnd) {
    if (Window* old_window = FromHandle(previous)) {
      old_window->SendMessage(WM_CAPTURECHANGED, 0, static_cast<LPARAM>(hwnd));
    }
  }
  return previous;
}

void Desktop::ReleaseCapture() {
  const HWND previous = capture_;
  capture_ = 0;
  if (Window* old_window = FromHandle(previous)) old_window->SendMessage(WM_CAPTURECHANGED, 0, 0);
}

UINT_PTR Desktop::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms) {
  if (FromHandle(hwnd) == nullptr) return 0;
  timers_.Set(hwnd, id, elapse_ms, clock().TickCount());
  return id;
}

bool Desktop::KillTimer(HWND hwnd, UINT_PTR id) { return timers_.Kill(hwnd, id); }

void Desktop::RunTimers() { RunTimers(clock().TickCount()); }

void Desktop::RunTimers(DWORD now) {
  for (const auto& [hwnd, id] : timers_.TakeDue(now)) {
    if (!timers_.Contains(hwnd, id)) continue;
    if (Window* window = FromHandle(hwnd)) window->SendMessage(WM_TIMER, id, 0);
  }
}

std::optional<DWORD> Desktop::TimeToNextTimer() { return timers_.TimeToNext(clock().TickCount()); }

void Desktop::PaintPending() {
  const std::vector<HWND> pending = needs_drawing_;
  for (HWND hwnd : pending) {
    if (Window* window = FromHandle(hwnd)) window->Update();
  }
}

HWND Desktop::Register(Window* window) {
  // Handles are not reused, so a stale one never finds a newer window.
  HWND hwnd = next_handle_;
  while (hwnd == 0 || windows_.count(hwnd) != 0) ++hwnd;
  next_handle_ = hwnd + 1;
  windows_[hwnd] = window;
  return hwnd;
}

void Desktop::Unregister(HWND hwnd) {
  if (Window* window = FromHandle(hwnd); window != nullptr && window->needs_drawing_) WindowDrawn(*window, false);
  windows_.erase(hwnd);
  if (focus_ == hwnd) focus_ = 0;
  if (capture_ == hwnd) capture_ = 0;
  if (caret_.owner() == hwnd) caret_.Destroy();
  timers_.KillAll(hwnd);
}

void Desktop::WindowNeedsDrawing(Window& window) {
  window.needs_drawing_ = true;
  needs_drawing_.push_back(window.handle());
  if (redraw_listener_) redraw_listener_(window.handle(), RedrawRequest::kLater);
}

void Desktop::WindowDrawn(Window& window, bool notify) {
  window.needs_drawing_ = false;
  needs_drawing_.erase(std::remove(needs_drawing_.begin(), needs_drawing_.end(), window.handle()),
                       needs_drawing_.end());
  if (notify && redraw_listener_) redraw_listener_(window.handle(), RedrawRequest::kNow);
}

DesktopScope::DesktopScope(Desktop& desktop) : previous_(g_current_desktop) { g_current_desktop = &desktop; }

DesktopScope::~DesktopScope() { g_current_desktop = previous_; }

Desktop& CurrentDesktop() {
  if (g_current_desktop != nullptr) return *g_current_desktop;
  thread_local Desktop fallback;
  return fallback;
}

int MessageBox(HWND, std::string_view text, std::string_view caption, UINT type) {
  return CurrentDesktop().message_boxes().Show(text, caption, type);
}

DWORD GetTickCount() { return CurrentDesktop().clock().TickCount(); }

BOOL GetPrinterDeviceDefaults(PrinterSettings& settings) {
  Desktop& desktop = CurrentDesktop();
  std::optional<PrinterSettings>& defaults = desktop.printer_defaults();
  if (!defaults) {
    std::string printer = desktop.printers().DefaultPrinter();
    if (printer.empty()) return FALSE;
    defaults = PrinterSettings{std::move(printer), 1};
  }
  settings = *defaults;
  return TRUE;
}

void SetPrinterDeviceDefaults(const PrinterSettings& settings) { CurrentDesktop().printer_defaults() = settings; }

int PrintDlg(HWND owner, PrintDialogData& data) { return CurrentDesktop().print_dialogs().Show(owner, data); }

HPRINTDC CreatePrinterDC(const PrinterSettings& settings) {
  Desktop& desktop = CurrentDesktop();
  return desktop.AddPrinterDC(desktop.printers().CreateDC(settings));
}

PrinterDC* PrinterDCFromHandle(HPRINTDC handle) { return CurrentDesktop().PrinterDCFromHandle(handle); }

void DeletePrinterDC(HPRINTDC handle) { CurrentDesktop().DeletePrinterDC(handle); }

LocalTime GetLocalTime() { return CurrentDesktop().clock().Now(); }

COLORREF GetSysColor(int index) { return CurrentDesktop().system_values().SysColor(index); }

OsVersion GetOsVersion() { return CurrentDesktop().system_values().GetOsVersion(); }

DWORD GetRichEditVersion() { return CurrentDesktop().system_values().RichEditVersion(); }

std::string GetKeyboardLayoutName() { return CurrentDesktop().system_values().KeyboardLayoutName(); }

std::string GetUserName() { return CurrentDesktop().system_values().UserName(); }

}  // namespace zv::platform
