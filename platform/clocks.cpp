#include "platform/clocks.h"

#include <chrono>
#include <ctime>

namespace zv::platform {
namespace {

using std::chrono::days;
using std::chrono::milliseconds;

constexpr std::int64_t kMsPerDay = 86'400'000;

// Floor division, so times before 1970 fall on the right day.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

DWORD SystemClock::TickCount() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<milliseconds>(since).count());
}

LocalTime SystemClock::Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&seconds, &tm);
  const auto ms = std::chrono::duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return {tm.tm_year + 1900,
          tm.tm_mon + 1,
          tm.tm_mday,
          tm.tm_hour,
          tm.tm_min,
          tm.tm_sec,
          static_cast<int>(ms < 0 ? ms + 1000 : ms),
          tm.tm_wday};
}

ManualClock::ManualClock(const LocalTime& start, DWORD tick_count) : tick_count_(tick_count) { SetLocalTime(start); }

LocalTime ManualClock::Now() {
  const std::int64_t day_count = FloorDiv(local_ms_, kMsPerDay);
  const std::int64_t ms_of_day = local_ms_ - day_count * kMsPerDay;
  const std::chrono::sys_days day{days{day_count}};
  const std::chrono::year_month_day date{day};
  LocalTime time;
  time.year = static_cast<int>(date.year());
  time.month = static_cast<int>(static_cast<unsigned>(date.month()));
  time.day = static_cast<int>(static_cast<unsigned>(date.day()));
  time.hour = static_cast<int>(ms_of_day / 3'600'000);
  time.minute = static_cast<int>(ms_of_day / 60'000 % 60);
  time.second = static_cast<int>(ms_of_day / 1000 % 60);
  time.millisecond = static_cast<int>(ms_of_day % 1000);
  time.day_of_week = static_cast<int>(std::chrono::weekday{day}.c_encoding());
  return time;
}

void ManualClock::SetLocalTime(const LocalTime& time) {
  // Months carry into years; days, hours and smaller units are counted on
  // from the first of the month.
  const std::int64_t month_index = static_cast<std::int64_t>(time.year) * 12 + (time.month - 1);
  const auto year = static_cast<int>(FloorDiv(month_index, 12));
  const auto month = static_cast<unsigned>(month_index - static_cast<std::int64_t>(year) * 12 + 1);
  const std::chrono::sys_days first{std::chrono::year{year} / std::chrono::month{month} / 1};
  const std::int64_t first_day = first.time_since_epoch().count();
  local_ms_ = (first_day + time.day - 1) * kMsPerDay + static_cast<std::int64_t>(time.hour) * 3'600'000 +
              static_cast<std::int64_t>(time.minute) * 60'000 + static_cast<std::int64_t>(time.second) * 1000 +
              time.millisecond;
}

void ManualClock::Advance(DWORD milliseconds) {
  tick_count_ += milliseconds;
  local_ms_ += milliseconds;
}

}  // namespace zv::platform
