// Host traffic: entries offered to the container, its responses, and the
// methods that write on a screen or read it.
#include <cstdio>

#include "control/zvemul_ctl.h"
#include "control/zvemul_dispatch.h"
#include "platform/catch_all.h"
#include "platform/code_page.h"
#include "platform/desktop.h"

namespace zv {
namespace {

using platform::CatchAll;

}  // namespace

// ---- Queues ---------------------------------------------------------------------------------------------

int CZVEmulCtrl::RequestsInFlight() { return m_requestQueues.RequestsInFlight(GetCurrentWindow()); }

void CZVEmulCtrl::EmptyCurrentQueue() { m_requestQueues.EmptyQueue(GetCurrentWindow()); }

int CZVEmulCtrl::CurrentQueueSession() const {
  return m_requestQueues.SessionMode() ? m_requestQueues.QueueSessionOfWindow(GetCurrentWindow()) : -1;
}

void CZVEmulCtrl::OfferEntry(const std::string& text, short window, bool typedHere) {
  ++m_awaitingResponses;
  QueueRequest(text);
  if (typedHere) {
    m_responseWindow = static_cast<WORD>(window - 1);
  } else if (m_responsePending) {
    m_responseWindow = static_cast<WORD>(CurrentWindowIndex());
  }
}

void CZVEmulCtrl::QueueRequest(const std::string& text) {
  CatchAll([&] {
    switch (m_requestQueues.OfferRequest(GetCurrentWindow(), text)) {
      case CRequestQueues::Offer::kSendNow:
        m_dispatch.Fire(kEventDataSourceInput, {platform::Variant::String(platform::Cp1252ToUtf16(text))});
        break;
      case CRequestQueues::Offer::kQueued:
        break;
      case CRequestQueues::Offer::kRefused: {
        char message[128];
        std::snprintf(message, sizeof message,
                      "No more than %d requests can be queued. \nPlease press ESC twice to clear the queue",
                      kQueueLimit);
        ShowMessage(message);
        break;
      }
    }
  });
}

void CZVEmulCtrl::CreateSessionQueue(short sessions, const std::string& mappings) {
  CatchAll([&] { m_requestQueues.CreateSessionQueue(sessions, mappings); });
}

// ---- Methods ----------------------------------------------------------------------------------------------

BOOL CZVEmulCtrl::HostEntry(short window, const std::string& data) {
  return CatchAll(FALSE, [&] {
    CResRichEdit* target = AddressedWindow(window);
    if (!m_ready || target == nullptr) return FALSE;
    target->DisplayHostEntry(data);
    ++m_outstandingEntries;
    if (m_entryHistory) m_entryHistory->Add(data);
    return TRUE;
  });
}

BOOL CZVEmulCtrl::ScreenInput(short window, const std::string& data) {
  return CatchAll(FALSE, [&] {
    CResRichEdit* target = AddressedWindow(window);
    if (!m_ready || target == nullptr) return FALSE;
    target->InsertScreenInput(data);
    return TRUE;
  });
}

short CZVEmulCtrl::DataSourceResponse(const std::string& data) {
  CatchAll([&] {
    if (m_responsePending) {
      if (CResRichEdit* current = CurrentResWindow()) {
        current->SetCaretToEnd();
        current->ReplaceSel(">");
        current->SendVirtualKey(VK_RIGHT);
      }
    }
    if (CResRichEdit* target = ResWindow(static_cast<short>(m_responseWindow + 1))) {
      target->DisplayResponse(data, static_cast<int>(data.size()));
    }
    if (m_responsePending) {
      if (CResRichEdit* current = CurrentResWindow()) {
        current->SetCaretToEnd();
        current->SendVirtualKey(VK_RIGHT);
      }
      if (m_restoreAfterResponse) {
        ShowFrameWindows(true);
        m_restoreAfterResponse = false;
      }
      m_responsePending = false;
    }
    if (m_outstandingEntries > 0) --m_outstandingEntries;

    if (const auto next = m_requestQueues.TakeNextAfterResponse(GetCurrentWindow())) {
      m_dispatch.Fire(kEventDataSourceInput, {platform::Variant::String(platform::Cp1252ToUtf16(*next))});
    }
  });
  return 0;
}

void CZVEmulCtrl::ClearScreen(short window) {
  CatchAll([&] {
    if (!m_ready) return;
    m_pageLines = CurrentResWindow()->GetPageLineCount();
    // In compact mode a clear leaves nothing but a SOM.
    const auto replace_by_som = [](CResRichEdit& each) {
      each.SetSel(0, -1);
      each.ReplaceSel(">");
    };
    if (window == 0) {
      if (g_twa) {
        for (auto& each : m_resWindows) replace_by_som(*each);
        return;
      }
      // Focusing each window moves the active frame: the frames are taken first.
      CResRichEdit* inactive = ResWindow(OtherFrameWindow());
      CResRichEdit* active = CurrentResWindow();
      m_bulkUpdate = true;
      for (auto& each : m_resWindows) {
        platform::SetFocus(each->handle());
        each->Show(true);
        each->ClearScreen(TRUE, TRUE);
      }
      platform::SetFocus(inactive->handle());
      platform::SetFocus(active->handle());
      m_bulkUpdate = false;
      return;
    }
    CResRichEdit* target = ResWindow(window);
    if (target == nullptr) return;
    if (g_twa) {
      replace_by_som(*target);
      return;
    }
    SetCurrentWindow(window);
    target->ClearScreen(TRUE, TRUE);
  });
}

std::string CZVEmulCtrl::ReadScreen() {
  return CatchAll(std::string(), [&] {
    CResRichEdit* current = CurrentResWindow();
    return current != nullptr ? current->FormatScreenText() : std::string();
  });
}

short CZVEmulCtrl::GetResponseMode(short window) const {
  return CatchAll<short>(-1, [&]() -> short {
    CResRichEdit* target = AddressedWindow(window);
    if (!m_ready || target == nullptr) return -1;
    return target->GetResponseMode();
  });
}

void CZVEmulCtrl::SetResponseMode(short window, short mode) {
  CatchAll([&] {
    CResRichEdit* target = AddressedWindow(window);
    if (target == nullptr) return;
    target->SetResponseMode(mode);
    SetModifiedFlag();
  });
}

// ---- Entries handed between windows ----------------------------------------------------------------

void CZVEmulCtrl::CopyEntryToOtherFrame() {
  CatchAll([&] {
    if (!m_ready) return;
    m_responsePending = true;
    CResRichEdit* current = CurrentResWindow();
    std::string text;
    current->GetTextToCaret(text);
    current->SubmitEntry(text, ResWindow(OtherFrameWindow()));
  });
}

void CZVEmulCtrl::SendEntryToWindow(short n) {
  CatchAll([&] {
    CResRichEdit* target = ResWindow(n);
    CResRichEdit* current = CurrentResWindow();
    if (target == nullptr) return;
    platform::HideCaret(current->handle());
    std::string text;
    current->GetTextToCaret(text);
    if (target != current) {
      current->ExtractEntry(text);
      target->ReplaceSel("\r\n");
      target->DisplayHostEntry(text.empty() ? std::string(">") : ">" + text + "<");
    } else {
      current->SubmitEntry(text, current);
    }
    // Alt makes no window current: its step would name a window by the
    // active frame's number (1 or 2), which is no window the agent chose.
    if (platform::GetKeyState(VK_CONTROL) < 0) SetCurrentWindow(n);
  });
}

void CZVEmulCtrl::MarkEntryForWindow(short n) {
  CatchAll([&] {
    if (!m_ready) return;
    if (n < 0) n = OtherFrameWindow();
    CResRichEdit* current = CurrentResWindow();
    std::string text;
    current->GetTextToCaret(text);
    current->SubmitEntry(text, ResWindow(n));
    m_responsePending = true;
    if (n == m_frameWindow[0] + 1 || n == m_frameWindow[1] + 1) m_restoreAfterResponse = true;
  });
}

// ---- Simulated keys ---------------------------------------------------------------------------------------

BOOL CZVEmulCtrl::SendKey(short window, short key, short flags, short repeat) {
  return CatchAll(FALSE, [&]() -> BOOL {
    if (!m_ready) return FALSE;
    constexpr short kCtrl = 1;
    constexpr short kShift = 2;
    constexpr short kAlt = 4;
    const auto vk = static_cast<UINT>(static_cast<unsigned short>(key));
    if (vk >= '0' && vk <= '9' && flags == kCtrl) {
      SendEntryToWindow(static_cast<short>(vk == '0' ? 10 : vk - '0'));
      return TRUE;
    }
    if (vk == VK_DELETE && flags == 0) {
      CResRichEdit& current = *CurrentResWindow();
      const CHARRANGE sel = current.GetSel();
      const platform::TextEngine& text = current.engine();
      // The last line's break is the engine's final mark, which selecting
      // to the end takes in as well.
      const bool whole_line = sel.cpMin == text.LineStart(text.LineFromChar(sel.cpMin)) &&
                              sel.cpMax == sel.cpMin + text.LineLength(sel.cpMin) + 1;
      if (whole_line) {
        current.SetSel(sel.cpMin, sel.cpMax - 1);
        current.SendMessage(WM_CLEAR, 0, 0);
        current.RememberSelection();
        return FALSE;
      }
      if (sel.cpMin != sel.cpMax) current.SetSel(sel.cpMin, sel.cpMax - 1);
    } else if (vk == VK_PRIOR && flags == kCtrl) {
      if (window != 0) SwitchToWindow(window);
    } else if (vk == VK_F9) {
      if (window == 0) {
        ClearScreen(GetCurrentWindow());
      } else {
        SetCurrentWindow(window);
        ClearScreen(window);
      }
      return TRUE;
    } else if (vk == 'N' && flags == kCtrl) {
      SendEntryToWindow(OtherFrameWindow());
      return TRUE;
    } else if (vk == VK_F8 && flags == 0) {
      platform::SetFocus(handle());
      if (m_layout == 2) {
        m_activeFrame = m_activeFrame == 1 ? 2 : 1;
        CResRichEdit& other = *CurrentResWindow();
        platform::SetFocus(other.handle());
        other.RefreshCaret(0, TRUE);
      }
      return TRUE;
    } else if (vk == VK_F7 && (flags == 0 || flags == kShift)) {
      if (flags == 0) {
        NextWindow();
      } else {
        PreviousWindow();
      }
      return TRUE;
    } else if (vk == VK_INSERT && flags == kCtrl) {
      CopySelectionToClipboard(FALSE);
      return TRUE;
    } else if (vk == VK_INSERT && flags == kShift) {
      CurrentResWindow()->PasteFromClipboard();
      return TRUE;
    } else if (vk == 'X' && flags == kCtrl) {
      CopySelectionToClipboard(TRUE);
      return TRUE;
    }

    // Any other key goes to the window as keystrokes with the modifiers asked
    // for. Insert is delivered once per repeat and no extra press goes first:
    // two presses would toggle the insert state back.
    platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
    const auto saved = keys.bytes();
    CResRichEdit* target = ResWindow(window == 0 ? GetCurrentWindow() : window);
    if (target == nullptr) return FALSE;
    platform::SetFocus(target->handle());
    auto pressed = saved;
    pressed[VK_SHIFT] = 0;
    pressed[VK_CONTROL] = 0;
    if (flags & kCtrl) pressed[VK_CONTROL] = 0x81;
    if (flags & kShift) pressed[VK_SHIFT] = 0x81;
    keys.Assign(pressed);
    if (flags == (kCtrl | kShift) && vk <= 0x1A) {
      target->OnSysKeyDown(vk, static_cast<UINT>(repeat), kCtrl | kShift);
    } else if (flags == kShift && vk >= 0x41 && vk <= 0x5B) {
      target->OnSysKeyDown(vk, static_cast<UINT>(repeat), kShift);
    } else {
      for (short i = 0; i < repeat; ++i) {
        if (flags & kAlt) {
          target->OnSysKeyDown(vk, static_cast<UINT>(repeat), HIWORD(static_cast<DWORD>(KF_ALTDOWN_BIT)));
        } else {
          target->SendVirtualKey(vk);
        }
      }
    }
    keys.Assign(saved);
    return TRUE;
  });
}

}  // namespace zv
