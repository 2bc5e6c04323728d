#include "apps/zvemul/desk.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "apps/zvemul/help_screen.h"
#include "platform/clocks.h"
#include "platform/code_page.h"
#include "platform/fixed_system_values.h"
#include "platform/font_catalogs.h"
#include "platform/object_registry.h"
#include "platform/window.h"

namespace zv::desk {
namespace {

using platform::InvokeKind;
using platform::Variant;

// What the container writes in the status bar's first part, which is its own.
constexpr char kHint[] = "Ctrl+] help";
// Tries at fitting the client height to the terminal's rows.
constexpr int kFitAttempts = 4;

// Makes the service, keeps a plain pointer to it and hands it to the desktop.
template <class Service, class Slot>
void Provide(Slot& slot, Service*& kept, Terminal& terminal) {
  auto service = std::make_unique<Service>(terminal);
  kept = service.get();
  slot = std::move(service);
}

Chrome ChromeOf(const ControlView& view) {
  Chrome chrome;
  chrome.layout = view.layout == 1 ? 1 : 2;
  chrome.tabs = chrome.layout == 1 ? view.all_tabs.visible : view.frame_tabs[0].visible;
  chrome.status_bar = view.status_bar.exists;
  return chrome;
}

const ResWindowView* WindowOf(const ControlView& view, int number) {
  for (const ResWindowView& w : view.windows) {
    if (w.number == number) return &w;
  }
  return nullptr;
}

// The character position shown at a row and column of a window's frame:
// past the end of a line, that line's end; below the text, the text's end.
LONG PositionAt(const ResWindowView& window, int row, int column) {
  const platform::TextEngine& engine = *window.engine;
  const LONG line = std::min(engine.FirstVisibleLine() + std::max(0, row), engine.LineCount() - 1);
  const LONG start = engine.LineStart(line);
  return start + std::min<LONG>(std::max(0, column), engine.LineLength(start));
}

// Sets a res window's selection by its message, as the text widget's own
// mouse handling would.
void SelectInWindow(HWND hwnd, LONG anchor, LONG end) {
  CHARRANGE range{std::min(anchor, end), std::max(anchor, end)};
  platform::SendMessage(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

}  // namespace

platform::DesktopServices Desk::MakeServices() {
  platform::DesktopServices services;
  Provide(services.message_boxes, boxes_, terminal_);
  Provide(services.print_dialogs, print_dialogs_, terminal_);
  Provide(services.menus, menus_, terminal_);
  Provide(services.clipboard, clipboard_, terminal_);
  services.clock = std::make_unique<platform::SystemClock>();
  services.system_values = std::make_unique<platform::FixedSystemValues>();
  services.fonts = std::make_unique<platform::FontconfigCatalog>();
  return services;
}

Desk::Desk(const DeskOptions& options, Terminal& terminal)
    : options_(options), terminal_(terminal), desktop_(MakeServices()), scope_(desktop_) {
  desktop_.SetRedrawListener([this](HWND, platform::RedrawRequest) { dirty_ = true; });
}

Desk::~Desk() {
  Finish();
  control_.Reset();
  desktop_.SetRedrawListener(nullptr);
}

bool Desk::Start(std::string& error) {
  CLSID clsid{};
  HRESULT hr = platform::CLSIDFromProgID(kZVEmulProgId, &clsid);
  if (SUCCEEDED(hr)) {
    hr = platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZVEmulControl::kIid, control_.PutVoid());
  }
  if (FAILED(hr)) {
    error = std::string("cannot create ") + kZVEmulProgId;
    return false;
  }
  if (const platform::EventInfo* event = control_->Automation().EventByName("DataSourceInput")) {
    data_source_input_ = event->id;
  }
  if (const platform::EventInfo* event = control_->Automation().EventByName("InputReflect")) {
    input_reflect_ = event->id;
  }
  if (const platform::EventInfo* event = control_->Automation().EventByName("DriveMacro")) {
    drive_macro_ = event->id;
  }
  control_->Automation().Advise(this);
  control_->SetSite(this);
  link_ = host::MakeHostLink(HostLinkOptionsOf(options_), desktop_.clock());

  // A first size for creation, at the default font's line height; FitControl
  // corrects it for the font the settings bring.
  ScreenLayout first = LayOutScreen(std::max(terminal_.rows(), kMinRows), std::max(terminal_.columns(), kMinColumns),
                                    Chrome{});
  const SIZE size = ClientSizeFor(first, platform::TextEngine().LineHeight());
  window_alive_ = control_->CreateControlWindow(nullptr, RECT{0, 0, size.cx, size.cy});
  if (!window_alive_) {
    error = "the control's window cannot be created";
    return false;
  }
  if (platform::Window* window = control_->ControlWindow()) platform::SetFocus(window->handle());

  if (options_.sessions > 1) {
    Invoke("CreateSessionQueue", InvokeKind::kMethod,
           {Variant::Short(static_cast<std::int16_t>(options_.sessions)),
            Variant::String(platform::Cp1252ToUtf16(platform::Utf8ToCp1252(options_.session_map)))});
  }
  if (!options_.keyboard_mapping.empty()) {
    const platform::InvokeResult loaded =
        Invoke("LoadKeyboardMapping", InvokeKind::kMethod,
               {Variant::String(platform::Cp1252ToUtf16(platform::Utf8ToCp1252(options_.keyboard_mapping)))});
    if (!loaded.ok() || loaded.value.integer() == 0) {
      error = "the keyboard mapping " + options_.keyboard_mapping +
              " was not loaded (a file the keyboard mapper refuses, or no keyboard mapper registered: "
              "run zvemul-register)";
      return false;
    }
  }
  Invoke("SetScriptStatusText", InvokeKind::kMethod, {Variant::String(platform::Cp1252ToUtf16(kHint))});
  // Where two frames would cut a page, one frame shows it whole; the
  // layout button still switches.
  if (control_->View().layout == 2 && StartingLayout(terminal_.rows()) == 1) {
    Invoke("Resize", InvokeKind::kMethod, {Variant::Short(0)});
  }
  ShowLinkState();
  dirty_ = true;
  return true;
}

platform::InvokeResult Desk::Invoke(std::string_view name, InvokeKind kind, std::vector<Variant> args) {
  platform::DispatchTable& table = control_->Automation();
  const std::optional<platform::DISPID> id = table.IdOfName(name);
  if (!id) return platform::InvokeResult{DISP_E_UNKNOWNNAME, {}, std::string(name)};
  return table.Invoke(*id, kind, args);
}

void Desk::OnEvent(const platform::EventInfo& event, std::span<const Variant> args) {
  if (event.id == input_reflect_) {
    if (const std::optional<host::ContainerKey> key = host::ReflectedKey(args)) window_keys_.push_back(*key);
    return;
  }
  if (event.id == drive_macro_ && !args.empty()) {
    // The desk runs no macros: it names the file the control asked for.
    const std::string path = platform::Utf16ToCp1252(args[0].string());
    const std::string file = path.substr(path.find_last_of('/') + 1);
    macro_text_ = file == ".zvm" ? "No macro" : "Macro " + file;
    return;
  }
  if (event.id != data_source_input_ || args.empty() || !link_) return;
  // The event names no window: the entry belongs to the session of the
  // current window's queue; the single queue talks to session 1.
  const ControlView view = control_->View();
  int session = 1;
  for (const ResWindowView& window : view.windows) {
    if (window.number == view.current_window && window.session > 0) session = window.session;
  }
  ++entries_out_;
  link_->Send(session, platform::Utf16ToCp1252(args[0].string()));
}

bool Desk::TranslateAccelerator(const MSG& msg, DWORD modifiers) {
  const std::optional<host::ContainerKey> key = host::AcceleratorKey(msg, modifiers);
  if (key) window_keys_.push_back(*key);
  return key.has_value();
}

void Desk::SendKey(UINT vk, int flags) {
  Invoke("SendKey", InvokeKind::kMethod,
         {Variant::Short(0), Variant::Short(static_cast<std::int16_t>(vk)), Variant::Short(static_cast<std::int16_t>(flags)),
          Variant::Short(1)});
}

void Desk::RunWindowKeys() {
  // Run after the key's own handling has returned, as a desktop container
  // acts on an accelerator from its message loop.
  const std::vector<host::ContainerKey> keys = std::exchange(window_keys_, {});
  for (const host::ContainerKey& key : keys) SendKey(key.vk, key.flags);
  if (macro_text_) {
    Invoke("SetScriptText", InvokeKind::kMethod,
           {Variant::String(platform::Cp1252ToUtf16(*std::exchange(macro_text_, {})))});
  }
}

void Desk::Run() {
  while (!quit_) {
    if (dirty_) {
      FitControl();
      desktop_.PaintPending();
      Render();
      dirty_ = false;
    }
    pollfd fds[3] = {{STDIN_FILENO, POLLIN, 0}, {terminal_.signal_fd(), POLLIN, 0}, {-1, 0, 0}};
    if (link_->PollFd() >= 0) fds[2] = pollfd{link_->PollFd(), link_->PollEvents(), 0};
    ::poll(fds, 3, PollTimeout());

    const Terminal::Signals signals = terminal_.TakeSignals();
    if (signals.quit) quit_ = true;
    if (signals.resized) {
      terminal_.UpdateSize();
      dirty_ = true;
    }
    for (const TerminalInput& input : terminal_.ReadInput()) {
      if (quit_) break;
      Handle(DecodeInput(input));
      dirty_ = true;
    }
    if (boxes_->quit_requested() || print_dialogs_->quit_requested() || menus_->quit_requested()) quit_ = true;
    if (quit_) break;
    desktop_.RunTimers();
    DeliverAnswers();
    ShowLinkState();
  }
  Finish();
}

int Desk::PollTimeout() {
  int timeout = link_->PollTimeoutMs();
  if (const std::optional<DWORD> timer = desktop_.TimeToNextTimer()) {
    const int ms = static_cast<int>(std::min<DWORD>(*timer, 60000));
    timeout = timeout < 0 ? ms : std::min(timeout, ms);
  }
  return timeout;
}

void Desk::Handle(const DeskAction& action) {
  switch (action.kind) {
    case DeskAction::Kind::kNone:
      return;
    case DeskAction::Kind::kQuit:
      AskToLeave();
      return;
    case DeskAction::Kind::kResize:
      terminal_.UpdateSize();
      return;
    default:
      break;
  }
  if (help_) {
    // Any key or click closes the help.
    if (action.kind != DeskAction::Kind::kMouse || !action.released) help_ = false;
    return;
  }
  if (action.kind == DeskAction::Kind::kHelp) {
    help_ = true;
    return;
  }
  if (layout_.too_small) return;
  switch (action.kind) {
    case DeskAction::Kind::kPress:
      if (action.vk == VK_APPS) OpenMenuAtCaret();
      platform::PressKey(action.vk, action.modifiers);
      break;
    case DeskAction::Kind::kPaste:
      // As a desktop paste: the text goes to the clipboard and the control
      // pastes it (SendKey's Shift+Insert), colons dropped, rows unbroken.
      clipboard_->Keep(action.text);
      SendKey(VK_INSERT, 2);
      break;
    case DeskAction::Kind::kType:
      platform::TypeText(action.text);
      break;
    case DeskAction::Kind::kWindowKey:
      SendKey(action.vk, action.modifiers.shift ? 2 : 0);
      break;
    case DeskAction::Kind::kMouse:
      Click(action);
      break;
    default:
      break;
  }
  RunWindowKeys();
}

void Desk::OpenMenuAtCaret() {
  // Below the caret, so that the row being typed stays in sight.
  const CellPosition caret = painting_.cursor.value_or(CellPosition{terminal_.rows() / 2, terminal_.columns() / 2});
  menus_->set_anchor(CellPosition{caret.row + 1, caret.column});
}

void Desk::AskToLeave() {
  if (entries_out_ > 0 &&
      boxes_->Show("Entries are still with the host; their answers will be lost.\nLeave the desk?", "ZVEmul",
                   MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  quit_ = true;
}

void Desk::Click(const DeskAction& action) {
  const HitZone* zone = HitTest(painting_, action.row, action.column);
  if (action.released) {
    // A drag inside one window selects from where the button went down.
    const std::optional<DragStart> drag = std::exchange(drag_, std::nullopt);
    if (zone == nullptr || zone->kind != HitZone::Kind::kWindow || !drag) return;
    const ControlView view = control_->View();
    const ResWindowView* window = WindowOf(view, zone->window);
    if (window == nullptr || window->hwnd != drag->hwnd) return;
    const LONG end = PositionAt(*window, action.row - zone->rows.top, action.column - zone->first_column);
    if (end != drag->position) SelectInWindow(window->hwnd, drag->position, end);
    return;
  }
  drag_.reset();
  if (zone == nullptr) return;
  switch (zone->kind) {
    case HitZone::Kind::kTab:
      // The tab strip has no click path of its own a container could reach;
      // OpenWindow switches windows as a click on the tab does.
      if (action.button == 1) {
        Invoke("OpenWindow", InvokeKind::kMethod, {Variant::Short(static_cast<std::int16_t>(zone->window))});
      }
      return;
    case HitZone::Kind::kLayoutButton:
      if (action.button == 1) Invoke("Resize", InvokeKind::kMethod, {Variant::Short(0)});
      return;
    case HitZone::Kind::kWindow: {
      const ControlView view = control_->View();
      const ResWindowView* window = WindowOf(view, zone->window);
      if (window == nullptr) return;
      const int row = action.row - zone->rows.top;
      const int column = action.column - zone->first_column;
      const LPARAM at = MAKELPARAM(static_cast<WORD>(column * kPixelsPerColumn), static_cast<WORD>(row * line_height_));
      if (action.button == 1) {
        // The window takes the focus as on a desktop, then the caret goes
        // where the agent clicked.
        platform::SendMessage(window->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        const LONG position = PositionAt(*window, row, column);
        SelectInWindow(window->hwnd, position, position);
        platform::SendMessage(window->hwnd, WM_LBUTTONUP, 0, at);
        drag_ = DragStart{window->hwnd, position};
      } else {
        menus_->set_anchor(CellPosition{action.row, action.column});
        platform::SendMessage(window->hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
        platform::SendMessage(window->hwnd, WM_RBUTTONUP, 0, at);
      }
      return;
    }
  }
}

void Desk::DeliverAnswers() {
  // Answers go back from the loop, never from inside the event that sent
  // the entry.
  for (const host::HostAnswer& answer : link_->Poll()) {
    entries_out_ = std::max(0, entries_out_ - 1);
    Invoke("DataSourceResponse", InvokeKind::kMethod, {Variant::String(platform::Cp1252ToUtf16(answer.response))});
    dirty_ = true;
  }
}

void Desk::ShowLinkState() {
  const std::string state = link_->StatusText();
  if (state == link_state_) return;
  link_state_ = state;
  Invoke("SetCommText", InvokeKind::kMethod, {Variant::String(platform::Cp1252ToUtf16(state))});
}

void Desk::FitControl() {
  if (!window_alive_) return;
  const ControlView view = control_->View();
  const Chrome chrome = ChromeOf(view);
  const ResWindowView* current = WindowOf(view, view.current_window);
  const LONG line_height = current != nullptr && current->engine != nullptr ? current->engine->LineHeight() : 0;
  if (layout_.rows == terminal_.rows() && layout_.columns == terminal_.columns() && layout_.chrome == chrome &&
      line_height == line_height_) {
    return;
  }
  layout_ = LayOutScreen(terminal_.rows(), terminal_.columns(), chrome);
  line_height_ = line_height;
  platform::Window* window = control_->ControlWindow();
  if (layout_.too_small || window == nullptr || line_height <= 0) return;

  const SIZE size = ClientSizeFor(layout_, line_height);
  const int wanted = FrameRows(layout_);
  int height = size.cy;
  for (int attempt = 0; attempt < kFitAttempts; ++attempt) {
    window->Move(RECT{0, 0, size.cx, height});
    const int shown = PageLines(control_->View());
    if (shown < 0 || shown == wanted) break;
    height = CorrectedClientHeight(height, wanted, shown, line_height, chrome.layout);
  }
  // The caret stays in sight whatever the new size hides.
  const ControlView fitted = control_->View();
  if (const ResWindowView* shown = WindowOf(fitted, fitted.current_window)) {
    platform::SendMessage(shown->hwnd, EM_SCROLLCARET, 0, 0);
  }
}

void Desk::Render() {
  if (layout_.too_small) {
    painting_ = PaintTooSmall(terminal_.rows(), terminal_.columns());
  } else {
    painting_ = PaintView(control_->View(), layout_);
  }
  std::optional<CellPosition> cursor = painting_.cursor;
  if (help_) {
    PaintHelp(painting_.grid);
    cursor.reset();
  }
  terminal_.Show(painting_.grid, cursor);
}

void Desk::Finish() {
  if (window_alive_) {
    control_->DestroyControlWindow();
    window_alive_ = false;
  }
  if (control_) {
    control_->Automation().Unadvise(this);
    control_->SetSite(nullptr);
  }
  if (link_) link_->Close();
}

int RunDesk(const DeskOptions& options, std::ostream& err) {
  if (!options.profile.empty() && !UseProfile(options.profile, err)) return 2;
  Terminal terminal;
  std::string error;
  if (!terminal.Start(error)) {
    err << "zvemul: " << error << '\n';
    return 1;
  }
  bool started = false;
  {
    Desk desk(options, terminal);
    started = desk.Start(error);
    if (started) desk.Run();
  }
  terminal.Stop();
  if (!started) {
    err << "zvemul: " << error << '\n';
    return 1;
  }
  return 0;
}

}  // namespace zv::desk
