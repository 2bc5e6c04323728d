#include "host/calendar.h"

#include <gtest/gtest.h>

namespace zv::host {
namespace {

TEST(Calendar, DaysAndDatesAgreeAcrossCenturies) {
  EXPECT_EQ(DaysSinceEpoch({1970, 1, 1}), 0);
  EXPECT_EQ(DaysSinceEpoch({1969, 12, 31}), -1);
  Date expected{1899, 12, 31};
  for (int days = DaysSinceEpoch(expected) + 1; days < DaysSinceEpoch({2401, 1, 1}); ++days) {
    const Date date = DateFromDays(days);
    ASSERT_TRUE(IsValidDate(date)) << days;
    ASSERT_EQ(DaysSinceEpoch(date), days);
    ASSERT_GT(date, expected);
    expected = date;
  }
  EXPECT_EQ(expected, (Date{2400, 12, 31}));
}

TEST(Calendar, WeekdaysAndText) {
  EXPECT_EQ(WeekdayCode({2026, 6, 1}), "MO");
  EXPECT_EQ(WeekdayCode({2000, 2, 29}), "TU");
  EXPECT_EQ(WeekdayCode({1969, 12, 28}), "SU");
  EXPECT_EQ(DayMonthText({2026, 1, 5}), "05JAN");
  EXPECT_EQ(DayMonthText({2026, 12, 31}), "31DEC");
  EXPECT_EQ(AddDays({2026, 12, 31}, 1), (Date{2027, 1, 1}));
  EXPECT_EQ(AddDays({2028, 3, 1}, -1), (Date{2028, 2, 29}));
}

TEST(Calendar, ReadingDayAndMonth) {
  const struct {
    const char* text;
    std::size_t from, to;  // the position before and after; unchanged when nothing is read
    int day, month;
  } cases[] = {{"A10JUNLONPAR", 1, 6, 10, 6}, {"1FEB", 0, 4, 1, 2}, {"JUN", 0, 0, 0, 0},   {"10JU", 0, 0, 0, 0},
               {"10JUX", 0, 0, 0, 0},         {"123JUN", 0, 0, 0, 0}, {"", 0, 0, 0, 0}, {"10 JUN", 0, 0, 0, 0}};
  for (const auto& c : cases) {
    std::size_t pos = c.from;
    const auto read = ReadDayMonth(c.text, pos);
    EXPECT_EQ(pos, c.to) << c.text;
    EXPECT_EQ(read ? std::pair(read->day, read->month) : std::pair(0, 0), std::pair(c.day, c.month)) << c.text;
  }
}

TEST(Calendar, NextOccurrenceOnOrAfterToday) {
  const Date today{2026, 6, 1};
  EXPECT_EQ(NextOccurrence({1, 6}, today), today);
  EXPECT_EQ(NextOccurrence({31, 5}, today), (Date{2027, 5, 31}));
  EXPECT_EQ(NextOccurrence({31, 12}, today), (Date{2026, 12, 31}));
  EXPECT_FALSE(NextOccurrence({31, 6}, today));
  EXPECT_FALSE(NextOccurrence({29, 2}, today));
  EXPECT_FALSE(NextOccurrence({0, 7}, today));
  EXPECT_EQ(NextOccurrence({29, 2}, Date{2027, 6, 1}), (Date{2028, 2, 29}));
}

}  // namespace
}  // namespace zv::host
