// The control's lifecycle: construction, window creation and destruction,
// the container's persistent properties, the events and the view that
// containers draw from.
#include "control/zvemul_ctl.h"

#include <string>

#include "control/settings_record.h"
#include "control/window_order.h"
#include "control/window_tab_dialog.h"
#include "control/zvemul_dispatch.h"
#include "macros/macro_folders.h"
#include "platform/catch_all.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace zv {

BOOL g_twa = FALSE;
short g_windowCountLess1 = 9;

namespace {

using platform::CatchAll;
using platform::Variant;

constexpr WORD kDefaultFontSize = 10;
// Res window styles: child, border, both scroll bars, tab stop, automatic
// scrolling both ways, upper case, multi-line; without the horizontal
// scroll bar in compact mode.
constexpr DWORD kResWindowStyle = 0x40B100CC;
constexpr DWORD kCompactResWindowStyle = 0x40A100CC;
constexpr int kCompactScrollingWindowIndex = 7;
constexpr UINT kClipboardWindowId = 0x78;
// The Insert key press every window gets after creation.
constexpr LPARAM kInsertDownKeyData = 0x00340001;
constexpr LPARAM kInsertUpKeyData = static_cast<LPARAM>(0xC0340001u);
constexpr int kVisibleRowsAtStart = 15;

Variant Text(const std::string& text) { return Variant::String(platform::Cp1252ToUtf16(text)); }

template <typename T, typename Convert>
T BagValue(const PropertyBag& bag, const char* name, T fallback, Convert convert) {
  const auto it = bag.find(name);
  if (it == bag.end()) return fallback;
  T value{};
  return SUCCEEDED(convert(it->second, value)) ? value : fallback;
}

RECT Offset(RECT rect, POINT by) {
  return {rect.left + by.x, rect.top + by.y, rect.right + by.x, rect.bottom + by.y};
}

TabStripView ViewOf(CWindowTabDialog* strip) {
  TabStripView view;
  if (strip == nullptr || strip->handle() == 0) return view;
  view.exists = true;
  view.visible = strip->is_visible();
  view.rect = strip->rect();
  // The strip's controls sit in its client area, which starts at its corner.
  const POINT origin{view.rect.left, view.rect.top};
  platform::TabControlWindow& tabs = strip->Tabs();
  view.tabs_rect = Offset(tabs.rect(), origin);
  const POINT tabs_origin{view.tabs_rect.left, view.tabs_rect.top};
  const auto drawn = tabs.DrawItems();
  for (int i = 0; i < tabs.item_count(); ++i) {
    view.captions.push_back(tabs.ItemText(i));
    view.highlighted.push_back(tabs.IsHighlighted(i));
    TabItemView item{Offset(tabs.ItemRect(i), tabs_origin), drawn[static_cast<std::size_t>(i)]};
    for (auto& run : item.drawn) run.at = {run.at.x + tabs_origin.x, run.at.y + tabs_origin.y};
    view.items.push_back(std::move(item));
  }
  view.selected = tabs.GetCurSel();
  platform::ButtonWindow& button = strip->ResizeButton();
  view.button = {Offset(button.rect(), origin), button.GetText(), strip->IconId(), button.icon()};
  platform::Window& field = strip->InsField();
  view.ins_field = {Offset(field.rect(), origin), field.GetText()};
  return view;
}

}  // namespace

CZVEmulCtrl::CZVEmulCtrl() : m_errorLog(nullptr, u"Taloon! Res", u"ZVEmul.ocx", nullptr) {
  BuildZVEmulDispatch(m_dispatch, *this);
  m_windowOrder = std::make_unique<CWindowOrder>(kWindowCount);
  g_windowCountLess1 = 9;
  for (auto& window : m_resWindows) window = std::make_unique<CResRichEdit>();
  for (Colors& colors : m_colors) colors.attribute = kDefaultWindowColors;
  m_fontName = kDefaultFontName;
  m_fontSize = kDefaultFontSize;
  m_richEditVersion = platform::GetRichEditVersion();
  const platform::OsVersion os = platform::GetOsVersion();
  m_osVersion = static_cast<double>(os.major) + (os.minor != 0 ? 0.1 : 0.0);
  m_persistDir = platform::ResolvePersistDirectory();
  for (int i = 0; i < kWindowCount; ++i)
    m_screenFiles[static_cast<std::size_t>(i)] = m_persistDir + "ZVEMUL" + std::to_string(i) + ".RTF";
  m_macroArray = std::make_unique<CMacroArray>();
  SetUpMacroFolders(m_persistDir);
  m_entryHistory = std::make_unique<CInputRecall>(kHistoryCapacity);
}

