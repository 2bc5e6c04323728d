// The window set: frames, the current window, tab strips and status bar.
#include <cstdio>

#include "control/window_order.h"
#include "control/window_tab_dialog.h"
#include "control/zvemul_ctl.h"
#include "platform/catch_all.h"
#include "platform/desktop.h"

namespace zv {
namespace {

using platform::CatchAll;

constexpr int kTabStripHeight = 18;
constexpr int kStatusBarHeight = 18;        // as counted by the layout
constexpr int kStatusBarCreateHeight = 19;  // as created
// Right edges of the status bar's parts, from the client's right edge.
constexpr std::array<int, 6> kStatusPartOffsets = {350, 283, 250, 123, 98, 55};
constexpr int kStatusDatePart = 5;
constexpr int kStatusTimePart = 6;
constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int FrameOf(short window) { return window % 2 == 1 ? 1 : 2; }

}  // namespace

// ---- Creation of the strips and the status bar ------------------------------------------------

void CZVEmulCtrl::CreateTabStrips() {
  m_frameTabs[0] = std::make_unique<CWindowTabDialog>(this, 5, true, false);
  m_frameTabs[1] = std::make_unique<CWindowTabDialog>(this, 5, false, false);
  m_allTabs = std::make_unique<CWindowTabDialog>(this, 10, false, true);
  m_frameTabs[0]->Create(this);
  m_frameTabs[1]->Create(this);
  m_allTabs->Create(this);
}

void CZVEmulCtrl::CreateStatusBar() {
  m_statusBar = std::make_unique<platform::StatusBarWindow>();
  const RECT client = client_rect();
  const RECT rect = {0, client.bottom - kStatusBarCreateHeight, client.right, client.bottom};
  if (!m_statusBar->Create(WS_CHILD | WS_VISIBLE, rect, this, kStatusBarId)) {
    m_statusBar.reset();
    return;
  }
  std::array<int, kStatusPartOffsets.size() + 1> edges{};
  for (std::size_t i = 0; i < kStatusPartOffsets.size(); ++i) edges[i] = client.right - kStatusPartOffsets[i];
  edges.back() = -1;
  m_statusBar->SetParts(edges);
}

void CZVEmulCtrl::SetStatusText(int part, const std::string& text) {
  if (m_statusBar) m_statusBar->SetText(part, text);
}

// ---- Layout ---------------------------------------------------------------------------------------

void CZVEmulCtrl::OnSize(int width, int height) { LayoutChildren(width, height); }

void CZVEmulCtrl::LayoutChildren(int width, int height) {
  m_clientWidth = static_cast<short>(width);
  m_clientHeight = static_cast<short>(height);
  const int statusH = m_statusBar ? kStatusBarHeight : 0;
  int tabH = 0;
  const bool showTabs = g_windowCountLess1 > 1;
  const auto place = [](CResRichEdit* window, int top, int w, int h) {
    if (window == nullptr) return;
    window->Move(RECT{0, top, w, top + std::max(h, 0)});
    window->Show(true);
  };
  if (m_layout == 1) {
    const int available = height - statusH;
    if (showTabs) {
      for (auto& strip : m_frameTabs) {
        if (strip) strip->Show(false);
      }
      if (m_allTabs) {
        m_allTabs->Move(RECT{0, 0, width, kTabStripHeight});
        m_allTabs->Show(true);
      }
      tabH = kTabStripHeight;
    }
    place(CurrentResWindow(), tabH, width, available - tabH);
    const int other = m_activeFrame == 1 ? 1 : 0;
    if (CResRichEdit* hidden = m_resWindows[m_frameWindow[static_cast<std::size_t>(other)]].get()) {
      if (hidden != CurrentResWindow()) hidden->Show(false);
    }
  } else {
    const int half = (height - statusH) / 2;
    if (showTabs) {
      if (m_frameTabs[0]) {
        m_frameTabs[0]->Move(RECT{0, 0, width, kTabStripHeight});
        m_frameTabs[0]->Show(true);
      }
      if (m_frameTabs[1]) {
        m_frameTabs[1]->Move(RECT{0, half, width, half + kTabStripHeight});
        m_frameTabs[1]->Show(true);
      }
      if (m_allTabs) m_allTabs->Show(false);
      tabH = kTabStripHeight;
    }
    place(m_resWindows[m_frameWindow[0]].get(), tabH, width, half - tabH);
    place(m_resWindows[m_frameWindow[1]].get(), half + tabH, width, half - tabH);
  }
  if (CResRichEdit* current = CurrentResWindow()) current->SetCaretToEnd();
  if (m_statusBar) {
    CreateStatusBar();
    SetStatusText(0, m_scriptStatusText);
    SetStatusText(1, m_commText);
    SetStatusText(2, InsertStateText());
    SetStatusText(3, m_scriptText);
    UpdateClock();
    SetStatusText(4, m_keyboardName.value_or(""));
  }
  Invalidate();
}

// ---- The current window -------------------------------------------------------------------------

CResRichEdit* CZVEmulCtrl::ResWindow(short window) const {
  if (window < 1 || window > kWindowCount) return nullptr;
  return m_resWindows[static_cast<std::size_t>(window - 1)].get();
}

int CZVEmulCtrl::CurrentWindowIndex() const { return m_frameWindow[m_activeFrame == 1 ? 0 : 1]; }

short CZVEmulCtrl::GetCurrentWindow() const { return static_cast<short>(CurrentWindowIndex() + 1); }

CResRichEdit* CZVEmulCtrl::CurrentResWindow() const { return ResWindow(GetCurrentWindow()); }

CResRichEdit* CZVEmulCtrl::AddressedWindow(short window) const {
  if (window == 0) return CurrentResWindow();
  return ResWindow(window);
}

void CZVEmulCtrl::SetCurrentWindowProperty(short window) { SetCurrentWindow(window); }

void CZVEmulCtrl::SetCurrentWindow(short n) {
  CatchAll([&] {
    if (ResWindow(n) == nullptr) return;
    if (CResRichEdit* current = CurrentResWindow()) current->RememberSelection();
    if (m_recordOrder) m_windowOrder->Touch(n);
    m_recordOrder = true;
    const int frame = FrameOf(n);
    if (m_windowOrder->IsHidden(n)) {
      m_activeFrame = static_cast<WORD>(frame);
      m_frameWindow[static_cast<std::size_t>(frame - 1)] = static_cast<WORD>(n - 1);
      return;
    }
    CWindowTabDialog* strip = m_frameTabs[static_cast<std::size_t>(frame - 1)].get();
    if (strip == nullptr) return;
    if (m_layout == 2) {
      if (!m_bulkUpdate) strip->SetCurSel((n - 1) / 2);
      m_activeFrame = static_cast<WORD>(frame);
    } else if (!m_bulkUpdate && m_allTabs) {
      m_allTabs->SetCurSel(n - 1);
    }
    ShowInFrame(n, frame);
    m_resWindows[m_frameWindow[static_cast<std::size_t>(frame - 1)]]->RefreshCaret(0, TRUE);
  });
}

void CZVEmulCtrl::ShowInFrame(short n, int frame) {
  const int statusH = m_statusBar ? kStatusBarHeight : 0;
  const int tabH = g_windowCountLess1 > 1 ? kTabStripHeight : 0;
  const auto hide = [](CResRichEdit& window) {
    window.Enable(false);
    window.Show(false);
  };
  if (m_layout == 1) {
    hide(*m_resWindows[m_frameWindow[0]]);
    hide(*m_resWindows[m_frameWindow[1]]);
  }
  const std::size_t slot = static_cast<std::size_t>(frame - 1);
  hide(*m_resWindows[m_frameWindow[slot]]);
  m_frameWindow[slot] = static_cast<WORD>(n - 1);
  int h = 0;
  if (m_layout == 2) {
    h = (m_clientHeight - statusH) / 2;
  } else {
    h = m_clientHeight - statusH;
    m_activeFrame = static_cast<WORD>(frame);
  }
  const int top = frame == 1 ? tabH : (m_layout == 2 ? h : 0) + tabH;
  CResRichEdit& window = *ResWindow(n);
  if (!window.Move(RECT{0, top, m_clientWidth, top + std::max(h - tabH, 0)})) return;
  window.Show(true);
  m_frameShown[slot] = static_cast<WORD>(n - 1);
  window.Enable(true);
  platform::SetFocus(window.handle());
  window.RestoreSelection();
  window.RefreshCaret(0, TRUE);
  platform::UpdateWindow(window.handle());
}

void CZVEmulCtrl::SwitchToWindow(short n) {
  CatchAll([&] {
    if (ResWindow(n) == nullptr) return;
    if (CResRichEdit* current = CurrentResWindow()) current->RememberSelection();
    CResRichEdit& shown = *m_resWindows[m_frameShown[static_cast<std::size_t>(FrameOf(n) - 1)]];
    shown.Enable(false);
    shown.Show(false);
    shown.Enable(true);
    m_windowOrder->Unhide(n);
    m_windowOrder->Touch(n);
    SetCurrentWindow(n);
  });
}

short CZVEmulCtrl::OtherFrameWindow() const {
  return static_cast<short>(m_frameWindow[m_activeFrame == 1 ? 1 : 0] + 1);
}

void CZVEmulCtrl::ShowFrameWindows(bool both) {
  // Both windows are taken before either call: making the inactive frame's
  // window current makes its frame active for a moment.
  const short active = GetCurrentWindow();
  if (both) SetCurrentWindow(OtherFrameWindow());
  SetCurrentWindow(active);
}

void CZVEmulCtrl::NextWindow() {
  CatchAll([&] {
    const short w = GetCurrentWindow();
    if (m_activeFrame == 1 || w < g_windowCountLess1) {
      SwitchToWindow(static_cast<short>(w + 1));
    } else {
      SwitchToWindow(1);
    }
  });
}

void CZVEmulCtrl::PreviousWindow() {
  CatchAll([&] {
    const short w = GetCurrentWindow();
    if (m_activeFrame == 1 && w == 1) {
      SwitchToWindow(GetWindowCount());
    } else {
      SwitchToWindow(static_cast<short>(w - 1));
    }
  });
}

short CZVEmulCtrl::OpenWindow(short window) {
  return CatchAll<short>(-1, [&]() -> short {
    if (window > kWindowCount || window < 0) return -1;
    if (window == 0) {
      NextWindow();
    } else {
      SwitchToWindow(window);
    }
    return GetCurrentWindow();
  });
}

void CZVEmulCtrl::RenameWindow(short window, const std::optional<std::string>& name) {
  CatchAll([&] {
    // Tabs exist for windows 1..10 only.
    if (window < 1 || window > kWindowCount || !name || name->empty()) return;
    if (m_windowOrder->IsHidden(window)) return;
    if (CWindowTabDialog* strip = m_frameTabs[static_cast<std::size_t>(FrameOf(window) - 1)].get()) {
      strip->SetTabText((window - 1) / 2, *name);
    }
    if (m_allTabs) m_allTabs->SetTabText(window - 1, *name);
  });
}

int CZVEmulCtrl::GetSessionOfWindow(short window) const {
  return window >= 1 && window <= kWindowCount ? m_windowSession[static_cast<std::size_t>(window)] : 0;
}

void CZVEmulCtrl::SetActiveFrameFromWindow(short window) {
  if (window != 0) m_activeFrame = static_cast<WORD>(FrameOf(window));
  SetModifiedFlag();
}

LONG CZVEmulCtrl::GetCurrentHWND() {
  return CatchAll<LONG>(0, [&] {
    CResRichEdit* window = CurrentResWindow();
    return window != nullptr ? static_cast<LONG>(window->GetWindowHandle()) : 0;
  });
}

// ---- Insert state, clock and status texts ---------------------------------------------------------------

void CZVEmulCtrl::ToggleInsertState() {
  m_insertOn = m_insertOn ? FALSE : TRUE;
  if (!g_twa) SetStatusText(2, InsertStateText());
}

void CZVEmulCtrl::UpdateClock() {
  CatchAll([&] {
    const platform::LocalTime now = platform::GetLocalTime();
    char date[32];
    std::snprintf(date, sizeof date, "%s %02i", kMonths[(now.month + 11) % 12], now.day);
    const int hour = now.hour % 12 == 0 ? 12 : now.hour % 12;
    char time[32];
    std::snprintf(time, sizeof time, now.hour < 12 ? "%i:%02i AM" : "%i:%02i PM", hour, now.minute);
    SetStatusText(kStatusDatePart, date);
    SetStatusText(kStatusTimePart, time);
  });
}

void CZVEmulCtrl::SetCommText(const std::string& text) {
  CatchAll([&] {
    m_commText = text;
    SetStatusText(1, m_commText);
  });
}

void CZVEmulCtrl::SetScriptText(const std::string& text) {
  CatchAll([&] {
    m_scriptText = text;
    SetStatusText(3, m_scriptText);
  });
}

void CZVEmulCtrl::SetScriptStatusText(const std::string& text) {
  CatchAll([&] {
    m_scriptStatusText = text;
    SetStatusText(0, m_scriptStatusText);
  });
}

}  // namespace zv
