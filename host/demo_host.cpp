#include "host/demo_host.h"

#include <algorithm>
#include <utility>

namespace zv::host {
namespace {

constexpr std::size_t kMaxNames = 9;
constexpr std::size_t kMaxSegments = 16;
constexpr std::size_t kMaxPhones = 3;
constexpr std::size_t kMaxRemarks = 10;
constexpr std::size_t kMaxMessages = 50;
constexpr std::size_t kMaxFieldLength = 40;

constexpr std::string_view kInvalidFormat = "INVALID FORMAT";
constexpr std::string_view kNoDisplay = "NO DISPLAY ACTIVE";
constexpr std::string_view kNoAvailability = "NO AVAILABILITY DISPLAYED";
constexpr std::string_view kNoTransaction = "NO TRANSACTION PRESENT";

std::string Error(std::string_view text) { return AddedResponse({std::string(text)}); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Entries arrive cleaned by the control; upper-case them anyway, read a line
// break as a blank and drop the blanks around the entry.
std::string Normalize(std::string_view entry) {
  std::string text(entry);
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == '|') c = ' ';
  }
  return std::string(Trim(text));
}

void SkipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
}

std::optional<std::string_view> ReadCityCode(std::string_view text, std::size_t& pos) {
  if (pos + 3 > text.size()) return std::nullopt;
  const std::string_view code = text.substr(pos, 3);
  if (!std::all_of(code.begin(), code.end(), IsLetter)) return std::nullopt;
  pos += 3;
  return code;
}

// A number of one or two digits at text[pos]; nothing (pos unchanged) without a digit.
std::optional<int> ReadSmallNumber(std::string_view text, std::size_t& pos) {
  if (pos >= text.size() || !IsDigit(text[pos])) return std::nullopt;
  int value = 0;
  for (int digits = 0; pos < text.size() && IsDigit(text[pos]) && digits < 2; ++digits) value = value * 10 + (text[pos++] - '0');
  return value;
}

std::string Plural(std::size_t n, std::string_view word) {
  return std::to_string(n) + " " + std::string(word) + (n == 1 ? "" : "S");
}

// Selling: "01Y2" or "N1Y2", that is the sell code, seats, class and line.
struct SellRequest {
  int seats = 0;
  char booking_class = 0;
  int line = 0;
};

std::optional<SellRequest> ParseSell(std::string_view entry) {
  if (entry.size() < 4 || (entry[0] != '0' && entry[0] != 'N')) return std::nullopt;
  std::size_t pos = 1;
  SellRequest request;
  const auto seats = ReadSmallNumber(entry, pos);
  if (!seats || pos >= entry.size() || !IsLetter(entry[pos])) return std::nullopt;
  request.seats = *seats;
  request.booking_class = entry[pos++];
  const auto line = ReadSmallNumber(entry, pos);
  if (!line || pos != entry.size()) return std::nullopt;
  request.line = *line;
  return request;
}

// "SMITH/JOHN MR": a surname of two or more letters, a slash, given names
// (with an optional title); letters and single blanks only.
bool IsValidName(std::string_view name) {
  const std::size_t slash = name.find('/');
  if (slash == std::string_view::npos || slash < 2 || slash + 1 >= name.size() || name.size() > kMaxFieldLength) {
    return false;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (i == slash) continue;
    if (c == ' ') {
      if (i == 0 || i + 1 == name.size() || name[i - 1] == ' ' || name[i - 1] == '/' || name[i + 1] == '/') return false;
      continue;
    }
    if (!IsLetter(c)) return false;
  }
  return true;
}

// Items in columns of `width` characters, `per_row` to a row, indented by two.
void AddColumns(std::vector<std::string>& rows, const std::vector<std::string>& items, std::size_t per_row,
                std::size_t width) {
  for (std::size_t i = 0; i < items.size(); i += per_row) {
    std::string row = "  ";
    for (std::size_t j = i; j < std::min(items.size(), i + per_row); ++j) row += Pad(items[j], width);
    while (row.back() == ' ') row.pop_back();
    rows.push_back(std::move(row));
  }
}