CZVEmulCtrl::~CZVEmulCtrl() {
  CatchAll([&] {
    if (handle() != 0) Destroy();
    if (m_highlightingOn) m_brimlux.DeInitialize();
  });
}

const platform::TypeLibraryInfo& CZVEmulCtrl::TypeLibrary() { return ZVEmulTypeLibraryInfo(); }

bool CZVEmulCtrl::CreateControlWindow(platform::Window* parent, const RECT& rect) {
  const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_VISIBLE;
  return Window::Create(style, rect, parent, 0);
}

void CZVEmulCtrl::DestroyControlWindow() { Destroy(); }

// ---- Persistent properties --------------------------------------------------------------------

void CZVEmulCtrl::LoadProperties(const PropertyBag& bag) {
  CatchAll([&] {
    const auto to_bool = [](const Variant& v, BOOL& out) { return v.ToBool(out); };
    const auto to_short = [](const Variant& v, std::int16_t& out) { return v.ToShort(out); };
    g_twa = BagValue<BOOL>(bag, "TWA", FALSE, to_bool);
    m_insertKeyEnabled = BagValue<BOOL>(bag, "InsertMode", TRUE, to_bool);
    g_windowCountLess1 = BagValue<std::int16_t>(bag, "WindowCount", 1, to_short);
    m_modified = false;
  });
}

PropertyBag CZVEmulCtrl::SaveProperties() {
  PropertyBag bag;
  CatchAll([&] {
    bag["TWA"] = Variant::Bool(g_twa);
    bag["InsertMode"] = Variant::Bool(m_insertKeyEnabled);
    bag["WindowCount"] = Variant::Short(g_windowCountLess1);
    m_modified = false;
  });
  return bag;
}

void CZVEmulCtrl::SetModifiedFlag() {
  m_modified = true;
  if (m_site != nullptr) m_site->OnModified();
}

// ---- Window messages ------------------------------------------------------------------------------

LRESULT CZVEmulCtrl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return CatchAll<LRESULT>(-1, [&] { return static_cast<LRESULT>(OnCreate()); });
    case WM_SIZE:
      CatchAll([&] { OnSize(LOWORD(static_cast<DWORD_PTR>(lparam)), HIWORD(static_cast<DWORD_PTR>(lparam))); });
      return 0;
    case WM_DESTROY:
      CatchAll([&] { OnDestroy(); });
      return 0;
    case WM_SETFOCUS:
      CatchAll([&] { OnSetFocus(); });
      return 0;
    case WM_MOUSEACTIVATE:
      // A click inside the control: the container activates it.
      if (m_site != nullptr) m_site->OnActivate();
      break;
    default:
      break;
  }
  return Window::WindowProc(message, wparam, lparam);
}

