// Keys in a res window: the host terminal's keys on key-down (Enter, ESC,
// the function keys that send fixed entries, Tab between "(" fields, the
// cursor keys that keep to the 64-column row, the destructive Backspace),
// the system keys (Alt, and the keys the control's SendKey passes) and
// key-up. The character a key makes arrives afterwards as WM_CHAR
// (res_rich_chars.cpp); docs/keys.md tells how the two share each key.
#include <algorithm>
#include <cstdio>

#include "highlight/brimlux.h"
#include "platform/catch_all.h"
#include "platform/desktop.h"
#include "reswindow/input_recall.h"
#include "reswindow/res_rich.h"

namespace zv {
namespace {

using platform::CatchAll;

// A full row with its wrap marker and one blank more.
constexpr LONG kOverfullRowLength = CResRichEdit::kRowWidth + 2;
constexpr int kCtrl = 1;
constexpr int kShift = 2;
constexpr int kAlt = 4;
constexpr char kFieldMark = '(';
// Alt held: the context bit of the key data's high word.
constexpr UINT kAltContextFlag = HIWORD(static_cast<DWORD_PTR>(KF_ALTDOWN_BIT));
// The flags the control's SendKey passes for Ctrl+Shift with a control code.
constexpr UINT kSendKeyCtrlShift = 3;
constexpr UINT kCtrlShiftL = 0x0C;
constexpr UINT kCtrlR = 0x12;
constexpr char kMonths[12][4] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

LPARAM KeyData(UINT repeat, UINT flags) { return MAKELPARAM(static_cast<WORD>(repeat), static_cast<WORD>(flags)); }

}  // namespace

// ---- Key-down ---------------------------------------------------------------------------------------

void CResRichEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] {
    if (m_pCtrl == nullptr) {
      Default(WM_KEYDOWN, nChar, KeyData(nRepCnt, nFlags));
      return;
    }
    ApplyInputFormat();
    // The key after a dead key decides what becomes of its character.
    if (m_bDeadKeySeen) {
      m_bDeadKeySeen = 0;
      m_nKeyAfterDeadKey = nChar;
      m_nCharsAfterDeadKey = 0;
    } else {
      m_nKeyAfterDeadKey = 0;
    }
    m_nConsumedChar = 0;
    const int modifiers = ModifierMask();
    // The host keyboard has no key "`~": its character is reflected, the key dropped.
    if (nChar == VK_OEM_3) return;
    if (nChar == VK_CONTROL) m_pCtrl->SetCtrlKeySeen(true);
    // Macro keys of the office folder: never default processing.
    if (nChar == 'L' && modifiers == (kCtrl | kShift)) {
      SendCharInsteadOfKey(kCtrlShiftL);
      return;
    }
    if (nChar == 'R' && (modifiers & kCtrl) != 0) {
      SendCharInsteadOfKey(kCtrlR);
      return;
    }
    if (nChar != VK_ESCAPE) EscOnceFlag() = 0;
    if (!HandleKeyDown(nChar, nRepCnt, nFlags, modifiers)) Default(WM_KEYDOWN, nChar, KeyData(nRepCnt, nFlags));
  });
}

