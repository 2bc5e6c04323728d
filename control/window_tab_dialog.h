// CWindowTabDialog: a strip of tabs above a frame (odd or even windows, five
// tabs) or above the one-frame layout (all ten windows). A child of the
// control made from dialog 66; the tabs are its tab control, id 50.
#pragma once

#include <string>

#include "platform/common_controls.h"
#include "platform/window.h"

namespace zv {

class CZVEmulCtrl;

class CWindowTabDialog : public platform::Window {
 public:
  static constexpr UINT kDialogId = 66;
  static constexpr UINT kTabControlId = 50;
  // Dialog 66 in pixels: the dialog units of its font ("Small Fonts", 7
  // points) count one pixel each.
  static constexpr RECT kDialogRect = {0, 0, 442, 87};
  static constexpr RECT kTabControlRect = {38, 1, 38 + 355, 1 + 14};

  CWindowTabDialog(CZVEmulCtrl* owner, WORD tabCount, bool oddFrame, bool allWindows);

  // Creates the strip, hidden, as a child of parent; FALSE when it cannot.
  BOOL Create(platform::Window* parent);

  void SetCurSel(int index);
  // Sets a tab's text: an empty text first, then the name.
  void SetTabText(int index, const std::string& name);

  const platform::TabControlWindow& Tabs() const { return m_tabs; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // Creates the tabs, each with three blanks, and highlights the first.
  BOOL OnInitDialog();

  WORD m_tabCount;
  bool m_oddFrame;
  bool m_allWindows;
  CZVEmulCtrl* m_owner;
  platform::TabControlWindow m_tabs;
};

}  // namespace zv