int CZVEmulCtrl::OnCreate() {
  if (m_site != nullptr) m_site->OnControlInfoChanged();
  CreateTabStrips();
  if (!g_twa) {
    const RECT client = client_rect();
    CreateStatusBar(client.right, client.bottom);
    m_commText = "UNAVAIL";
    m_scriptStatusText.clear();
    SetStatusText(0, m_scriptStatusText);
    SetStatusText(1, m_commText);
    SetStatusText(2, "OVR");
    m_scriptText = "No Scripts Running";
    SetStatusText(3, m_scriptText);
    SetStatusText(4, m_keyboardName.value_or(""));
  }

  for (int i = 0; i < kWindowCount; ++i) {
    DWORD style = g_twa && i != kCompactScrollingWindowIndex ? kCompactResWindowStyle : kResWindowStyle;
    if (!m_ready) style |= WS_DISABLED;
    CResRichEdit& window = *m_resWindows[static_cast<std::size_t>(i)];
    if (!window.Create(style, RECT{}, this, kFirstResWindowId + static_cast<UINT>(i))) {
      m_ready = false;
      return 0;
    }
    window.Attach(this, static_cast<short>(i + 1));
    const LRESULT mask = window.SendMessage(EM_GETEVENTMASK, 0, 0);
    window.SendMessage(EM_SETEVENTMASK, 0, mask | static_cast<LPARAM>(ENM_SELCHANGE));
    if (i == 0) window.StartClockTimer();
    window.Show(false);
  }

  // Visiting every window leaves frame 2 active; a first start (no settings
  // to restore) should begin in frame 1, as the frames' windows do.
  const auto active_frame = m_activeFrame;
  m_bulkUpdate = true;
  for (short n = 1; n <= kWindowCount; ++n) SwitchToWindow(n);
  m_resWindows[8]->Show(false);
  m_resWindows[9]->Show(false);
  m_bulkUpdate = false;
  m_frameWindow = {0, 1};
  m_activeFrame = active_frame;
  if (!m_ready) return 0;

  LoadSettings();

  const std::string face = m_fontName.empty() ? std::string(kDefaultFontName) : m_fontName;
  const int size = m_fontSize > 49 || m_fontSize < 1 ? kDefaultFontSize : m_fontSize;
  SetFonts(face, size);

  for (int i = 0; i < kWindowCount; ++i) {
    CResRichEdit& window = *m_resWindows[static_cast<std::size_t>(i)];
    const auto& colors = m_colors[static_cast<std::size_t>(i)].attribute;
    window.SetResponseColor(colors[2]);
    window.SetInputColor(colors[1]);
    window.SetBackColor(FALSE, colors[0]);
  }

  for (int i = 0; i < kWindowCount; ++i) {
    // A screen saved with another face would not line up.
    if (m_fontName != face) platform::DeleteFile(m_screenFiles[static_cast<std::size_t>(i)]);
    CResRichEdit& window = *m_resWindows[static_cast<std::size_t>(i)];
    window.ApplyInputFormat();
    window.SetSel(0, 0);
    window.ReplaceSel(">");
    window.ApplyInputFormat();
    window.SendMessage(EM_LINESCROLL, 0, window.engine().LineCount() - kVisibleRowsAtStart);
    window.SetCaretToEnd();
    window.RememberSelection();
  }

  platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
  keys.Set(VK_SHIFT, 0);
  keys.Set(VK_CONTROL, 0);
  for (auto& window : m_resWindows) {
    window->SendMessage(WM_KEYDOWN, VK_INSERT, kInsertDownKeyData);
    window->SendMessage(WM_KEYUP, VK_INSERT, kInsertUpKeyData);
  }

  ShowFrameWindows(m_layout == 2);

  const DWORD exists = platform::CurrentRegistryStore().GetDword(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Exists").value_or(1);
  if (exists != 0) {
    m_highlightingOn = TRUE;
    if (!InitHighlighting()) m_highlightingOn = FALSE;
  }
  return 0;
}

BOOL CZVEmulCtrl::InitHighlighting() { return m_brimlux.Initialize(this) == 0 ? TRUE : FALSE; }

void CZVEmulCtrl::OnDestroy() {
  if (m_ready && m_resWindows[0]->handle() != 0) SaveSettings();
  for (auto& window : m_resWindows) window->Destroy();
  m_entryHistory.reset();
  if (m_highlightingOn) m_brimlux.DeInitialize();
}

void CZVEmulCtrl::OnSetFocus() {
  if (CResRichEdit* window = CurrentResWindow()) platform::SetFocus(window->handle());
}

// ---- Events -------------------------------------------------------------------------------------

void CZVEmulCtrl::FireHostResponse(short window, short type, const std::string& text) {
  m_eventText = text;
  m_dispatch.Fire(kEventHostResponse, {Variant::Short(window), Variant::Short(type), Text(text)});
}

void CZVEmulCtrl::FireInputReflectText(const std::string& text, short flags) {
  m_macroText = text;
  FireInputReflect(GetCurrentWindow(), 1, 0, text, flags);
}

void CZVEmulCtrl::FireInputReflectChar(short ch, short flags) {
  FireInputReflect(GetCurrentWindow(), 2, ch, std::nullopt, flags);
}

void CZVEmulCtrl::FireInputReflect(short window, short type, short ch, const std::optional<std::string>& text,
                                   short flags) {
  m_dispatch.Fire(kEventInputReflect, {Variant::Short(window), Variant::Short(type), Variant::Short(ch),
                                       text ? Text(*text) : Variant::NullString(), Variant::Short(flags)});
}

void CZVEmulCtrl::FireDriveMacro(const std::string& text) {
  if (text.empty()) return;
  m_macroText = text;
  m_dispatch.Fire(kEventDriveMacro, {Text(text)});
}

void CZVEmulCtrl::FireUSMGRequest() { m_dispatch.Fire(kEventUSMGRequest, {}); }

// ---- Keys and macros ------------------------------------------------------------------------------

bool CZVEmulCtrl::TranslateControlKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != 'P') return false;
  const platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
  if (!keys.IsDown(VK_CONTROL) || keys.IsDown(VK_SHIFT)) return false;
  constexpr short kReflectCtrl = 1;
  constexpr short kReflectAlt = 4;
  const short flags = static_cast<short>(kReflectCtrl | (keys.IsDown(VK_MENU) ? kReflectAlt : 0));
  FireInputReflect(GetCurrentWindow(), 2, 'P', std::nullopt, flags);
  if (CResRichEdit* window = CurrentResWindow()) window->Print();
  return true;
}

