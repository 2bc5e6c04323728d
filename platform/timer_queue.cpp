#include "platform/timer_queue.h"

#include <algorithm>

namespace zv::platform {

void TimerQueue::Set(HWND hwnd, UINT_PTR id, UINT period_ms, DWORD now) {
  const UINT period = std::clamp(period_ms, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  timers_[{hwnd, id}] = {period, now + period};
}

bool TimerQueue::Kill(HWND hwnd, UINT_PTR id) { return timers_.erase({hwnd, id}) != 0; }

void TimerQueue::KillAll(HWND hwnd) {
  auto it = timers_.lower_bound({hwnd, 0});
  while (it != timers_.end() && it->first.first == hwnd) it = timers_.erase(it);
}

std::vector<TimerQueue::Key> TimerQueue::TakeDue(DWORD now) {
  std::vector<Key> due;
  for (auto& [key, timer] : timers_) {
    if (!IsDue(timer.deadline, now)) continue;
    due.push_back(key);
    timer.deadline = now + timer.period;
  }
  return due;
}

std::optional<DWORD> TimerQueue::TimeToNext(DWORD now) const {
  std::optional<DWORD> next;
  for (const auto& [key, timer] : timers_) {
    const DWORD wait = IsDue(timer.deadline, now) ? 0 : timer.deadline - now;
    if (!next || wait < *next) next = wait;
  }
  return next;
}

}  // namespace zv::platform
