// The two common controls the control shows: a status bar of parts and a
// strip of tabs. They keep their state and ask for drawing when it changes;
// containers draw them from what they report.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

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
// number of highlighted items.
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

 private:
  struct Item {
    std::string text;
    bool highlighted = false;
  };
  bool Exists(int index) const { return index >= 0 && index < item_count(); }

  std::vector<Item> items_;
  int selected_ = -1;
};

}  // namespace zv::platform