bool CZVEmulCtrl::PreTranslateMessage(const MSG& msg) {
  return CatchAll(false, [&] {
    if (TranslateControlKey(msg)) return true;
    const platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
    // Ctrl+Shift+A and Ctrl+Shift+C are office macro keys, caught before a
    // res window's engine takes them for select-all and copy.
    if (msg.message == WM_KEYDOWN && (msg.wParam == 'A' || msg.wParam == 'C') && keys.IsDown(VK_CONTROL) &&
        keys.IsDown(VK_SHIFT)) {
      const auto key = static_cast<char>(msg.wParam);
      constexpr short kCtrlShift = 3;
      FireInputReflect(GetCurrentWindow(), 2, static_cast<short>(key), std::nullopt, kCtrlShift);
      FireDriveMacro(GetOfficeDir() + LookupMacroKey(std::string("Ctrl+Shift+") + key) + ".zvm");
      return true;
    }
    // The context-menu key opens the menu whatever TWA is; the current
    // window still gets the key.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_APPS) {
      BuildMacroMenu();
      if (CResRichEdit* window = CurrentResWindow()) window->SendMessage(msg.message, msg.wParam, msg.lParam);
      return true;
    }
    // The container's accelerators see the keys a res window hands to the
    // control's own window (F4, F8, F9, Ctrl+Insert), not every key on its way.
    if (m_site == nullptr || msg.hwnd != handle()) return false;
    DWORD modifiers = 0;
    if (keys.IsDown(VK_SHIFT)) modifiers |= KEYMOD_SHIFT;
    if (keys.IsDown(VK_CONTROL)) modifiers |= KEYMOD_CONTROL;
    if (keys.IsDown(VK_MENU)) modifiers |= KEYMOD_ALT;
    return m_site->TranslateAccelerator(msg, modifiers);
  });
}

std::string CZVEmulCtrl::GetPersonalDir() const { return PersonalMacroFolder(m_persistDir); }

std::string CZVEmulCtrl::GetOfficeDir() const { return OfficeMacroFolder(m_persistDir); }

std::string CZVEmulCtrl::LookupMacroKey(const std::string& keyName) const { return m_macroArray->Lookup(keyName); }

void CZVEmulCtrl::SetMacroKey(const std::string& keystroke, const std::string& macroName) {
  m_macroArray->Assign(macroName, keystroke);
  SetModifiedFlag();
}

void CZVEmulCtrl::SetKeyboardName(const std::string& name) {
  m_keyboardName = name;
  SetStatusText(4, name);
}

int CZVEmulCtrl::ShowMessage(const std::string& text, UINT type) {
  return platform::MessageBox(handle(), text, kMessageCaption, type);
}

