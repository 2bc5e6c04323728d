// Availability of the demo host: a fixed daily schedule per city pair, seats
// per class that vary by date, and the seats sold so far.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "host/calendar.h"
#include "host/geography.h"

namespace zv::host {

// Booking classes in the order availability lines show them.
inline constexpr std::string_view kBookingClasses = "JCDYBMHK";

struct Flight {
  std::string carrier;
  int number = 0;
  std::string origin;
  std::string destination;
  int departure = 0;    // minutes after midnight, local time at the origin
  int arrival = 0;      // minutes after midnight, local time at the destination
  int arrival_day = 0;  // days after the departure date (-1 to 2)
  std::string equipment;
};

// The direct flights of a city pair in order of departure; the same every day.
// The flight list, numbers and times follow from the two city codes alone.
std::vector<Flight> Schedule(const City& from, const City& to);

// Seats offered in a class on a date before any sale, 0 to 9.
int OfferedSeats(const Flight& flight, const Date& date, char booking_class);

// Seats sold on each flight, date and class by every session of the host.
class Inventory {
 public:
  int Available(const Flight& flight, const Date& date, char booking_class) const;
  void Take(const Flight& flight, const Date& date, char booking_class, int seats);
  void Release(const Flight& flight, const Date& date, char booking_class, int seats);

 private:
  using Key = std::tuple<std::string, int, std::string, int, char>;
  static Key KeyOf(const Flight& flight, const Date& date, char booking_class);
  std::map<Key, int> sold_;
};

// "0715".
std::string TimeText(int minutes);
// "+1" after an arrival time on a later day, "-1" on the day before, else two blanks.
std::string DayOffsetText(int days);

std::string AvailabilityHeading(const City& from, const City& to, const Date& date);
// " 1 BV  402  J4 C4 D2 Y9 B9 M9 H7 K0  LONPAR 0710 0930   320"
std::string AvailabilityRow(int line, const Flight& flight, const Date& date, const Inventory& inventory);

// Deterministic mixing of the request into pseudo-random numbers.
std::uint64_t HashText(std::string_view text);
std::uint64_t Mix(std::uint64_t value);

}  // namespace zv::host
