#include "platform/common_controls.h"

#include <algorithm>

namespace zv::platform {

bool StatusBarWindow::SetParts(std::span<const int> right_edges) {
  if (right_edges.empty() || right_edges.size() > kMaxParts) return false;
  right_edges_.assign(right_edges.begin(), right_edges.end());
  texts_.resize(right_edges_.size());
  Invalidate();
  return true;
}

bool StatusBarWindow::SetText(int part, std::string_view text) {
  if (part < 0 || part >= part_count()) return false;
  texts_[static_cast<std::size_t>(part)] = text;
  Invalidate();
  return true;
}

std::string StatusBarWindow::Text(int part) const {
  if (part < 0 || part >= part_count()) return {};
  return texts_[static_cast<std::size_t>(part)];
}

int TabControlWindow::InsertItem(int index, std::string_view text) {
  if (index < 0) return -1;
  index = std::min(index, item_count());
  items_.insert(items_.begin() + index, Item{std::string(text), false});
  if (selected_ >= index) ++selected_;
  Invalidate();
  return index;
}

bool TabControlWindow::SetItemText(int index, std::string_view text) {
  if (!Exists(index)) return false;
  items_[static_cast<std::size_t>(index)].text = text;
  Invalidate();
  return true;
}

std::string TabControlWindow::ItemText(int index) const {
  return Exists(index) ? items_[static_cast<std::size_t>(index)].text : std::string();
}

int TabControlWindow::SetCurSel(int index) {
  if (!Exists(index)) return -1;
  const int previous = selected_;
  selected_ = index;
  if (previous != index) Invalidate();
  return previous;
}

bool TabControlWindow::HighlightItem(int index, bool highlight) {
  if (!Exists(index)) return false;
  items_[static_cast<std::size_t>(index)].highlighted = highlight;
  Invalidate();
  return true;
}

bool TabControlWindow::IsHighlighted(int index) const {
  return Exists(index) && items_[static_cast<std::size_t>(index)].highlighted;
}

}  // namespace zv::platform
