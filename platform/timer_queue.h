// Window timers. A timer is due once its period has passed since it was set
// or last fired; the container's loop asks for the due ones with the clock's
// tick count. Tick counts wrap at 2^32: a deadline is compared by the signed
// difference, so a period up to USER_TIMER_MAXIMUM works across the wrap.
#pragma once

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

class TimerQueue {
 public:
  using Key = std::pair<HWND, UINT_PTR>;

  // Sets or resets a timer; the period is clamped to
  // USER_TIMER_MINIMUM..USER_TIMER_MAXIMUM.
  void Set(HWND hwnd, UINT_PTR id, UINT period_ms, DWORD now);
  bool Kill(HWND hwnd, UINT_PTR id);
  void KillAll(HWND hwnd);
  bool Contains(HWND hwnd, UINT_PTR id) const { return timers_.count({hwnd, id}) != 0; }
  bool empty() const { return timers_.empty(); }

  // The due timers, each restarted from now: one firing however late the
  // call is, as the desktop's timers coalesce.
  std::vector<Key> TakeDue(DWORD now);
  // Milliseconds until the next timer is due (0 when one is due), or none.
  std::optional<DWORD> TimeToNext(DWORD now) const;

 private:
  struct Timer {
    UINT period = 0;
    DWORD deadline = 0;
  };
  static bool IsDue(DWORD deadline, DWORD now) { return static_cast<std::int32_t>(now - deadline) >= 0; }

  std::map<Key, Timer> timers_;
};

}  // namespace zv::platform
