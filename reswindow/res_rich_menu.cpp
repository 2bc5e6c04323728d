// The res window's side of the context menu: opening it on a right click
// and carrying out its commands.
#include "macros/macro_folders.h"
#include "macros/macro_menu.h"
#include "reswindow/res_rich.h"

namespace zv {
namespace {

// Where a scroll command reopens the menu, in client coordinates.
constexpr LPARAM kReopenAt = MAKELPARAM(1, 1);

}  // namespace

void CResRichEdit::OnRButtonUp(WPARAM wparam, LPARAM lparam) {
  if (m_pCtrl != nullptr && !m_pCtrl->GetTWA()) m_pCtrl->BuildMacroMenu();
  Default(WM_RBUTTONUP, wparam, lparam);
}

LRESULT CResRichEdit::OnCommand(WPARAM wparam, LPARAM lparam) {
  if (HIWORD(wparam) != 0 || m_pCtrl == nullptr) return Default(WM_COMMAND, wparam, lparam);
  const UINT id = LOWORD(wparam);
  if (id == kCutCommand || id == kCopyCommand) {
    m_pCtrl->CopySelectionToClipboard(id == kCutCommand ? TRUE : FALSE);
  } else if (id == kPasteCommand) {
    m_pCtrl->PasteInCurrentWindow();
  } else if (id >= kPersonalScrollUpId && id <= kOfficeScrollDownId) {
    m_pCtrl->ScrollMacroMenu(id);
    SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, kReopenAt);
    SendMessage(WM_RBUTTONUP, 0, kReopenAt);
  } else if (id >= kFirstPersonalMacroId && id < kFirstPersonalMacroId + kMaxMenuMacros) {
    const std::string folder = m_pCtrl->GetPersonalDir();
    m_pCtrl->FireDriveMacro(MacroFilePath(folder, MacroNameAt(folder, id - kFirstPersonalMacroId)));
  } else if (id >= kFirstOfficeMacroId && id < kFirstOfficeMacroId + kMaxMenuMacros) {
    const std::string folder = m_pCtrl->GetOfficeDir();
    m_pCtrl->FireDriveMacro(MacroFilePath(folder, MacroNameAt(folder, id - kFirstOfficeMacroId)));
  }
  return Default(WM_COMMAND, wparam, lparam);
}

}  // namespace zv
