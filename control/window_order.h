// CWindowOrder: the windows of the control, most recently used first, and
// which of them are hidden.
#pragma once

#include <array>
#include <list>

namespace zv {

class CWindowOrder {
 public:
  // Windows 1..count in order, none hidden (count at most 10).
  explicit CWindowOrder(int count);

  // Moves window n to the front.
  void Touch(int n);
  bool IsHidden(int n) const;
  void Unhide(int n);

 private:
  // The hidden flag of window n (1..10), or null for other numbers.
  bool* HiddenFlag(int n);
  const bool* HiddenFlag(int n) const;

  std::list<int> m_order;
  int m_lastEven = 0;
  int m_lastTouched = 0;
  std::array<bool, 5> m_hiddenOdd = {};   // windows 1, 3, 5, 7, 9
  std::array<bool, 5> m_hiddenEven = {};  // windows 2, 4, 6, 8, 10
};

}  // namespace zv
