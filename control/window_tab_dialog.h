// CWindowTabDialog: a strip of tabs above a frame (odd or even windows, five
// tabs) or above the one-frame layout (all ten windows). A child of the
// control made from dialog 66: the tabs (id 50), the ReSize button (id 65)
// that toggles the layout, and the INS field (id 201).
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
  static constexpr UINT kResizeButtonId = 65;
  static constexpr UINT kInsFieldId = 201;
  // Dialog 66 in pixels: the dialog units of its font ("Small Fonts", 7
  // points) count one pixel each.
  static constexpr RECT kDialogRect = {0, 0, 442, 87};
  static constexpr RECT kTabControlRect = {38, 1, 38 + 355, 1 + 14};
  static constexpr RECT kResizeButtonRect = {0, 0, 25, 14};
  static constexpr RECT kInsFieldRect = {398, 3, 398 + 16, 3 + 8};
  static constexpr int kIconWidth = 18;
  static constexpr int kIconHeight = 11;
  // Tab texts are read up to this length for drawing.
  static constexpr std::size_t kMaxDrawnText = 255;
  static constexpr COLORREF kSelectedTextColor = 0x00FFFFFF;
  static constexpr COLORREF kSelectedBackColor = 0x00787878;

  CWindowTabDialog(CZVEmulCtrl* owner, WORD tabCount, bool oddFrame, bool allWindows);

  // Creates the strip, hidden, as a child of parent; FALSE when it cannot.
  BOOL Create(platform::Window* parent);

  void SetCurSel(int index);
  // Sets a tab's text: an empty text first, then the name.
  void SetTabText(int index, const std::string& name);

  const platform::TabControlWindow& Tabs() const { return m_tabs; }
  platform::TabControlWindow& Tabs() { return m_tabs; }
  platform::ButtonWindow& ResizeButton() { return m_resizeButton; }
  platform::Window& InsField() { return m_insField; }
  UINT IconId() const;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  // Creates the controls, loads the button's icon, inserts the tabs with
  // three blanks each and highlights the first.
  BOOL OnInitDialog();
  // A click on a tab switches to the window of the selected tab.
  void OnClickTab();
  // The selected tab is the only highlighted one.
  void OnSelChange();
  void OnDrawItem(const DRAWITEMSTRUCT& item);

  WORD m_tabCount;
  bool m_oddFrame;
  bool m_allWindows;
  CZVEmulCtrl* m_owner;
  platform::TabControlWindow m_tabs;
  platform::ButtonWindow m_resizeButton;
  platform::Window m_insField;
  std::string m_insText;  // the INS field's bound text
};

}  // namespace zv