// A row of the table applies to exactly the modifiers it names.
bool CResRichEdit::HandleKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags, int modifiers) {
  const bool none = modifiers == 0;
  const bool ctrl = modifiers == kCtrl;
  switch (nChar) {
    case VK_RETURN:
      if (modifiers == (kCtrl | kShift)) return false;
      OnEnter(modifiers);
      return true;
    case VK_ESCAPE:
      OnEscape(modifiers);
      return true;
    case VK_BACK:
      OnBackspace(modifiers);
      return true;
    case VK_TAB:
      ReflectKey(nChar, modifiers);
      if ((modifiers & kShift) != 0) {
        PreviousField();
      } else {
        NextField();
      }
      // A tab is never kept in an input row: the key's character is not typed.
      m_nConsumedChar = '\t';
      return true;
    case VK_CAPITAL:
      RefreshCaret(0, TRUE);
      return true;
    case VK_HOME:
      if (none) {
        OnHome();
      } else if (ctrl) {
        const LONG first = engine().LineStart(engine().FirstVisibleLine());
        SetSel(first, first + 1);
        ReplaceSel(std::string(1, kSom));
        RememberSelection();
      } else {
        return false;
      }
      return true;
    case VK_UP:
    case VK_DOWN:
      m_bRewrapStarted = false;
      DefaultWithRowLimit(nChar, nRepCnt, nFlags);
      return true;
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
      DefaultWithRowLimit(nChar, nRepCnt, nFlags);
      return true;
    case VK_INSERT:
      if (ctrl) {
        ReflectKey(nChar, modifiers);
        Default(WM_KEYDOWN, nChar, KeyData(nRepCnt, nFlags));
        PreTranslateToControl(nChar, nRepCnt, nFlags);
        RefreshCaret(0, TRUE);
        return true;
      }
      if (!none) return false;
      OnInsertKey(nRepCnt, nFlags, modifiers);
      return true;
    case VK_DELETE: {
      const CHARRANGE sel = GetSel();
      if (sel.cpMin == 0 && sel.cpMax == engine().TextLength() + 1) {
        ReplaceSel(std::string(1, kSom));
        m_pCtrl->FireInputReflectText(std::string(1, kSom), static_cast<short>(modifiers));
        return true;
      }
      ReflectKey(nChar, modifiers);
      return false;
    }
    case 'A':
    case 'C':
    case 'X':
      if (!ctrl) return false;
      ReflectKey(nChar, modifiers);
      return false;
    case 'N':
      if (!ctrl) return false;
      m_pCtrl->CopyEntryToOtherFrame();
      return false;
    case 'V':
    case 'P':
    case 'W':
      if (!ctrl) return false;
      if (nChar == 'V') ApplyInputFormat();
      // Typed with the Control key of this window, the key is the container's.
      if (!m_pCtrl->CtrlKeySeen()) return false;
      m_pCtrl->FireInputReflectChar(static_cast<short>(nChar), kCtrl);
      m_pCtrl->SetCtrlKeySeen(false);
      return true;
    case VK_F2:
    case VK_F3:
      if (!none) return false;
      SendFixedEntry(nChar == VK_F2 ? ">XI" : ">0A", false);
      return false;
    case VK_F10:
      SendFixedEntry(">E", false);
      RefreshCaret(0, TRUE);
      return true;
    // Ctrl chooses the entry whatever else is held.
    case VK_F11:
      SendFixedEntry((modifiers & kCtrl) != 0 ? "MT" : "MU", true);
      return false;
    case VK_F12:
      SendFixedEntry((modifiers & kCtrl) != 0 ? "MB" : "MD", true);
      return false;
    case VK_F4:
    case VK_F8:
    case VK_F9:
      if (!none) return false;
      PreTranslateToControl(nChar, nRepCnt, nFlags);
      RefreshCaret(0, TRUE);
      return true;
    case VK_F5:
      ReflectKey(nChar, modifiers);
      RecallEntry();
      return false;
    case VK_F6:
      if (none) {
        ReflectKey(nChar, modifiers);
        WriteDate();
        return false;
      }
      if (!ctrl) return false;
      ReflectKey(nChar, modifiers);
      RemoveRepeats();
      return true;
    default:
      return false;
  }
}

void CResRichEdit::ReflectKey(UINT key, int modifiers) {
  m_pCtrl->FireInputReflectChar(static_cast<short>(key), static_cast<short>(modifiers));
}

void CResRichEdit::SendCharInsteadOfKey(UINT code) {
  SendMessage(WM_CHAR, code, 1);
  m_nConsumedChar = code;
}

