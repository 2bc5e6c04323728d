#include "host/booking.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace zv::host {

bool Booking::HasFlight(const Flight& flight, const Date& date) const {
  return std::any_of(segments.begin(), segments.end(), [&](const Segment& s) {
    return s.date == date && s.flight.carrier == flight.carrier && s.flight.number == flight.number &&
           s.flight.origin == flight.origin;
  });
}

int Booking::AddSegment(Segment segment) {
  const auto later = std::find_if(segments.begin(), segments.end(), [&](const Segment& s) {
    return std::tie(segment.date, segment.flight.departure) < std::tie(s.date, s.flight.departure);
  });
  const auto at = segments.insert(later, std::move(segment));
  return static_cast<int>(at - segments.begin()) + 1;
}

std::string SegmentText(const Segment& segment) {
  const Flight& f = segment.flight;
  char text[96];
  std::snprintf(text, sizeof text, "%s%4d%c %s %s %s%s %s%d  %s  %s%s", f.carrier.c_str(), f.number % 10000,
                segment.booking_class, DayMonthText(segment.date).c_str(),
                std::string(WeekdayCode(segment.date)).c_str(), f.origin.c_str(), f.destination.c_str(),
                segment.filed ? "HK" : "SS", segment.seats % 10, TimeText(f.departure).c_str(),
                TimeText(f.arrival).c_str(), DayOffsetText(f.arrival_day).c_str());
  std::string out = text;
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string SegmentRow(int number, const Segment& segment) {
  char head[8];
  std::snprintf(head, sizeof head, "%2d ", number % 100);
  return head + SegmentText(segment);
}

std::vector<std::string> RecordRows(const Booking& booking) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < booking.names.size(); ++i) {
    rows.push_back(" " + std::to_string(i + 1) + ".1" + booking.names[i]);
  }
  if (booking.segments.empty()) rows.push_back("NO ITINERARY");
  for (std::size_t i = 0; i < booking.segments.size(); ++i) {
    rows.push_back(SegmentRow(static_cast<int>(i) + 1, booking.segments[i]));
  }
  if (!booking.ticketing.empty()) {
    rows.push_back("TICKETING");
    rows.push_back("  " + booking.ticketing);
  }
  if (!booking.phones.empty()) rows.push_back("PHONES");
  for (std::size_t i = 0; i < booking.phones.size(); ++i) {
    rows.push_back("  " + std::to_string(i + 1) + "." + booking.phones[i]);
  }
  if (!booking.remarks.empty()) rows.push_back("REMARKS");
  for (std::size_t i = 0; i < booking.remarks.size(); ++i) {
    rows.push_back("  " + std::to_string(i + 1) + "." + booking.remarks[i]);
  }
  if (!booking.received_from.empty()) rows.push_back("RECEIVED FROM - " + booking.received_from);
  return rows;
}

}  // namespace zv::host
