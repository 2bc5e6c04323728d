// A reservation record of the demo host and how it is displayed.
#pragma once

#include <string>
#include <vector>

#include "host/availability.h"
#include "host/calendar.h"

namespace zv::host {

struct Segment {
  Flight flight;
  Date date;
  char booking_class = 'Y';
  int seats = 1;
  bool filed = false;  // shown "SS" until the transaction is ended, "HK" after
};

struct Booking {
  std::vector<std::string> names;  // "SMITH/JOHN MR"
  std::vector<Segment> segments;   // in order of departure
  std::vector<std::string> phones;
  std::string ticketing;  // "T/" or "TAW10JUN/"
  std::string received_from;
  std::vector<std::string> remarks;

  bool HasFlight(const Flight& flight, const Date& date) const;
  // Inserts in order of date and departure; answers the segment's number (1-based).
  int AddSegment(Segment segment);
};

// "BV 402Y 10JUN WE LONPAR SS2  0710  0930"
std::string SegmentText(const Segment& segment);
// The same with the segment number in front: " 1 BV 402Y ...".
std::string SegmentRow(int number, const Segment& segment);

// The record's body rows, as the record display shows them below its heading.
std::vector<std::string> RecordRows(const Booking& booking);

}  // namespace zv::host