BYTE& CResRichEdit::EscOnceFlag() {
  const int session = m_pCtrl->CurrentQueueSession();
  if (session < 0) return m_bEscOnce;
  return m_abEscOnce[session < static_cast<int>(std::size(m_abEscOnce)) ? session : 0];
}

void CResRichEdit::OnEnter(int modifiers) {
  ResetCharacterInput();
  platform::HideCaret(handle());
  m_bReady = 1;
  ReflectKey(VK_RETURN, modifiers);
  m_nRecallPos = 0;
  m_bRewrapStarted = false;

  if (modifiers == kShift) {
    // Erases the rest of the row and goes to the next one; nothing is sent.
    const CHARRANGE sel = GetSel();
    const LONG line = engine().LineFromChar(sel.cpMin);
    const LONG start = engine().LineStart(line);
    SetSel(sel.cpMin, start + engine().LineLength(start));
    mutable_engine().DeleteSelection();
    if (line == engine().LineCount() - 1) ReplaceSel("\r\n");
    const LONG next = engine().LineStart(line + 1);
    SetSel(next, next);
    RefreshCaret(0, TRUE);
    return;
  }
  if (modifiers == kCtrl) {
    // The whole row goes, whatever stands after the caret.
    platform::CurrentDesktop().keyboard_state().Set(VK_CONTROL, 0);
    SendVirtualKey(VK_END);
  }
  if (CBrimlux* highlighter = m_pCtrl->Highlighter()) HighlightEntry(*highlighter);

  std::string text;
  GetTextToCaret(text);
  SubmitEntry(text, this);

  ApplyInputFormat();
  RefreshCaret(0, TRUE);
}

void CResRichEdit::HighlightEntry(CBrimlux& highlighter) {
  const CHARRANGE sel = GetSel();
  LONG som = sel.cpMax - 1;
  while (som >= 0 && engine().CharAt(som) != kSom) --som;
  if (som < 0) return;
  SetSel(som, sel.cpMax);
  std::string entry = GetSelText();
  highlighter.UpdateRules();
  highlighter.BrimluxText(FALSE, entry);
  ReplaceSel(entry);
  SetSel(sel);
  ApplyInputFormat();
}

void CResRichEdit::OnEscape(int modifiers) {
  ReflectKey(VK_ESCAPE, modifiers);
  m_pCtrl->ResetAwaitingResponses();

  platform::HideCaret(handle());
  SetCaretToEnd();
  ReplaceSel("\r\n");
  ApplyInputFormat();
  ReplaceSel(std::string(1, kSom));
  RememberSelection();
  ApplyInputFormat();
  platform::ShowCaret(handle());

  // The second ESC in a row empties the window's request queue.
  BYTE& once = EscOnceFlag();
  if (once != 0) {
    m_pCtrl->EmptyCurrentQueue();
    once = 0;
  } else {
    once = 1;
  }
  RefreshCaret(0, TRUE);
  m_nConsumedChar = 0x1B;
}

void CResRichEdit::OnBackspace(int modifiers) {
  ReflectKey(VK_BACK, modifiers);
  const CHARRANGE sel = GetSel();
  if (sel.cpMin < 1) {
    RefreshCaret(0, TRUE);
    return;
  }
  if (sel.cpMin == LineStartOf(sel.cpMin)) {
    // At a row start: the last character of the row above goes, the one
    // before its wrap marker.
    SendVirtualKey(VK_UP);
    SendVirtualKey(VK_END);
    const LONG pos = std::max<LONG>(0, sel.cpMin - 2);
    SetSel(pos, pos);
    Default(WM_KEYDOWN, VK_BACK, KeyData(1, 0));
    return;
  }
  // A blank takes the caret's place and the character left of the caret
  // goes, so the rest of the row keeps its columns; a selection is replaced
  // by the blank alone.
  ReplaceSel(" ");
  SetSel(sel.cpMin, sel.cpMin);
  if (sel.cpMin == sel.cpMax) Default(WM_KEYDOWN, VK_BACK, KeyData(1, 0));
}

