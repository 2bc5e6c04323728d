#include "control/window_tab_dialog.h"

#include "control/zvemul_ctl.h"
#include "control/zvemul_resources.h"
#include "platform/catch_all.h"
#include "platform/device_context.h"

namespace zv {

using platform::CatchAll;

CWindowTabDialog::CWindowTabDialog(CZVEmulCtrl* owner, WORD tabCount, bool oddFrame, bool allWindows)
    : m_tabCount(tabCount), m_oddFrame(oddFrame), m_allWindows(allWindows), m_owner(owner) {}

BOOL CWindowTabDialog::Create(platform::Window* parent) {
  return Window::Create(WS_CHILD, kDialogRect, parent, kDialogId) ? TRUE : FALSE;
}

UINT CWindowTabDialog::IconId() const { return m_allWindows ? kAllWindowsStripIcon : kFrameStripIcon; }

LRESULT CWindowTabDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return CatchAll<LRESULT>(-1, [&]() -> LRESULT { return OnInitDialog() ? 0 : -1; });
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header == nullptr || header->idFrom != kTabControlId) break;
      if (header->code == NM_CLICK) CatchAll([&] { OnClickTab(); });
      if (header->code == TCN_SELCHANGE) CatchAll([&] { OnSelChange(); });
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == kResizeButtonId && HIWORD(wparam) == BN_CLICKED) {
        CatchAll([&] { m_owner->Resize(0); });
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (wparam != kTabControlId || item == nullptr || item->hDC == nullptr) break;
      CatchAll([&] { OnDrawItem(*item); });
      return TRUE;
    }
    default:
      break;
  }
  return Window::WindowProc(message, wparam, lparam);
}

BOOL CWindowTabDialog::OnInitDialog() {
  if (!m_tabs.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, kTabControlRect, this, kTabControlId) ||
      !m_resizeButton.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_ICON, kResizeButtonRect, this, kResizeButtonId) ||
      !m_insField.Create(WS_CHILD | WS_VISIBLE, kInsFieldRect, this, kInsFieldId)) {
    return FALSE;
  }
  m_tabs.SetText("Tab1");
  m_resizeButton.SetText("ReSize");
  m_insField.SetText("INS");
  // The field shows its bound text, which starts empty.
  m_insField.SetText(m_insText);

  m_tabs.ModifyStyle(0, TCS_OWNERDRAWFIXED | TCS_FIXEDWIDTH);
  if (std::optional<platform::Icon> icon = ZVEmulResources().LoadIcon(IconId(), kIconWidth, kIconHeight)) {
    m_resizeButton.SetIcon(std::move(icon));
  } else {
    m_owner->ShowMessage("Could not load Icon");
  }
  for (int i = 0; i < m_tabCount; ++i) m_tabs.InsertItem(i, "   ");
  m_tabs.HighlightItem(0, true);
  return TRUE;
}

void CWindowTabDialog::OnClickTab() {
  const int i = m_tabs.GetCurSel();
  if (i < 0 || i >= m_tabCount) return;
  short window = 0;
  if (m_allWindows) {
    window = static_cast<short>(i + 1);
  } else {
    window = static_cast<short>(m_oddFrame ? 2 * i + 1 : 2 * i + 2);
  }
  m_owner->SwitchToWindow(window);
}

void CWindowTabDialog::OnSelChange() {
  const int selected = m_tabs.GetCurSel();
  for (int i = 0; i < m_tabs.item_count(); ++i) m_tabs.HighlightItem(i, i == selected);
}

void CWindowTabDialog::OnDrawItem(const DRAWITEMSTRUCT& item) {
  std::string text = m_tabs.ItemText(static_cast<int>(item.itemID));
  if (text.size() > kMaxDrawnText) text.resize(kMaxDrawnText);
  platform::DeviceContext& dc = *item.hDC;
  const int x = item.rcItem.left + 7;
  const int y = item.rcItem.top + 5;
  if (item.itemAction & ODA_DRAWENTIRE) dc.TextOut(x, y, text);
  if ((item.itemState & ODS_SELECTED) && (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    dc.SetTextColor(kSelectedTextColor);
    dc.SetBkColor(kSelectedBackColor);
    dc.TextOut(x, y, text);
  }
}

void CWindowTabDialog::SetCurSel(int index) { m_tabs.SetCurSel(index); }

void CWindowTabDialog::SetTabText(int index, const std::string& name) {
  m_tabs.SetItemText(index, "");
  m_tabs.SetItemText(index, name);
}

}  // namespace zv
