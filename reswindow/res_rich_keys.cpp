// Keys and characters in a res window: Enter submits the entry after the
// SOM, the Insert key switches insert and overtype; other keys and typed
// characters get the engine's own processing.
#include "control/zvemul_ctl.h"
#include "platform/catch_all.h"
#include "platform/desktop.h"
#include "reswindow/res_rich.h"

namespace zv {
namespace {

using platform::CatchAll;

// A full row with its wrap marker and one blank more.
constexpr LONG kOverfullRowLength = CResRichEdit::kRowWidth + 2;

LPARAM KeyData(UINT repeat, UINT flags) { return MAKELPARAM(static_cast<WORD>(repeat), static_cast<WORD>(flags)); }

}  // namespace

void CResRichEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] {
    ApplyInputFormat();
    const int modifiers = ModifierMask();
    if (nChar == VK_RETURN && modifiers == 0) {
      OnEnter(modifiers);
      return;
    }
    if (nChar == VK_INSERT && modifiers == 0) {
      OnInsertKey(nRepCnt, nFlags, modifiers);
      return;
    }
    Default(WM_KEYDOWN, nChar, KeyData(nRepCnt, nFlags));
  });
}

void CResRichEdit::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] { Default(WM_SYSKEYDOWN, nChar, KeyData(nRepCnt, nFlags)); });
}

void CResRichEdit::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] { Default(WM_KEYUP, nChar, KeyData(nRepCnt, nFlags)); });
}

void CResRichEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  CatchAll([&] { Default(WM_CHAR, nChar, KeyData(nRepCnt, nFlags)); });
}

void CResRichEdit::OnEnter(int modifiers) {
  ResetCharacterInput();
  platform::HideCaret(handle());
  m_bReady = 1;
  m_pCtrl->FireInputReflectChar(VK_RETURN, static_cast<short>(modifiers));
  m_nRecallPos = 0;
  m_bRewrapStarted = false;

  std::string text;
  GetTextToCaret(text);
  SubmitEntry(text, this);

  ApplyInputFormat();
  RefreshCaret(0, TRUE);
}

void CResRichEdit::OnInsertKey(UINT nRepCnt, UINT nFlags, int modifiers) {
  if (m_nFirstInsert == -1) {
    // The first press (the control sends it at creation) puts the engine
    // in overtype for good; the insert state is the control's from then on.
    m_nFirstInsert = 0;
    Default(WM_KEYDOWN, VK_INSERT, KeyData(nRepCnt, nFlags));
    return;
  }
  m_pCtrl->FireInputReflectChar(VK_INSERT, static_cast<short>(modifiers));
  if (m_pCtrl->m_insertKeyEnabled) {
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

}  // namespace zv
