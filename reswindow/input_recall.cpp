#include "reswindow/input_recall.h"

#include <algorithm>

namespace zv {

CInputRecall::CInputRecall(int capacity) : m_capacity(std::max(capacity, 0)) {}

void CInputRecall::Add(const std::string& text) {
  std::deque<std::string>& list = InUse();
  list.push_front(text);
  if (list.size() > static_cast<std::size_t>(m_capacity)) list.pop_back();
}

std::optional<std::string> CInputRecall::GetAt(int index) const {
  const std::deque<std::string>& list = InUse();
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return std::nullopt;
  return list[static_cast<std::size_t>(index)];
}

int CInputRecall::GetCount() const { return static_cast<int>(InUse().size()); }

std::optional<std::string> CInputRecall::PopOldest() {
  std::deque<std::string>& list = InUse();
  if (list.empty()) return std::nullopt;
  std::string oldest = std::move(list.back());
  list.pop_back();
  return oldest;
}

}  // namespace zv
