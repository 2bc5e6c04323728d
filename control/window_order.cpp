#include "control/window_order.h"

#include <algorithm>

namespace zv {

CWindowOrder::CWindowOrder(int count) {
  for (int n = 1; n <= std::min(count, 10); ++n) m_order.push_back(n);
}

void CWindowOrder::Touch(int n) {
  m_order.remove(n);
  m_order.push_front(n);
  if (n % 2 == 0) m_lastEven = n;
  m_lastTouched = n;
}

bool CWindowOrder::IsHidden(int n) const {
  const bool* flag = HiddenFlag(n);
  return flag != nullptr && *flag;
}

void CWindowOrder::Unhide(int n) {
  if (bool* flag = HiddenFlag(n)) *flag = false;
}

int CWindowOrder::PickReplacement(int n, int& out) {
  out = 0;
  if (m_order.empty()) return 0;
  if (HiddenFlag(n) == nullptr) return m_order.front();
  m_order.remove(n);
  m_order.push_back(n);
  const bool odd = n % 2 != 0;
  if ((odd && m_lastTouched == n) || (!odd && m_lastEven == n)) {
    int first_met = 0;
    for (int w : m_order) {
      if (w == n || (w % 2 != 0) != odd) continue;
      if (first_met == 0) first_met = w;
      if (!IsHidden(w)) {
        out = w;
        break;
      }
    }
    if (out == 0) out = first_met;
  }
  return m_order.front();
}

int CWindowOrder::Hide(int n, int& out) {
  bool* flag = HiddenFlag(n);
  if (flag == nullptr || *flag) return 0;
  const int front = PickReplacement(n, out);
  *flag = true;
  return front;
}

bool* CWindowOrder::HiddenFlag(int n) {
  return const_cast<bool*>(static_cast<const CWindowOrder*>(this)->HiddenFlag(n));
}

const bool* CWindowOrder::HiddenFlag(int n) const {
  if (n < 1 || n > 10) return nullptr;
  return n % 2 == 1 ? &m_hiddenOdd[static_cast<std::size_t>((n + 1) / 2 - 1)]
                    : &m_hiddenEven[static_cast<std::size_t>(n / 2 - 1)];
}

}  // namespace zv