std::vector<std::string> HelpRows() {
  std::vector<std::string> rows = {
      "AVAILABILITY",
      "  A10JUNLONPAR        LONDON TO PARIS ON 10JUN",
      "  A10JUN LON PAR 1400 THE SAME, FROM 1400",
      "  ALONPAR             TODAY",
      "  A12JUN              THE SAME CITIES ON 12JUN",
      "  0A                  THE NEXT DAY (F3)",
      "  MD MU MT MB         PAGE DOWN, UP, TOP, BOTTOM",
      "                      (F12, F11, CTRL+F11, CTRL+F12)",
      "SELLING AND THE RECORD",
      "  01Y2  N1Y2          SELL 1 SEAT IN CLASS Y FROM LINE 2",
      "  -SMITH/JOHN MR      NAME, ONE PER SEAT",
      "  9 555 1234          PHONE",
      "  7T/  7TAW10JUN/     TICKETED, OR TICKET BY 10JUN",
      "  5TEXT               REMARK",
      "  6P                  RECEIVED FROM",
      "  E  ER               END TRANSACTION (F10), AND REDISPLAY",
      "  *ABC123  *R         RETRIEVE A RECORD, REDISPLAY IT",
      "  X2  XI              CANCEL SEGMENT 2, THE ITINERARY (F2)",
      "  I  IR               IGNORE (ALT+F10), IGNORE AND RETRIEVE",
      "                      AGAIN (ALT+F11)",
      "  U                   UNSOLICITED MESSAGES (ALT+F5)",
      "CITIES",
  };
  std::vector<std::string> items;
  for (const City& city : Cities()) items.push_back(std::string(city.code) + " " + std::string(city.name));
  AddColumns(rows, items, 3, 20);
  rows.push_back("CARRIERS");
  items.clear();
  for (const Carrier& carrier : Carriers()) items.push_back(std::string(carrier.code) + " " + std::string(carrier.name));
  AddColumns(rows, items, 2, 30);
  return rows;
}

}  // namespace

DemoHost::DemoHost(Date today) : today_(today) {}

std::string DemoHost::Answer(int session, std::string_view entry) {
  return Dispatch(sessions_[session], Normalize(entry));
}

std::string DemoHost::Dispatch(Session& s, const std::string& entry) {
  if (entry == "HELP" || entry == "H") return Show(s, Display("DEMO RESERVATION HOST - HELP", HelpRows()));
  if (entry == "MD" || entry == "MU" || entry == "MT" || entry == "MB") return Page(s, entry);
  if (entry == "0A") return NextDay(s);
  if (entry == "E" || entry == "ER") return End(s, entry == "ER");
  if (entry == "I" || entry == "IR") return Ignore(s, entry == "IR");
  if (entry == "XI") return CancelItinerary(s);
  if (entry == "U") return Messages(s);
  if (entry == "*R") return Redisplay(s);
  if (entry.empty()) return Error(kInvalidFormat);
  const std::string_view rest = std::string_view(entry).substr(1);
  switch (entry[0]) {
    case 'A':
      return Availability(s, rest);
    case '0':
    case 'N':
      return Sell(s, entry);
    case '-':
      return AddName(s, Trim(rest));
    case '9':
      return AddPhone(s, Trim(rest));
    case '7':
      return SetTicketing(s, Trim(rest));
    case '6':
      return SetReceivedFrom(s, Trim(rest));
    case '5':
      return AddRemark(s, Trim(rest));
    case '*':
      return Retrieve(s, std::string(rest));
    case 'X':
      return CancelSegment(s, rest);
    default:
      return Error(kInvalidFormat);
  }
}

std::string DemoHost::Show(Session& s, Display display) {
  s.display = std::move(display);
  return ScreenResponse(s.display->Page());
}

// Paging past either end leaves the page as it is and says so; top and bottom
// always show their page.
std::string DemoHost::Page(Session& s, const std::string& entry) {
  if (!s.display) return Error(kNoDisplay);
  Display& display = *s.display;
  if (entry == "MD" && !display.Down()) return Error("END OF DISPLAY");
  if (entry == "MU" && !display.Up()) return Error("TOP OF DISPLAY");
  if (entry == "MT") display.Top();
  if (entry == "MB") display.Bottom();
  return ScreenResponse(display.Page());
}

