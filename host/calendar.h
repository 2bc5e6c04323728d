// Dates as reservation systems write them: day and month ("10JUN"), the
// year implied by the host's today, two-letter weekdays.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace zv::host {

struct Date {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  auto operator<=>(const Date&) const = default;
};

bool IsValidDate(const Date& date);
// Days since 1970-01-01 and back; valid for any date of the proleptic Gregorian calendar.
int DaysSinceEpoch(const Date& date);
Date DateFromDays(int days);
Date AddDays(const Date& date, int days);

// "10JUN".
std::string DayMonthText(const Date& date);
// "MO" .. "SU".
std::string_view WeekdayCode(const Date& date);

struct DayMonth {
  int day = 0;
  int month = 0;
};

// Reads one or two digits and a month abbreviation at text[pos]; on success pos
// moves past them. Day and month are not checked against each other here.
std::optional<DayMonth> ReadDayMonth(std::string_view text, std::size_t& pos);

// The first date on or after `today` with that day and month; nothing when the
// day does not exist in that month of that year (31APR, 29FEB outside leap years).
std::optional<Date> NextOccurrence(const DayMonth& day_month, const Date& today);

}  // namespace zv::host
