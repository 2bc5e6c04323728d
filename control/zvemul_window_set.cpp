// The window set: frames, the current window, hiding, the layout toggle,
// tab strips, status bar and clock.
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
// Right edges of the status bar's parts, from the client's right edge; the
// last part reaches the edge.
constexpr std::array<int, 6> kStatusPartOffsets = {350, 283, 250, 123, 98, 55};
constexpr int kScriptStatusPart = 0;
constexpr int kCommPart = 1;
constexpr int kInsertPart = 2;
constexpr int kScriptPart = 3;
constexpr int kKeyboardPart = 4;
constexpr int kDatePart = 5;
constexpr int kTimePart = 6;
constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Edit options every res window gets in compact mode.
constexpr LPARAM kCompactEditOptions = 0x408100CC;

int FrameOf(short window) { return window % 2 == 1 ? 1 : 2; }
std::size_t SlotOf(int frame) { return frame == 1 ? 0 : 1; }

void HideAndDisable(CResRichEdit& window) {
  window.Enable(false);
  window.Show(false);
}

std::string DateText(const platform::LocalTime& now) {
  char text[32];
  std::snprintf(text, sizeof text, "%s %02i", kMonths[((now.month - 1) % 12 + 12) % 12], now.day);
  return text;
}

std::string TimeText(const platform::LocalTime& now) {
  // Hour 0 is 12 AM, hour 12 is 12 PM.
  const int hour = now.hour % 12 == 0 ? 12 : now.hour % 12;
  char text[32];
  std::snprintf(text, sizeof text, now.hour < 12 ? "%i:%02i AM" : "%i:%02i PM", hour, now.minute);
  return text;
}

}  // namespace

// ---- Creation of the strips and the status bar ------------------------------------------------

void CZVEmulCtrl::CreateTabStrips() {
  for (std::size_t slot = 0; slot < 2; ++slot) CreateTabStrip(m_frameTabs[slot], 5, slot == 0, false);
  CreateTabStrip(m_allTabs, 10, false, true);
}

void CZVEmulCtrl::CreateTabStrip(std::unique_ptr<CWindowTabDialog>& strip, WORD tabs, bool odd, bool all) {
  strip.reset();
  strip = std::make_unique<CWindowTabDialog>(this, tabs, odd, all);
  strip->Create(this);
}

void CZVEmulCtrl::CreateStatusBar(int width, int height) {
  m_statusBar.reset();
  auto bar = std::make_unique<platform::StatusBarWindow>();
  const RECT rect = {0, height - kStatusBarCreateHeight, width, height};
  if (!bar->Create(WS_CHILD | WS_VISIBLE, rect, this, kStatusBarId)) return;
  std::array<int, kStatusPartOffsets.size() + 1> edges{};
  for (std::size_t i = 0; i < kStatusPartOffsets.size(); ++i) edges[i] = width - kStatusPartOffsets[i];
  edges.back() = -1;
  bar->SetParts(edges);
  m_statusBar = std::move(bar);
}

void CZVEmulCtrl::SetStatusText(int part, const std::string& text) {
  if (m_statusBar) m_statusBar->SetText(part, text);
}

// ---- Layout ---------------------------------------------------------------------------------------

void CZVEmulCtrl::OnSize(int width, int height) { LayoutChildren(width, height); }

CResRichEdit& CZVEmulCtrl::FrameResWindow(std::size_t slot) const { return *m_resWindows[m_frameWindow[slot]]; }

