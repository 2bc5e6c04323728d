// A simulated reservation host for demonstrations and tests: availability of
// fictional carriers, selling, records with locators, paging of displays.
// Everything follows from the entries and the host's today, so the same
// entries always get the same answers.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/availability.h"
#include "host/booking.h"
#include "host/calendar.h"
#include "host/geography.h"
#include "host/screen_text.h"

namespace zv::host {

class DemoHost {
 public:
  static constexpr Date kDefaultToday{2026, 6, 1};

  explicit DemoHost(Date today = kDefaultToday);

  // The full response to one entry of a session: the two control characters,
  // then rows separated by "|". Each session keeps its own booking context.
  std::string Answer(int session, std::string_view entry);

 private:
  struct AvailabilityRequest {
    const City* from = nullptr;
    const City* to = nullptr;
    Date date;
    int from_minutes = 0;  // first departure time shown
  };

  // The record being built or changed in a session. For a retrieved record the
  // segments as filed are kept, so that ignoring gives their seats back exactly.
  struct Transaction {
    Booking booking;
    std::vector<Segment> base_segments;
    std::string locator;
    int base_version = 0;
    bool modified = false;
    bool Active() const { return modified || !locator.empty(); }
  };

  struct Record {
    Booking booking;
    int version = 0;
  };

  struct Session {
    std::optional<AvailabilityRequest> request;
    std::vector<Flight> lines;  // the lines of the last availability, by line number
    std::optional<Display> display;
    Transaction work;
    std::deque<std::string> messages;
  };

  std::string Dispatch(Session& s, const std::string& entry);
  std::string Show(Session& s, Display display);
  std::string Page(Session& s, const std::string& entry);
  std::string Availability(Session& s, std::string_view text);
  std::string ShowAvailability(Session& s, const AvailabilityRequest& request);
  std::string NextDay(Session& s);
  std::string Sell(Session& s, const std::string& entry);
  std::string AddName(Session& s, std::string_view text);
  std::string AddPhone(Session& s, std::string_view text);
  std::string SetTicketing(Session& s, std::string_view text);
  std::string SetReceivedFrom(Session& s, std::string_view text);
  std::string AddRemark(Session& s, std::string_view text);
  std::string End(Session& s, bool redisplay);
  std::string Retrieve(Session& s, const std::string& locator);
  std::string Redisplay(Session& s);
  std::string Ignore(Session& s, bool retrieve);
  std::string CancelItinerary(Session& s);
  std::string CancelSegment(Session& s, std::string_view number);
  std::string Messages(Session& s);

  std::string ShowRecord(Session& s);
  void Revert(Transaction& work);
  std::string NewLocator();

  Date today_;
  Inventory inventory_;
  std::map<std::string, Record> records_;
  std::map<int, Session> sessions_;
  std::uint64_t locators_issued_ = 0;
};

}  // namespace zv::host
