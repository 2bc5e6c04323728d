// CInputRecall: a bounded list of strings, newest first, with a second list
// chosen by the mode word. The control keeps one as the entry history
// (capacity 50) and several as first-in first-out request queues
// (capacity 5: Add at the head, PopOldest from the tail).
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "platform/archive.h"

namespace zv {

class CInputRecall : public platform::ArchiveObject {
 public:
  // Stored under this name and schema; never created from an archive.
  static const platform::RuntimeClass kRuntimeClass;

  explicit CInputRecall(int capacity);

  // Puts text at the head of the list in use; drops the oldest string when
  // the list then holds more than the capacity.
  void Add(const std::string& text);
  // The string at `index` from the head (0 = newest); none outside the list.
  std::optional<std::string> GetAt(int index) const;
  int GetCount() const;
  // Removes and returns the oldest string; none when the list is empty.
  std::optional<std::string> PopOldest();

  // 1 selects the second list, any other value the first. The list not in
  // use is left as it is.
  int GetMode() const { return m_mode; }
  void SetMode(int mode) { m_mode = mode; }
  int GetCapacity() const { return m_capacity; }

  // The first list only, whatever the mode: its count, then its strings
  // newest first. Loading appends them at the tail in the order stored and
  // keeps them all, even beyond the capacity; a bad record throws
  // platform::ArchiveException.
  void Serialize(platform::Archive& ar) override;
  const platform::RuntimeClass& GetRuntimeClass() const override { return kRuntimeClass; }

 private:
  std::deque<std::string>& InUse() { return m_mode == 1 ? m_altList : m_list; }
  const std::deque<std::string>& InUse() const { return m_mode == 1 ? m_altList : m_list; }

  std::deque<std::string> m_list;
  int m_mode = 0;
  int m_capacity;
  std::deque<std::string> m_altList;
};

}  // namespace zv