void CResRichEdit::OnInsertKey(UINT nRepCnt, UINT nFlags, int modifiers) {
  if (m_nFirstInsert == -1) {
    // The first press (the control sends it at creation) puts the engine
    // in overtype for good; the insert state is the control's from then on.
    m_nFirstInsert = 0;
    Default(WM_KEYDOWN, VK_INSERT, KeyData(nRepCnt, nFlags));
    return;
  }
  ReflectKey(VK_INSERT, modifiers);
  if (m_pCtrl->InsertKeyEnabled()) {
    m_pCtrl->ToggleInsertState();
  } else {
    InsertBlank();
  }
}

void CResRichEdit::InsertBlank() {
  const CHARRANGE sel = GetSel();
  SetSel(sel.cpMin, sel.cpMin);
  ReplaceSel(" ");
  bool pushed = false;
  for (LONG line = engine().LineFromChar(sel.cpMin);; ++line) {
    const LONG start = engine().LineStart(line);
    if (start < 0 || engine().LineLength(start) < kOverfullRowLength) break;
    // The row's last character moves, with its format, to the next row.
    const platform::FormattedText overflow = engine().FormattedRange(start + kRowWidth, start + kRowWidth + 1);
    SetSel(start + kRowWidth, start + kRowWidth + 1);
    mutable_engine().DeleteSelection();
    if (line == engine().LineCount() - 1) {
      SetCaretToEnd();
      ReplaceSel("\r\n");
      SendVirtualKey(VK_DOWN);
    }
    const LONG next = engine().LineStart(line + 1);
    SetSel(next, next);
    mutable_engine().ReplaceSelection(overflow);
    pushed = true;
  }
  if (pushed) {
    SetSel(sel.cpMin, sel.cpMin);
  } else {
    SetSel(sel);
  }
}

void CResRichEdit::OnHome() {
  const LONG caret = GetSel().cpMin;
  const LONG row_start = LineStartOf(caret);
  if (caret == row_start) {
    Default(WM_KEYDOWN, VK_HOME, KeyData(1, 0));
    return;
  }
  // After the nearest SOM on the row; one right before the caret is passed
  // over, so that pressing Home again reaches the SOM before it.
  LONG pos = caret;
  if (engine().CharAt(pos - 1) == kSom) --pos;
  LONG target = row_start;
  for (LONG at = pos - 1; at >= row_start; --at) {
    if (engine().CharAt(at) == kSom) {
      target = at + 1;
      break;
    }
  }
  SetSel(target, target);
  RefreshCaret(0, TRUE);
}

void CResRichEdit::NextField() {
  const platform::TextEngine& text = engine();
  const LONG caret = GetSel().cpMin;
  const LONG first_visible = text.LineStart(text.FirstVisibleLine());
  LONG found = -1;
  for (LONG pos = caret, end = text.TextLength(); pos < end && found < 0; ++pos) {
    if (text.CharAt(pos) == kFieldMark) found = pos;
  }
  // None after the caret: the first field of the page.
  for (LONG pos = first_visible; pos < caret && found < 0; ++pos) {
    if (text.CharAt(pos) == kFieldMark) found = pos;
  }
  if (found >= 0) SetSel(found + 1, found + 1);
  RefreshCaret(0, TRUE);
}

void CResRichEdit::PreviousField() {
  const platform::TextEngine& text = engine();
  const LONG caret = GetSel().cpMin;
  const LONG first_visible = text.LineStart(text.FirstVisibleLine());
  LONG found = -1;
  // The field the caret is in is passed over.
  for (LONG pos = caret - 2; pos >= first_visible && found < 0; --pos) {
    if (text.CharAt(pos) == kFieldMark) found = pos;
  }
  // None before it: the last field of the text.
  for (LONG pos = text.TextLength() - 1; pos >= caret && found < 0; --pos) {
    if (text.CharAt(pos) == kFieldMark) found = pos;
  }
  if (found >= 0) SetSel(found + 1, found + 1);
  RefreshCaret(0, TRUE);
}