void CZVEmulCtrl::LayoutChildren(int width, int height) {
  m_clientWidth = static_cast<short>(width);
  m_clientHeight = static_cast<short>(height);
  const int statusH = m_statusBar ? kStatusBarHeight : 0;
  // With two windows or fewer the strips are left as they are.
  const bool tabs = g_windowCountLess1 > 1;
  int tabH = 0;
  const auto place = [width](CResRichEdit& window, int top, int h) {
    window.Move(RECT{0, top, width, top + std::max(h, 0)});
    window.Show(true);
  };
  if (m_layout == 1) {
    const int available = height - statusH;
    if (tabs) {
      for (auto& strip : m_frameTabs) {
        if (strip) strip->Show(false);
      }
      if (m_allTabs) {
        m_allTabs->Move(RECT{0, 0, width, kTabStripHeight});
        m_allTabs->Show(true);
      }
      tabH = kTabStripHeight;
    }
    place(*CurrentResWindow(), tabH, available - tabH);
    FrameResWindow(m_activeFrame == 1 ? 1 : 0).Show(false);
  } else {
    const int half = (height - statusH) / 2;
    if (tabs) {
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
    place(FrameResWindow(0), tabH, half - tabH);
    place(FrameResWindow(1), half + tabH, half - tabH);
  }
  CurrentResWindow()->SetCaretToEnd();
  if (m_statusBar) {
    // The parts' edges follow the width: the bar is made again.
    CreateStatusBar(width, height);
    SetStatusText(kScriptStatusPart, m_scriptStatusText);
    SetStatusText(kCommPart, m_commText);
    SetStatusText(kInsertPart, InsertStateText());
    SetStatusText(kScriptPart, m_scriptText);
    UpdateClock();
    SetStatusText(kKeyboardPart, m_keyboardName.value_or(""));
  }
  Invalidate();
}

void CZVEmulCtrl::SetWindowCount(short count) {
  CatchAll([&] {
    g_windowCountLess1 = static_cast<short>(count - 1);
    if (handle() != 0) LayoutChildren(m_clientWidth, m_clientHeight);
  });
}

void CZVEmulCtrl::Resize(short nFrame) {
  CatchAll([&] {
    if (handle() == 0) return;
    FrameResWindow(0).RememberSelection();
    FrameResWindow(1).RememberSelection();
    if (nFrame == 3) {  // two frames wanted
      if (m_layout == 1) Resize(0);
      return;
    }
    if (nFrame == 4) {  // one frame wanted
      if (m_layout == 2) Resize(0);
      return;
    }
    // Any frame but 1 counts as frame 2, and is kept as 2 so that the
    // active frame is always 1 or 2.
    const WORD frame = nFrame == 1 ? 1 : 2;
    if (m_layout == 1) {
      m_layout = 2;
      if (m_frameTabs[1]) m_frameTabs[1]->SetCurSel((m_frameWindow[1] - 1) / 2);
      if (m_frameTabs[0]) m_frameTabs[0]->SetCurSel(m_frameWindow[0] / 2);
      ShowFrameWindows(true);
      if (nFrame != 0) m_activeFrame = frame;
    } else {
      m_layout = 1;
      if (nFrame == 0) {
        SwitchToWindow(GetCurrentWindow());
      } else {
        const std::size_t slot = SlotOf(frame);
        if (m_allTabs) m_allTabs->SetCurSel(m_frameWindow[slot]);
        platform::SetFocus(FrameResWindow(slot).handle());
        m_activeFrame = frame;
      }
    }
    LayoutChildren(m_clientWidth, m_clientHeight);
    CResRichEdit& active = *CurrentResWindow();
    active.RestoreSelection();
    active.RefreshCaret(0, TRUE);
  });
}

void CZVEmulCtrl::SetTWA(BOOL value) {
  CatchAll([&] {
    g_twa = value;
    if (value) {
      m_statusBar.reset();
      for (auto& window : m_resWindows) window->SendMessage(EM_SETOPTIONS, ECOOP_SET, kCompactEditOptions);
      // Fresh strips: names and highlights start over.
      for (std::size_t slot = 0; slot < 2; ++slot) {
        if (m_frameTabs[slot]) CreateTabStrip(m_frameTabs[slot], 5, slot == 0, false);
      }
      if (m_allTabs) CreateTabStrip(m_allTabs, 10, false, true);
    }
    // Either value ends in the one-frame layout; only compact mode takes
    // the status bar away.
    if (m_layout == 2) Resize(1);
    SetModifiedFlag();
  });
}

// ---- The current window -------------------------------------------------------------------------

CResRichEdit* CZVEmulCtrl::ResWindow(short window) const {
  if (window < 1 || window > kWindowCount) return nullptr;
  return m_resWindows[static_cast<std::size_t>(window - 1)].get();
}

int CZVEmulCtrl::CurrentWindowIndex() const { return m_frameWindow[SlotOf(m_activeFrame)]; }

short CZVEmulCtrl::GetCurrentWindow() const { return static_cast<short>(CurrentWindowIndex() + 1); }

bool CZVEmulCtrl::IsCurrentInFrame(short window) const {
  const int index = window - 1;
  if (m_layout == 1) return index == CurrentWindowIndex();
  return index == m_frameWindow[0] || index == m_frameWindow[1];
}

CResRichEdit* CZVEmulCtrl::CurrentResWindow() const { return ResWindow(GetCurrentWindow()); }

CResRichEdit* CZVEmulCtrl::AddressedWindow(short window) const {
  if (window == 0) return CurrentResWindow();
  return ResWindow(window);
}

void CZVEmulCtrl::SetCurrentWindowProperty(short window) { SetCurrentWindow(window); }

void CZVEmulCtrl::SetCurrentWindow(short n) {
  CatchAll([&] {
    if (ResWindow(n) == nullptr) return;
    CurrentResWindow()->RememberSelection();
    if (m_recordOrder) m_windowOrder->Touch(n);
    m_recordOrder = true;
    const int frame = FrameOf(n);
    const std::size_t slot = SlotOf(frame);
    if (m_windowOrder->IsHidden(n)) {
      // The frame's window changes, but nothing is shown.
      m_activeFrame = static_cast<WORD>(frame);
      m_frameWindow[slot] = static_cast<WORD>(n - 1);
      return;
    }
    if (CWindowTabDialog* strip = m_frameTabs[slot].get()) {
      if (m_layout == 2) {
        if (!m_bulkUpdate) strip->SetCurSel((n - 1) / 2);
        m_activeFrame = static_cast<WORD>(frame);
      } else if (!m_bulkUpdate && m_allTabs) {
        m_allTabs->SetCurSel(n - 1);
      }
      ShowInFrame(n, frame);
    }
    FrameResWindow(slot).RefreshCaret(0, TRUE);
  });
}

void CZVEmulCtrl::ShowInFrame(short n, int frame) {
  const int statusH = m_statusBar ? kStatusBarHeight : 0;
  const int tabH = g_windowCountLess1 > 1 ? kTabStripHeight : 0;
  if (m_layout == 1) {
    HideAndDisable(FrameResWindow(0));
    HideAndDisable(FrameResWindow(1));
  }
  const std::size_t slot = SlotOf(frame);
  HideAndDisable(FrameResWindow(slot));
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
  // A window that cannot be placed stays unshown; the frame keeps it.
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
    CurrentResWindow()->RememberSelection();
    CResRichEdit& shown = *m_resWindows[m_frameShown[SlotOf(FrameOf(n))]];
    HideAndDisable(shown);
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

void CZVEmulCtrl::HideWindow(short window, BOOL clearData, BOOL minimize) {
  CatchAll([&] {
    // Hidden flags exist for windows 1..10 only.
    if (window < 0 || window > kWindowCount || handle() == 0) return;
    const short w = window == 0 ? GetCurrentWindow() : window;
    if (!minimize) {
      if (window == 0) return;
      m_windowOrder->Touch(w);
      m_windowOrder->Unhide(w);
      SetCurrentWindow(w);
      return;
    }
    int out = 0;
    int front = 0;
    if (!clearData) {
      front = m_windowOrder->Hide(w, out);
      if (window == 0) m_recordOrder = false;
    } else {
      // The screen is cleared instead; the window is not flagged hidden.
      ClearScreen(w);
      front = m_windowOrder->PickReplacement(w, out);
      m_recordOrder = false;
    }
    if (out != 0) SwitchToWindow(static_cast<short>(out));
    if (front != out) SwitchToWindow(static_cast<short>(front));
  });
}

void CZVEmulCtrl::RenameWindow(short window, const std::optional<std::string>& name) {
  CatchAll([&] {
    // Tabs exist for windows 1..10 only.
    if (window < 1 || window > kWindowCount || !name || name->empty()) return;
    if (m_windowOrder->IsHidden(window)) return;
    if (CWindowTabDialog* strip = m_frameTabs[SlotOf(FrameOf(window))].get()) {
      strip->SetTabText((window - 1) / 2, *name);
    }
    if (m_allTabs) m_allTabs->SetTabText(window - 1, *name);
  });
}

bool CZVEmulCtrl::IsWindowHidden(short window) const { return m_windowOrder->IsHidden(window); }

void CZVEmulCtrl::SetActiveFrameFromWindow(short window) {
  if (window != 0) m_activeFrame = static_cast<WORD>(FrameOf(window));
  SetModifiedFlag();
}

LONG CZVEmulCtrl::GetCurrentHWND() {
  return CatchAll<LONG>(0, [&] { return static_cast<LONG>(CurrentResWindow()->GetWindowHandle()); });
}

// ---- Insert state, clock and status texts ---------------------------------------------------------------

void CZVEmulCtrl::ToggleInsertState() {
  m_insertOn = m_insertOn ? FALSE : TRUE;
  if (!g_twa) SetStatusText(kInsertPart, InsertStateText());
}

void CZVEmulCtrl::UpdateClock() {
  CatchAll([&] {
    const platform::LocalTime now = platform::GetLocalTime();
    SetStatusText(kDatePart, DateText(now));
    SetStatusText(kTimePart, TimeText(now));
  });
}

void CZVEmulCtrl::SetCommText(const std::string& text) {
  CatchAll([&] {
    m_commText = text;
    SetStatusText(kCommPart, m_commText);
  });
}

void CZVEmulCtrl::SetScriptText(const std::string& text) {
  CatchAll([&] {
    m_scriptText = text;
    SetStatusText(kScriptPart, m_scriptText);
  });
}

void CZVEmulCtrl::SetScriptStatusText(const std::string& text) {
  CatchAll([&] {
    m_scriptStatusText = text;
    SetStatusText(kScriptStatusPart, m_scriptStatusText);
  });
}

}  // namespace zv