// A[DDMMM][ ]CCC[ ]CCC[ ][HHMM], or A DDMMM alone for the last city pair.
std::string DemoHost::Availability(Session& s, std::string_view text) {
  std::size_t pos = 0;
  SkipBlanks(text, pos);
  AvailabilityRequest request{nullptr, nullptr, today_, 0};
  bool dated = false;
  if (pos < text.size() && IsDigit(text[pos])) {
    const auto day_month = ReadDayMonth(text, pos);
    if (!day_month) return Error("CHECK DATE");
    const auto date = NextOccurrence(*day_month, today_);
    if (!date) return Error("CHECK DATE");
    request.date = *date;
    dated = true;
  }
  SkipBlanks(text, pos);
  if (pos == text.size()) {
    if (!dated) return Error(kInvalidFormat);
    if (!s.request) return Error(kNoAvailability);
    request.from = s.request->from;
    request.to = s.request->to;
    return ShowAvailability(s, request);
  }
  const auto from = ReadCityCode(text, pos);
  SkipBlanks(text, pos);
  const auto to = ReadCityCode(text, pos);
  if (!from || !to) return Error(kInvalidFormat);
  SkipBlanks(text, pos);
  if (pos < text.size()) {
    if (text.size() - pos != 4 || !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(pos), text.end(), IsDigit)) {
      return Error(kInvalidFormat);
    }
    const int hours = (text[pos] - '0') * 10 + (text[pos + 1] - '0');
    const int minutes = (text[pos + 2] - '0') * 10 + (text[pos + 3] - '0');
    if (hours > 23 || minutes > 59) return Error("CHECK TIME");
    request.from_minutes = hours * 60 + minutes;
  }
  request.from = FindCity(*from);
  request.to = FindCity(*to);
  if (request.from == nullptr || request.to == nullptr) return Error("CHECK CITY CODE");
  if (request.from == request.to) return Error("CHECK CITY PAIR");
  return ShowAvailability(s, request);
}

std::string DemoHost::ShowAvailability(Session& s, const AvailabilityRequest& request) {
  s.request = request;
  s.lines.clear();
  for (Flight& flight : Schedule(*request.from, *request.to)) {
    if (flight.departure >= request.from_minutes) s.lines.push_back(std::move(flight));
  }
  if (s.lines.empty()) return Error("NO FLIGHTS - USE 0A FOR THE NEXT DAY");
  std::vector<std::string> rows;
  rows.reserve(s.lines.size());
  for (std::size_t i = 0; i < s.lines.size(); ++i) {
    rows.push_back(AvailabilityRow(static_cast<int>(i) + 1, s.lines[i], request.date, inventory_));
  }
  return Show(s, Display(AvailabilityHeading(*request.from, *request.to, request.date), std::move(rows)));
}

// F3 sends "0A": the last city pair on the following day, from the first flight.
std::string DemoHost::NextDay(Session& s) {
  if (!s.request) return Error(kNoAvailability);
  AvailabilityRequest request = *s.request;
  request.date = AddDays(request.date, 1);
  request.from_minutes = 0;
  return ShowAvailability(s, request);
}

std::string DemoHost::Sell(Session& s, const std::string& entry) {
  const auto request = ParseSell(entry);
  if (!request) return Error(kInvalidFormat);
  if (!s.request || s.lines.empty()) return Error(kNoAvailability);
  if (request->line < 1 || static_cast<std::size_t>(request->line) > s.lines.size()) return Error("CHECK LINE NUMBER");
  if (request->seats < 1 || request->seats > 9) return Error("CHECK NUMBER OF SEATS");
  if (kBookingClasses.find(request->booking_class) == std::string_view::npos) return Error("CHECK CLASS");
  const Flight& flight = s.lines[static_cast<std::size_t>(request->line) - 1];
  const Date date = s.request->date;
  Booking& booking = s.work.booking;
  if (booking.HasFlight(flight, date)) return Error("DUPLICATE SEGMENT");
  if (booking.segments.size() >= kMaxSegments) return Error("MAX 16 SEGMENTS");
  const int available = inventory_.Available(flight, date, request->booking_class);
  const std::string cls(1, request->booking_class);
  if (available == 0) return Error("UNABLE - CLASS " + cls + " FULL");
  if (available < request->seats) return Error("UNABLE - " + Plural(static_cast<std::size_t>(available), "SEAT") + " LEFT IN " + cls);

  inventory_.Take(flight, date, request->booking_class, request->seats);
  Segment segment{flight, date, request->booking_class, request->seats, false};
  const int number = booking.AddSegment(segment);
  s.work.modified = true;
  return AddedResponse({SegmentRow(number, segment)});
}

