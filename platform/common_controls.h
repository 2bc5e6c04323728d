// The common controls the control shows: a status bar of parts, a strip of
// tabs and a push button. They keep their state and ask for drawing when it
// changes; containers draw them from what they report.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device_context.h"
#include "platform/resources.h"
#include "platform/window.h"

namespace zv::platform {

// A status bar: parts side by side, each ending at its right edge in client
// coordinates (-1: at the window's right edge), each with a text.
class StatusBarWindow : public Window {
 public:
  static constexpr std::size_t kMaxParts = 256;

  // Replaces the parts; the texts of parts that remain are kept. False for
  // no parts or more than kMaxParts.
  bool SetParts(std::span<const int> right_edges);
  // False for a part that does not exist.
  bool SetText(int part, std::string_view text);
  // Empty for a part that does not exist.
  std::string Text(int part) const;

  int part_count() const { return static_cast<int>(right_edges_.size()); }
  const std::vector<int>& right_edges() const { return right_edges_; }

 private:
  std::vector<int> right_edges_;
  std::vector<std::string> texts_;
};

// A tab strip: items with texts, one selected item (or none), and any
// number of highlighted items. Items lie side by side from the left edge,
// all of one size: an equal share of the control's width and its full
// height unless SetItemSize says otherwise.
//
// A click on an item selects it: TCN_SELCHANGING goes to the parent (an
// answer of TRUE keeps the selection), then TCN_SELCHANGE; releasing the
// button sends NM_CLICK. Notifications are WM_NOTIFY with an NMHDR.
//
// With TCS_OWNERDRAWFIXED the parent draws the items: DrawItems sends it
// WM_DRAWITEM for each item (ODA_DRAWENTIRE, ODS_SELECTED for the selected
// one) with a recording device context in the button colours.
class TabControlWindow : public Window {
 public:
  // Inserts an item before `index` (at the end when past it); returns its
  // index, -1 for a negative index.
  int InsertItem(int index, std::string_view text);
  bool SetItemText(int index, std::string_view text);
  std::string ItemText(int index) const;
  int item_count() const { return static_cast<int>(items_.size()); }

  // Returns the previously selected item; -1 and no change for an index
  // that does not exist.
  int SetCurSel(int index);
  int GetCurSel() const { return selected_; }

  bool HighlightItem(int index, bool highlight);
  bool IsHighlighted(int index) const;

  // Width and height of every item; 0 for either goes back to the default.
  void SetItemSize(int width, int height);
  // In the control's client coordinates; empty for an item that does not exist.
  RECT ItemRect(int index) const;
  // The item at a point of the client area; -1 for none.
  int HitTest(POINT point) const;

  // What the parent drew for each item, in client coordinates; empty lists
  // when the items are not owner-drawn.
  std::vector<std::vector<DeviceContext::TextRun>> DrawItems();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  struct Item {
    std::string text;
    bool highlighted = false;
  };
  bool Exists(int index) const { return index >= 0 && index < item_count(); }
  LRESULT Notify(UINT code);
  void OnLButtonDown(POINT point);

  std::vector<Item> items_;
  int selected_ = -1;
  SIZE item_size_;
};

// A push button, with a text and optionally an icon (BS_ICON buttons show
// the icon). A press and release of the left button over it sends
// WM_COMMAND with BN_CLICKED to the parent.
class ButtonWindow : public Window {
 public:
  void SetIcon(std::optional<Icon> icon);
  const std::optional<Icon>& icon() const { return icon_; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  std::optional<Icon> icon_;
  bool pressed_ = false;
};

}  // namespace zv::platform