void CResRichEdit::DefaultWithRowLimit(UINT nChar, UINT nRepCnt, UINT nFlags) {
  Default(WM_KEYDOWN, nChar, KeyData(nRepCnt, nFlags));
  const CHARRANGE sel = GetSel();
  const LONG row_start = LineStartOf(sel.cpMin);
  const LONG column = sel.cpMin - row_start;
  if (nChar == VK_END && column >= kRowWidth) {
    // The engine's End stops after the marker's tab: End stops before the marker.
    const char before = engine().CharAt(sel.cpMin - 1);
    if (before == '\t' || before == kFormFeed) SetSel(sel.cpMin - 1, sel.cpMin - 1);
  } else if (nChar == VK_LEFT && column >= kRowWidth) {
    SetSel(row_start + kRowWidth, row_start + kRowWidth);
  } else if (nChar == VK_RIGHT && column > kRowWidth) {
    // Inside the wrap marker: on to the next row.
    SetSel(sel.cpMin + 1, sel.cpMax + 1);
  }
  RememberSelection();
  RefreshCaret(0, TRUE);
}

void CResRichEdit::SendFixedEntry(std::string_view text, bool ctrlUp) {
  ApplyInputFormat();
  ReplaceSel(text);
  m_pCtrl->FireInputReflectText(std::string(text), 0);
  // A plain Enter follows, whatever modifier the function key had.
  if (ctrlUp) platform::CurrentDesktop().keyboard_state().Set(VK_CONTROL, 0);
  OnKeyDown(VK_RETURN, 1, 0);
  platform::UpdateWindow(handle());
}

void CResRichEdit::PreTranslateToControl(UINT nChar, UINT nRepCnt, UINT nFlags) {
  MSG msg;
  msg.hwnd = m_pCtrl->ControlWindow()->handle();
  msg.message = WM_KEYDOWN;
  msg.wParam = nChar;
  msg.lParam = KeyData(nRepCnt, nFlags);
  msg.time = platform::GetTickCount();
  m_pCtrl->PreTranslateMessage(msg);
}

void CResRichEdit::RecallEntry() {
  m_bRewrapStarted = false;
  m_bGEntry = 0;
  const CInputRecall* history = m_pCtrl->EntryHistory();
  if (history == nullptr) return;
  const std::optional<std::string> item = history->GetAt(m_nRecallPos);
  if (!item || item->empty()) return;
  ApplyInputFormat();
  const LONG row_length = engine().LineLength(GetSel().cpMin);
  if (static_cast<std::size_t>(row_length) + item->size() >= static_cast<std::size_t>(kRowWidth)) ReplaceSel("\r\n");
  ReplaceSel(kSom + *item);
  RewrapInput(std::string());
  if (++m_nRecallPos >= history->GetCount()) m_nRecallPos = 0;
}

void CResRichEdit::WriteDate() {
  const platform::LocalTime now = platform::GetLocalTime();
  const int month = now.month >= 1 && now.month <= 12 ? now.month - 1 : 0;
  char day[4];
  std::snprintf(day, sizeof day, "%02d", now.day % 100);
  ReplaceSel(std::string(day) + kMonths[month]);
}

