// CWindowOrder: the windows of the control, most recently used first, and
// which of them are hidden. Hiding a window picks the window of its frame
// that takes over.
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
  // Moves n to the back. When n was the window last used in its frame
  // (the last one touched for odd n, the last even one for even n), out is
  // the first window of the same frame in the list that is not hidden, or
  // the first one of that frame when all are (0 when there is none); else
  // out = 0. Returns the window now at the front.
  int PickReplacement(int n, int& out);
  // As PickReplacement, and flags n hidden; 0, with out left alone, when n
  // is hidden already.
  int Hide(int n, int& out);

  const std::list<int>& order() const { return m_order; }

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