std::string DemoHost::AddName(Session& s, std::string_view text) {
  if (!IsValidName(text)) return Error("CHECK NAME");
  Booking& booking = s.work.booking;
  if (booking.names.size() >= kMaxNames) return Error("MAX 9 NAMES");
  booking.names.emplace_back(text);
  s.work.modified = true;
  return AddedResponse({"NAME " + std::to_string(booking.names.size()) + " ADDED - " + std::string(text)});
}

std::string DemoHost::AddPhone(Session& s, std::string_view text) {
  if (text.empty() || text.size() > kMaxFieldLength || std::none_of(text.begin(), text.end(), IsDigit)) {
    return Error("CHECK PHONE");
  }
  Booking& booking = s.work.booking;
  if (booking.phones.size() >= kMaxPhones) return Error("MAX 3 PHONES");
  booking.phones.emplace_back(text);
  s.work.modified = true;
  return AddedResponse({"PHONE " + std::to_string(booking.phones.size()) + " ADDED"});
}

// "T/" (ticketed) or "TAW10JUN/" (ticket by that date); a new one replaces the old.
std::string DemoHost::SetTicketing(Session& s, std::string_view text) {
  bool valid = text == "T/";
  if (!valid && text.starts_with("TAW") && text.ends_with("/")) {
    const std::string_view date_text = text.substr(3, text.size() - 4);
    std::size_t pos = 0;
    const auto day_month = ReadDayMonth(date_text, pos);
    valid = day_month && pos == date_text.size() && NextOccurrence(*day_month, today_);
  }
  if (!valid) return Error("CHECK TICKETING");
  s.work.booking.ticketing = std::string(text);
  s.work.modified = true;
  return AddedResponse({"TICKETING ADDED - " + std::string(text)});
}

std::string DemoHost::SetReceivedFrom(Session& s, std::string_view text) {
  if (text.empty() || text.size() > kMaxFieldLength) return Error("CHECK RECEIVED FROM");
  s.work.booking.received_from = std::string(text);
  s.work.modified = true;
  return AddedResponse({"RECEIVED FROM ADDED - " + std::string(text)});
}

std::string DemoHost::AddRemark(Session& s, std::string_view text) {
  if (text.empty() || text.size() > kRowWidth - 6) return Error("CHECK REMARK");
  Booking& booking = s.work.booking;
  if (booking.remarks.size() >= kMaxRemarks) return Error("MAX 10 REMARKS");
  booking.remarks.emplace_back(text);
  s.work.modified = true;
  return AddedResponse({"REMARK " + std::to_string(booking.remarks.size()) + " ADDED"});
}

std::string DemoHost::End(Session& s, bool redisplay) {
  Transaction& work = s.work;
  if (!work.Active()) return Error(kNoTransaction);
  const Booking& booking = work.booking;
  if (work.modified) {
    // A changed record may lose its itinerary; a new one needs one.
    if (work.locator.empty() && booking.segments.empty()) return Error("NEED ITINERARY");
    if (booking.names.empty()) return Error("NEED NAME - USE -");
    if (booking.phones.empty()) return Error("NEED PHONE - USE 9");
    if (booking.ticketing.empty()) return Error("NEED TICKETING - USE 7");
    if (booking.received_from.empty()) return Error("NEED RECEIVED FROM - USE 6");
    for (const Segment& segment : booking.segments) {
      if (static_cast<std::size_t>(segment.seats) != booking.names.size()) return Error("CHECK NUMBER IN PARTY");
    }
    if (!work.locator.empty() && records_[work.locator].version != work.base_version) {
      return Error("SIMULTANEOUS CHANGES - USE IR");
    }
    if (work.locator.empty()) work.locator = NewLocator();
    Record& record = records_[work.locator];
    record.booking = booking;
    ++record.version;
    for (Segment& segment : record.booking.segments) {
      if (segment.filed) continue;
      segment.filed = true;
      if (s.messages.size() >= kMaxMessages) s.messages.pop_front();
      s.messages.push_back(work.locator + "  " + SegmentText(segment) + " CONFIRMED");
    }
  }
  const std::string locator = work.locator;
  work = Transaction{};
  if (!redisplay) return AddedResponse({"END OF TRANSACTION - RECORD LOCATOR " + locator});
  return Retrieve(s, locator);
}

