#include "control/window_tab_dialog.h"

#include "platform/catch_all.h"

namespace zv {

CWindowTabDialog::CWindowTabDialog(CZVEmulCtrl* owner, WORD tabCount, bool oddFrame, bool allWindows)
    : m_tabCount(tabCount), m_oddFrame(oddFrame), m_allWindows(allWindows), m_owner(owner) {}

BOOL CWindowTabDialog::Create(platform::Window* parent) {
  return Window::Create(WS_CHILD, kDialogRect, parent, kDialogId) ? TRUE : FALSE;
}

LRESULT CWindowTabDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) return platform::CatchAll(-1, [&] { return OnInitDialog() ? 0 : -1; });
  return Window::WindowProc(message, wparam, lparam);
}

BOOL CWindowTabDialog::OnInitDialog() {
  if (!m_tabs.Create(WS_CHILD | WS_VISIBLE, kTabControlRect, this, kTabControlId)) return FALSE;
  for (int i = 0; i < m_tabCount; ++i) m_tabs.InsertItem(i, "   ");
  m_tabs.HighlightItem(0, true);
  return TRUE;
}

void CWindowTabDialog::SetCurSel(int index) { m_tabs.SetCurSel(index); }

void CWindowTabDialog::SetTabText(int index, const std::string& name) {
  m_tabs.SetItemText(index, "");
  m_tabs.SetItemText(index, name);
}

}  // namespace zv