void CResRichEdit::RemoveRepeats() {
  const platform::TextEngine& text = engine();
  const auto line_text = [&](LONG line) {
    const LONG start = text.LineStart(line);
    return text.TextRange(start, start + text.LineLength(start));
  };
  const CHARRANGE sel = GetSel();
  bool deleted_last_visible = false;
  for (LONG line = text.FirstVisibleLine(); line <= GetLastVisibleLine(); ++line) {
    const std::string original = line_text(line);
    LONG last = GetLastVisibleLine();
    for (LONG later = line + 1; later <= last;) {
      if (line_text(later) != original) {
        ++later;
        continue;
      }
      if (later == last) deleted_last_visible = true;
      // The line goes with the paragraph end before it when it is the last one.
      const LONG start = text.LineStart(later);
      if (later < text.LineCount() - 1) {
        SetSel(start, text.LineStart(later + 1));
      } else {
        SetSel(start - 1, start + text.LineLength(start));
      }
      mutable_engine().DeleteSelection();
      last = std::min(last, text.LineCount() - 1);
    }
  }
  SetSel(sel);
  ApplyInputFormat();
  const LONG last_start = text.LineStart(GetLastVisibleLine());
  if (last_start == 0) {
    SetCaretToEnd();
    if (text.TextLength() != 1) ReplaceSel(std::string(1, kSom));
  } else if (deleted_last_visible) {
    const CHARRANGE now = GetSel();
    if (now.cpMin == now.cpMax && now.cpMin >= last_start) ReplaceSel(std::string(1, kSom));
  }
  RefreshCaret(0, TRUE);
}

// ---- System keys --------------------------------------------------------------------------------------

void CResRichEdit::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] {
    if (m_pCtrl == nullptr) {
      Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags));
      return;
    }
    const int modifiers = ModifierMask() | kAlt;
    switch (nChar) {
      case VK_RETURN:
        // A line break inside the entry, sent as "|".
        ReflectKey(nChar, modifiers);
        ReplaceSel("\r\n");
        RefreshCaret(0, TRUE);
        return;
      case VK_END:
        SetCaretToEnd();
        ReflectKey(nChar, modifiers);
        Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags));
        return;
      case VK_HOME:
        SendMessage(EM_LINESCROLL, 0, 1);
        SetSel(0, 1);
        ReplaceSel(std::string(1, kSom));
        ReflectKey(nChar, modifiers);
        Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags));
        return;
      case VK_F5:
        SendFixedEntry("U", false);
        Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags));
        return;
      case VK_F10:
        SendFixedEntry((nFlags & kAltContextFlag) != 0 ? ">I" : ">E", false);
        RefreshCaret(0, TRUE);
        return;
      case VK_F11:
        SendFixedEntry(">IR", false);
        Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags));
        return;
      case 'N':
        ReflectKey(nChar, modifiers);
        m_pCtrl->MarkEntryForWindow(-1);
        break;
      default:
        if (nChar >= '0' && nChar <= '9') {
          ReflectKey(nChar, modifiers);
          m_pCtrl->SendEntryToWindow(static_cast<short>(nChar == '0' ? 10 : nChar - '0'));
          InsertScreenInput("\n>");
          Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags));
          return;
        }
        break;
    }
    if (nChar >= 1 && nChar <= 26 && nFlags == kSendKeyCtrlShift) {
      const char letter = static_cast<char>(nChar + 0x40);
      RunMacroKey(std::string("Ctrl+Shift+") + letter, m_pCtrl->GetOfficeDir(), nChar, modifiers);
      return;
    }
    if (nChar >= 'A' && nChar <= 'Z' && platform::GetKeyState(VK_SHIFT) < 0) {
      RunMacroKey(std::string("Shift+") + static_cast<char>(nChar), m_pCtrl->GetPersonalDir(), nChar, modifiers);
      return;
    }
    Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags));
    RefreshCaret(0, TRUE);
  });
}

// ---- Key-up -------------------------------------------------------------------------------------------

void CResRichEdit::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] {
    // The key's own character message, if any, came before its key-up.
    m_nConsumedChar = 0;
    platform::KeyboardState& keys = platform::CurrentDesktop().keyboard_state();
    if (nChar == VK_SHIFT) {
      keys.Set(VK_SHIFT, 0);
    } else if (nChar == VK_CONTROL) {
      keys.Set(VK_CONTROL, 0);
      if (m_pCtrl != nullptr) m_pCtrl->SetCtrlKeySeen(false);
    } else {
      Default(WM_KEYUP, nChar, KeyData(nRepCnt, nFlags));
    }
    RefreshCaret(0, TRUE);
  });
}

}  // namespace zv