std::string DemoHost::Retrieve(Session& s, const std::string& locator) {
  if (locator.size() != 6 || !std::all_of(locator.begin(), locator.end(), [](char c) { return IsLetter(c) || IsDigit(c); })) {
    return Error(kInvalidFormat);
  }
  if (s.work.modified) return Error("FINISH OR IGNORE");
  const auto it = records_.find(locator);
  if (it == records_.end()) return Error("RECORD NOT FOUND");
  s.work = Transaction{it->second.booking, it->second.booking.segments, locator, it->second.version, false};
  return ShowRecord(s);
}

std::string DemoHost::Redisplay(Session& s) {
  if (!s.work.Active()) return Error(kNoTransaction);
  return ShowRecord(s);
}

std::string DemoHost::ShowRecord(Session& s) {
  const Transaction& work = s.work;
  std::string heading = work.locator.empty() ? "RECORD NOT YET FILED" : "RECORD " + work.locator;
  if (work.modified && !work.locator.empty()) heading += " - CHANGED, NOT FILED";
  return Show(s, Display(std::move(heading), RecordRows(work.booking)));
}

// Gives back the seats of what the session sold or cancelled since the record
// was retrieved (or of everything, for a new record).
void DemoHost::Revert(Transaction& work) {
  for (const Segment& segment : work.booking.segments) {
    inventory_.Release(segment.flight, segment.date, segment.booking_class, segment.seats);
  }
  for (const Segment& segment : work.base_segments) {
    inventory_.Take(segment.flight, segment.date, segment.booking_class, segment.seats);
  }
  work = Transaction{};
}

std::string DemoHost::Ignore(Session& s, bool retrieve) {
  const std::string locator = s.work.locator;
  if (retrieve && locator.empty()) return Error("NO RECORD RETRIEVED");
  Revert(s.work);
  if (!retrieve) return AddedResponse({"IGNORED"});
  return Retrieve(s, locator);
}

std::string DemoHost::CancelItinerary(Session& s) {
  Transaction& work = s.work;
  if (!work.Active()) return Error(kNoTransaction);
  if (work.booking.segments.empty()) return Error("NO ITINERARY");
  for (const Segment& segment : work.booking.segments) {
    inventory_.Release(segment.flight, segment.date, segment.booking_class, segment.seats);
  }
  const std::size_t count = work.booking.segments.size();
  work.booking.segments.clear();
  work.modified = true;
  return AddedResponse({"ITINERARY CANCELLED - " + Plural(count, "SEGMENT")});
}

std::string DemoHost::CancelSegment(Session& s, std::string_view number) {
  std::size_t pos = 0;
  const auto n = ReadSmallNumber(number, pos);
  if (!n || pos != number.size()) return Error(kInvalidFormat);
  Transaction& work = s.work;
  if (!work.Active()) return Error(kNoTransaction);
  if (*n < 1 || static_cast<std::size_t>(*n) > work.booking.segments.size()) return Error("CHECK SEGMENT NUMBER");
  const auto it = work.booking.segments.begin() + (*n - 1);
  inventory_.Release(it->flight, it->date, it->booking_class, it->seats);
  work.booking.segments.erase(it);
  work.modified = true;
  return AddedResponse({"SEGMENT " + std::to_string(*n) + " CANCELLED"});
}

// "U": the carriers' confirmations of the session's filed segments, shown once.
std::string DemoHost::Messages(Session& s) {
  if (s.messages.empty()) return AddedResponse({"NO MESSAGES"});
  std::vector<std::string> rows(s.messages.begin(), s.messages.end());
  s.messages.clear();
  return Show(s, Display("UNSOLICITED MESSAGES", std::move(rows)));
}

// Six characters without the easily confused I, O, 0 and 1.
std::string DemoHost::NewLocator() {
  static constexpr std::string_view kAlphabet = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  for (;;) {
    std::uint64_t bits = Mix(++locators_issued_ * 0x2545F4914F6CDD1Dull);
    std::string locator;
    for (int i = 0; i < 6; ++i, bits >>= 5) locator.push_back(kAlphabet[bits % kAlphabet.size()]);
    if (!records_.contains(locator)) return locator;
  }
}

}  // namespace zv::host
