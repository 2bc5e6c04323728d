#include "reswindow/input_recall.h"

#include <algorithm>

namespace zv {

const platform::RuntimeClass CInputRecall::kRuntimeClass{"CInputRecall", 1, nullptr};

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

void CInputRecall::Serialize(platform::Archive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(m_list.size());
    for (const std::string& text : m_list) ar.WriteString(text);
    return;
  }
  // Each string costs at least its length byte, so a corrupt count ends at
  // the end of the input instead of allocating.
  for (std::uint64_t n = ar.ReadCount(); n > 0; --n) m_list.push_back(ar.ReadString());
}

}  // namespace zv
