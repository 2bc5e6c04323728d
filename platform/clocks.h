// Clocks: the system's, and a manual one that tests and replays set.
#pragma once

#include <cstdint>

#include "platform/services.h"

namespace zv::platform {

// Tick count from the monotonic clock (milliseconds, wrapping at 2^32);
// local time from the system clock and time zone.
class SystemClock : public Clock {
 public:
  DWORD TickCount() override;
  LocalTime Now() override;
};

// Time stands still until set or advanced. Starts at 2000-01-01 00:00:00.000
// (a Saturday) with tick count 0.
class ManualClock : public Clock {
 public:
  ManualClock() = default;
  ManualClock(const LocalTime& start, DWORD tick_count);

  DWORD TickCount() override { return tick_count_; }
  LocalTime Now() override;

  void SetTickCount(DWORD tick_count) { tick_count_ = tick_count; }
  // Out-of-range fields carry over (month 13 is January of the next year);
  // the day of the week follows from the date.
  void SetLocalTime(const LocalTime& time);
  // Moves both the tick count (wrapping) and the local time on.
  void Advance(DWORD milliseconds);

 private:
  // Milliseconds since 1970-01-01 00:00 of the local time.
  std::int64_t local_ms_ = 946684800000;
  DWORD tick_count_ = 0;
};

}  // namespace zv::platform