void CZVEmulCtrl::PrintSetUp() {
  CatchAll([&] {
    platform::PrintDialogData dialog;
    dialog.flags =
        PD_PRINTSETUP | PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION;
    platform::GetPrinterDeviceDefaults(dialog.settings);
    if (platform::PrintDlg(handle(), dialog) == IDOK) platform::SetPrinterDeviceDefaults(dialog.settings);
  });
}

void CZVEmulCtrl::AboutBox() {
  CatchAll([&] {
    platform::MessageBox(handle(), "ZVEmul Control\nVersion 1.3", "About ZVEmul", MB_OK | MB_ICONINFORMATION);
  });
}

// ---- Properties of the control object -------------------------------------------------------------

BOOL CZVEmulCtrl::GetMHA() const { return m_entryHistory ? m_entryHistory->GetMode() : FALSE; }

void CZVEmulCtrl::SetMHA(BOOL value) {
  if (m_entryHistory) m_entryHistory->SetMode(value);
}

void CZVEmulCtrl::SetInsertMode(BOOL value) {
  CatchAll([&] {
    // Compared as stored: only 1 counts as the insert state being on.
    if (value != m_insertOn) ToggleInsertState();
    if (CResRichEdit* window = CurrentResWindow()) platform::SetFocus(window->handle());
    SetModifiedFlag();
  });
}

void CZVEmulCtrl::CopySelectionToClipboard(BOOL cut) {
  CatchAll([&] {
    CResRichEdit* current = CurrentResWindow();
    if (current == nullptr) return;
    const std::string text = current->engine().SelectedText();
    if (cut) current->SendMessage(WM_CLEAR, 0, 0);
    // Through a plain window, so that the clipboard gets the characters
    // without the screen's colours.
    CRichEdit20Ctrl plain;
    if (!plain.Create(kCompactResWindowStyle, RECT{}, this, kClipboardWindowId)) return;
    plain.SetText(text);
    plain.SendMessage(EM_SETSEL, 0, -1);
    plain.SendMessage(WM_COPY, 0, 0);
    plain.Destroy();
  });
}

// ---- View -----------------------------------------------------------------------------------------------

ControlView CZVEmulCtrl::View() {
  ControlView view;
  CatchAll([&] {
    view.client = client_rect();
    view.layout = m_layout;
    view.active_frame = m_activeFrame;
    view.frame_window[0] = m_frameWindow[0] + 1;
    view.frame_window[1] = m_frameWindow[1] + 1;
    view.current_window = GetCurrentWindow();
    view.focus = platform::GetFocus();
    for (const auto& window : m_resWindows) {
      ResWindowView w;
      w.number = window->GetWindowNumber();
      w.hwnd = window->handle();
      w.rect = window->rect();
      w.visible = window->handle() != 0 && window->is_visible();
      w.enabled = window->handle() != 0 && window->is_enabled();
      w.focused = w.hwnd != 0 && view.focus == w.hwnd;
      w.background = window->engine().BackgroundColor();
      w.engine = &window->engine();
      w.hidden = IsWindowHidden(w.number);
      w.session = m_requestQueues.QueueSessionOfWindow(static_cast<short>(w.number));
      view.windows.push_back(w);
    }
    view.frame_tabs[0] = ViewOf(m_frameTabs[0].get());
    view.frame_tabs[1] = ViewOf(m_frameTabs[1].get());
    view.all_tabs = ViewOf(m_allTabs.get());
    if (m_statusBar && m_statusBar->handle() != 0) {
      view.status_bar.exists = true;
      view.status_bar.rect = m_statusBar->rect();
      for (int part = 0; part < m_statusBar->part_count(); ++part) {
        view.status_bar.parts.push_back(m_statusBar->Text(part));
      }
      view.status_bar.right_edges = m_statusBar->right_edges();
    }
    platform::Caret& caret = platform::CurrentDesktop().caret();
    view.caret.hwnd = caret.owner();
    view.caret.visible = caret.visible();
    view.caret.width = caret.size().cx;
    view.caret.height = caret.size().cy;
  });
  return view;
}

}  // namespace zv
