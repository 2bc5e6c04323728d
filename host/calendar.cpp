#include "host/calendar.h"

#include <array>

namespace zv::host {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<std::string_view, 7> kWeekdays = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsValidDate(const Date& date) {
  return date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

// Civil-from-days and days-from-civil in the well-known era form (400-year cycles).
int DaysSinceEpoch(const Date& date) {
  const int y = date.year - (date.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int year_of_era = y - era * 400;
  const int month_from_march = (date.month + 9) % 12;
  const int day_of_year = (153 * month_from_march + 2) / 5 + date.day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

Date DateFromDays(int days) {
  const int z = days + 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const int day_of_era = z - era * 146097;
  const int year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int month_from_march = (5 * day_of_year + 2) / 153;
  const int day = day_of_year - (153 * month_from_march + 2) / 5 + 1;
  const int month = month_from_march < 10 ? month_from_march + 3 : month_from_march - 9;
  return {year_of_era + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

Date AddDays(const Date& date, int days) { return DateFromDays(DaysSinceEpoch(date) + days); }

std::string DayMonthText(const Date& date) {
  const int day = date.day % 100;
  return std::string{static_cast<char>('0' + day / 10), static_cast<char>('0' + day % 10)} +
         std::string(kMonths[static_cast<std::size_t>(date.month - 1)]);
}

std::string_view WeekdayCode(const Date& date) {
  // 1970-01-01 was a Thursday.
  const int monday_based = ((DaysSinceEpoch(date) % 7) + 7 + 3) % 7;
  return kWeekdays[static_cast<std::size_t>(monday_based)];
}

std::optional<DayMonth> ReadDayMonth(std::string_view text, std::size_t& pos) {
  std::size_t p = pos;
  int day = 0;
  int digits = 0;
  while (p < text.size() && IsDigit(text[p]) && digits < 2) {
    day = day * 10 + (text[p] - '0');
    ++p;
    ++digits;
  }
  if (digits == 0 || p + 3 > text.size()) return std::nullopt;
  const std::string_view month_text = text.substr(p, 3);
  for (std::size_t m = 0; m < kMonths.size(); ++m) {
    if (kMonths[m] == month_text) {
      pos = p + 3;
      return DayMonth{day, static_cast<int>(m) + 1};
    }
  }
  return std::nullopt;
}

std::optional<Date> NextOccurrence(const DayMonth& day_month, const Date& today) {
  Date date{today.year, day_month.month, day_month.day};
  if (date < today) ++date.year;
  if (!IsValidDate(date)) return std::nullopt;
  return date;
}

}  // namespace zv::host
