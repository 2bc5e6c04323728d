#include "host/demo_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace zv::host {
namespace {

using testing::AddsBelow;
using testing::Clears;
using testing::ExpectWellFormed;
using testing::Message;
using testing::Rows;

class DemoHostTest : public ::testing::Test {
 protected:
  std::string Enter(std::string_view entry, int session = 1) {
    std::string response = host_.Answer(session, entry);
    ExpectWellFormed(response, entry);
    return response;
  }
  std::string Say(std::string_view entry, int session = 1) { return Message(Enter(entry, session)); }
  // Entries in order with the one-row message each gets; an empty message:
  // entered without a check.
  void Expect(std::initializer_list<std::pair<std::string, std::string>> script, int session = 1) {
    for (const auto& [entry, message] : script) {
      if (message.empty()) {
        Enter(entry, session);
      } else {
        EXPECT_EQ(Say(entry, session), message) << entry;
      }
    }
  }

  // Seats shown for a class on an availability row.
  static int Seats(const std::string& row, char booking_class) {
    const std::size_t at = row.find(std::string(" ") + booking_class, 11);
    return at == std::string::npos ? -1 : row[at + 2] - '0';
  }

  // The availability row of a line after a fresh request, without the line number.
  std::string LineRow(std::string_view request, int line, int session = 1) {
    const std::string response = Enter(request, session);
    const auto rows = Rows(response);
    return static_cast<std::size_t>(line) < rows.size() ? rows[static_cast<std::size_t>(line)] : "";
  }

  // Every body row of the display an entry makes, page by page.
  std::vector<std::string> AllLines(std::string_view entry) {
    std::vector<std::string> lines;
    for (std::string page = Enter(entry); Clears(page); page = Enter("MD")) {
      const auto rows = Rows(page);
      lines.insert(lines.end(), rows.begin() + 1, rows.end());
    }
    return lines;
  }

  static std::string Departure(const std::string& segment_row) {
    return segment_row.substr(segment_row.find("SS") + 5, 4);
  }

  // Files a record of `seats` seats in Y from line `line` on 10JUN LON-PAR.
  std::string Book(int seats, int line, int session = 1) {
    Enter("A10JUNLONPAR", session);
    Enter("0" + std::to_string(seats) + "Y" + std::to_string(line), session);
    for (int i = 0; i < seats; ++i) Enter("-TRAVELLER/GUEST " + std::string(1, static_cast<char>('A' + i)), session);
    Enter("9 555 0100", session);
    Enter("7T/", session);
    Enter("6AGENT", session);
    const std::string done = Say("E", session);
    const std::string prefix = "END OF TRANSACTION - RECORD LOCATOR ";
    EXPECT_EQ(done.substr(0, prefix.size()), prefix) << done;
    return done.substr(std::min(done.size(), prefix.size()));
  }

  DemoHost host_;  // today is 01JUN2026, a Monday
};

// --- availability ----------------------------------------------------------

TEST_F(DemoHostTest, AvailabilityShowsTheCityPairAndNumberedLinesInDepartureOrder) {
  const auto rows = Rows(Enter("A10JUNLONPAR"));
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(rows[0], "** AVAILABILITY **  10JUN WE  LON LONDON - PAR PARIS");
  std::string previous_departure;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const std::string& row = rows[i];
    EXPECT_EQ(std::stoi(row.substr(0, 2)), static_cast<int>(i)) << row;
    EXPECT_NE(row.find("LONPAR"), std::string::npos) << row;
    for (char booking_class : kBookingClasses) EXPECT_GE(Seats(row, booking_class), 0) << row;
    const std::string departure = row.substr(row.find("LONPAR") + 7, 4);
    EXPECT_GT(departure, previous_departure);
    previous_departure = departure;
  }
}

TEST_F(DemoHostTest, AvailabilitySpellingsAndDates) {
  const std::string expected = Enter("A10JUNLONPAR");
  for (const char* entry : {"A10JUN LON PAR", "a10jun lon par", " A 10JUN LONPAR ", "A10JUN|LON PAR"}) {
    EXPECT_EQ(Enter(entry), expected) << entry;
  }
  // No date is today; a past day and month is next year's; "0A" is the next
  // day; a date alone keeps the last city pair.
  const std::pair<const char*, const char*> dates[] = {
      {"ALONPAR", "01JUN MO"}, {"A15MAYLONPAR", "15MAY SA"}, {"A12JUN", "12JUN FR  LON LONDON - PAR PARIS"},
      {"0A", "13JUN SA"},      {"A31DECNYCTYO", "31DEC TH"}, {"0A", "01JAN FR"}};
  for (const auto& [entry, heading] : dates) {
    EXPECT_TRUE(Rows(Enter(entry))[0].starts_with(std::string("** AVAILABILITY **  ") + heading)) << entry;
  }
}

TEST_F(DemoHostTest, AvailabilityFromATimeAndTheNextDayFromTheStart) {
  const auto whole_day = AllLines("A10JUNLONPAR");
  const auto afternoon = AllLines("A10JUNLONPAR 1400");
  ASSERT_GT(afternoon.size(), 0u);
  ASSERT_LT(afternoon.size(), whole_day.size());
  const std::size_t skipped = whole_day.size() - afternoon.size();
  for (std::size_t i = 0; i < afternoon.size(); ++i) {
    EXPECT_EQ(std::stoi(afternoon[i].substr(0, 2)), static_cast<int>(i) + 1);  // renumbered from 1
    EXPECT_EQ(afternoon[i].substr(2), whole_day[i + skipped].substr(2));
    EXPECT_GE(afternoon[i].substr(afternoon[i].find("LONPAR") + 7, 4), "1400");
  }
  EXPECT_LT(whole_day[skipped - 1].substr(whole_day[skipped - 1].find("LONPAR") + 7, 4), "1400");
  EXPECT_EQ(AllLines("0A").size(), whole_day.size());  // the next day starts with the first flight again
}

TEST_F(DemoHostTest, AvailabilityErrors) {
  // No city pair yet; next February is 2027's.
  Expect({{"A10JUN", "NO AVAILABILITY DISPLAYED"}, {"0A", "NO AVAILABILITY DISPLAYED"}, {"A", "INVALID FORMAT"},
          {"A10JUNLO", "INVALID FORMAT"}, {"A10JUNLONPAR14", "INVALID FORMAT"}, {"A10JUNLONPARIS", "INVALID FORMAT"},
          {"A31APRLONPAR", "CHECK DATE"}, {"A29FEBLONPAR", "CHECK DATE"}, {"A10XYZLONPAR", "CHECK DATE"},
          {"A0JUNLONPAR", "CHECK DATE"}, {"A10JUNLONXYZ", "CHECK CITY CODE"}, {"A10JUNLONLON", "CHECK CITY PAIR"},
          {"A10JUNLONPAR2460", "CHECK TIME"}, {"A10JUNLONPAR2300", "NO FLIGHTS - USE 0A FOR THE NEXT DAY"}});
  EXPECT_TRUE(Clears(Enter("0A")));  // the late request is remembered for the next day
}

TEST(DemoHostSchedule, EveryCityPairFitsTheScreen) {
  const Inventory inventory;
  const Date date{2026, 6, 10};
  for (const City& from : Cities()) {
    for (const City& to : Cities()) {
      if (&from == &to) continue;
      EXPECT_LE(AvailabilityHeading(from, to, date).size(), kRowWidth);
      const auto flights = Schedule(from, to);
      ASSERT_GE(flights.size(), 3u) << from.code << to.code;
      for (std::size_t i = 0; i < flights.size(); ++i) {
        const Flight& f = flights[i];
        EXPECT_LE(AvailabilityRow(static_cast<int>(i) + 1, f, date, inventory).size(), kRowWidth);
        EXPECT_TRUE(f.number >= 1 && f.number <= 9999 && f.arrival >= 0 && f.arrival < 24 * 60 &&
                    f.arrival_day >= -1 && f.arrival_day <= 2 && (i == 0 || f.departure > flights[i - 1].departure))
            << from.code << to.code << " " << i;
      }
    }
  }
}

// --- paging ----------------------------------------------------------------

TEST_F(DemoHostTest, PagingWalksTheDisplayAndStopsAtItsEnds) {
  const std::size_t lines = Schedule(*FindCity("LON"), *FindCity("PAR")).size();
  ASSERT_GT(lines, 14u);
  ASSERT_LE(lines, 28u);
  const std::string first_page = Enter("A10JUNLONPAR");
  ASSERT_EQ(Rows(first_page).size(), kPageRows);

  EXPECT_EQ(Say("MU"), "TOP OF DISPLAY");
  const auto second = Rows(Enter("MD"));
  EXPECT_EQ(second.size(), 1 + lines - 14);
  EXPECT_EQ(second[0], Rows(first_page)[0]);  // the heading is on every page
  EXPECT_EQ(second[1].substr(0, 2), "15");
  EXPECT_EQ(Say("MD"), "END OF DISPLAY");
  EXPECT_EQ(Enter("MT"), first_page);
  const auto bottom = Rows(Enter("MB"));
  EXPECT_EQ(bottom.size(), kPageRows);  // a full last page
  EXPECT_EQ(std::stoi(bottom.back().substr(0, 2)), static_cast<int>(lines));
  EXPECT_EQ(Say("MD"), "END OF DISPLAY");
  EXPECT_EQ(Enter("MU"), first_page);
}

TEST_F(DemoHostTest, PagingNeedsADisplayAndSurvivesErrors) {
  Expect({{"MD", "NO DISPLAY ACTIVE"}, {"MT", "NO DISPLAY ACTIVE"}});
  const std::string first_page = Enter("A10JUNLONPAR");
  Expect({{"NONSENSE", "INVALID FORMAT"}, {"01Y99", "CHECK LINE NUMBER"}});
  EXPECT_EQ(Enter("MT"), first_page);
}

TEST_F(DemoHostTest, HelpIsPagedAndNamesEveryCityAndCarrier) {
  std::string all = Rows(Enter("HELP")).at(0);
  EXPECT_EQ(Enter("H"), Enter("HELP"));
  for (std::string page = Enter("HELP"); Clears(page); page = Enter("MD")) {
    for (const std::string& row : Rows(page)) all += row + "\n";
  }
  for (const char* entry : {"A10JUNLONPAR", "01Y2", "-SMITH/JOHN MR", "7T/", "6P", "*ABC123", "XI", "IR", "0A", "MD"}) {
    EXPECT_NE(all.find(entry), std::string::npos) << entry;
  }
  for (const City& city : Cities()) {
    EXPECT_NE(all.find(std::string(city.code) + " " + std::string(city.name)), std::string::npos);
  }
  for (const Carrier& carrier : Carriers()) {
    EXPECT_NE(all.find(std::string(carrier.code) + " " + std::string(carrier.name)), std::string::npos);
  }
}

// --- selling ---------------------------------------------------------------

TEST_F(DemoHostTest, SellingTakesSeatsFromTheDisplayedLine) {
  const std::string line2 = LineRow("A10JUNLONPAR", 2);
  const int before = Seats(line2, 'Y');
  ASSERT_GE(before, 4);
  const std::string sold = Enter("02Y2");
  ASSERT_TRUE(AddsBelow(sold));
  const std::string flight = line2.substr(3, 2) + line2.substr(6, 4);  // "BV" + "1437"
  EXPECT_EQ(Message(sold).substr(0, 10), " 1 " + flight + "Y");
  EXPECT_NE(Message(sold).find("10JUN WE LONPAR SS2"), std::string::npos);
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 2), 'Y'), before - 2);
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 2, 7), 'Y'), before - 2);  // one inventory for every session

  EXPECT_EQ(Say("N1Y3").substr(0, 3), " 2 ");
}

TEST_F(DemoHostTest, SellErrors) {
  EXPECT_EQ(Say("01Y1"), "NO AVAILABILITY DISPLAYED");
  const auto rows = Rows(Enter("A10JUNLONPAR"));
  const std::size_t lines = Schedule(*FindCity("LON"), *FindCity("PAR")).size();
  Expect({{"01Y0", "CHECK LINE NUMBER"}, {"01Y" + std::to_string(lines + 1), "CHECK LINE NUMBER"},
          {"00Y1", "CHECK NUMBER OF SEATS"}, {"N12Y1", "CHECK NUMBER OF SEATS"}, {"01Q1", "CHECK CLASS"},
          {"01Y", "INVALID FORMAT"}, {"0Y1", "INVALID FORMAT"}, {"01Y1X", "INVALID FORMAT"}, {"01Y1", ""},
          {"01C1", "DUPLICATE SEGMENT"}});

  // A full class and a class with fewer seats than asked for.
  bool full_seen = false;
  bool short_seen = false;
  for (std::size_t line = 2; line < rows.size() && !(full_seen && short_seen); ++line) {
    for (char booking_class : kBookingClasses) {
      const int seats = Seats(rows[line], booking_class);
      const std::string sell = "0" + std::to_string(seats + 1) + booking_class + std::to_string(line);
      if (seats == 0 && !full_seen) {
        EXPECT_EQ(Say(sell), std::string("UNABLE - CLASS ") + booking_class + " FULL");
        full_seen = true;
      } else if (seats >= 1 && seats <= 8 && !short_seen) {
        EXPECT_EQ(Say(sell), "UNABLE - " + std::to_string(seats) + (seats == 1 ? " SEAT" : " SEATS") + " LEFT IN " +
                                 std::string(1, booking_class));
        short_seen = true;
      }
    }
  }
  EXPECT_TRUE(full_seen && short_seen);
}

TEST_F(DemoHostTest, SegmentsAreKeptInDateAndDepartureOrder) {
  Enter("A10JUNLONPAR");
  Enter("01Y5");
  EXPECT_EQ(Say("01Y2").substr(0, 3), " 1 ");  // earlier than line 5: numbered first
  Enter("A9JUNPARLON");
  EXPECT_EQ(Say("01Y9").substr(0, 3), " 1 ");  // the day before
  const auto record = Rows(Enter("*R"));
  ASSERT_EQ(record.size(), 4u);
  EXPECT_EQ(record[0], "RECORD NOT YET FILED");
  EXPECT_NE(record[1].find("09JUN TU PARLON"), std::string::npos);
  EXPECT_LT(Departure(record[2]), Departure(record[3]));
}

// --- the record ------------------------------------------------------------

TEST_F(DemoHostTest, BookingFromAvailabilityToRecordLocatorAndBack) {
  Enter("A10JUNLONPAR");
  const std::string segment = Say("02Y2");
  Expect({{"-SMITH/JOHN MR", "NAME 1 ADDED - SMITH/JOHN MR"}, {"-SMITH/JANE MRS", "NAME 2 ADDED - SMITH/JANE MRS"},
          {"9 555 1234", "PHONE 1 ADDED"}, {"7T/", "TICKETING ADDED - T/"}, {"5WINDOW SEATS", "REMARK 1 ADDED"},
          {"6P", "RECEIVED FROM ADDED - P"}});
  const std::string ended = Say("E");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(ended, match, std::regex("END OF TRANSACTION - RECORD LOCATOR ([A-HJ-NP-Z2-9]{6})")))
      << ended;
  const std::string locator = match[1];
  Expect({{"*R", "NO TRANSACTION PRESENT"}, {"E", "NO TRANSACTION PRESENT"}});  // the session starts afresh

  // Any session retrieves it; the segment is now confirmed (HK).
  const std::string retrieved = Enter("*" + locator, 2);
  ASSERT_TRUE(Clears(retrieved));
  std::string confirmed = segment;
  confirmed.replace(confirmed.find("SS2"), 3, "HK2");
  const std::vector<std::string> expected = {"RECORD " + locator, " 1.1SMITH/JOHN MR", " 2.1SMITH/JANE MRS",
                                             confirmed,          "TICKETING",         "  T/",
                                             "PHONES",           "  1.555 1234",      "REMARKS",
                                             "  1.WINDOW SEATS", "RECEIVED FROM - P"};
  EXPECT_EQ(Rows(retrieved), expected);
  EXPECT_EQ(Enter("*R", 2), retrieved);

  // The carrier's confirmation waits as an unsolicited message of the booking session.
  EXPECT_EQ(Say("U", 2), "NO MESSAGES");
  const auto messages = Rows(Enter("U"));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "UNSOLICITED MESSAGES");
  EXPECT_EQ(messages[1], locator + "  " + confirmed.substr(3) + " CONFIRMED");
  EXPECT_EQ(Say("U"), "NO MESSAGES");
}

TEST_F(DemoHostTest, EndSaysWhatIsMissingInOrder) {
  // Two seats need two names.
  Expect({{"E", "NO TRANSACTION PRESENT"}, {"-SMITH/JOHN MR", ""}, {"E", "NEED ITINERARY"}, {"A10JUNLONPAR", ""},
          {"02Y1", ""}, {"E", "NEED PHONE - USE 9"}, {"9 555 1234", ""}, {"E", "NEED TICKETING - USE 7"},
          {"7TAW8JUN/", ""}, {"E", "NEED RECEIVED FROM - USE 6"}, {"6MRS SMITH", ""}, {"E", "CHECK NUMBER IN PARTY"},
          {"-SMITH/JANE MRS", ""}});
  EXPECT_EQ(Say("E").substr(0, 19), "END OF TRANSACTION ");
  Expect({{"01Y3", ""}, {"E", "NEED NAME - USE -"}});
}

TEST_F(DemoHostTest, FieldEntriesCheckTheirFormat) {
  for (const char* name : {"-SMITH", "-S/JOHN", "-SMITH/", "-SMITH/JOHN  MR", "-SM1TH/JOHN", "-SMITH /JOHN"}) {
    EXPECT_EQ(Say(name), "CHECK NAME") << name;
  }
  EXPECT_EQ(Say("-VAN DER BERG/ANNA MS"), "NAME 1 ADDED - VAN DER BERG/ANNA MS");
  EXPECT_EQ(Say("-" + std::string(39, 'X') + "/A"), "CHECK NAME");  // longer than 40
  for (int i = 2; i <= 9; ++i) Enter("-DOE/J");
  EXPECT_EQ(Say("-DOE/J"), "MAX 9 NAMES");

  Expect({{"9", "CHECK PHONE"}, {"9 HOME", "CHECK PHONE"}, {"91", ""}, {"92", ""}, {"93", "PHONE 3 ADDED"},
          {"94", "MAX 3 PHONES"}});

  for (const char* ticketing : {"7", "7T", "7TAW/", "7TAW31APR/", "7TAW10JUN"}) {
    EXPECT_EQ(Say(ticketing), "CHECK TICKETING") << ticketing;
  }
  // "T/" replaces the time limit.
  Expect({{"7TAW10JUN/", "TICKETING ADDED - TAW10JUN/"}, {"7T/", "TICKETING ADDED - T/"},
          {"6", "CHECK RECEIVED FROM"}, {"5", "CHECK REMARK"}, {"5" + std::string(59, 'R'), "CHECK REMARK"},
          {"5" + std::string(58, 'R'), "REMARK 1 ADDED"}});
  for (int i = 2; i <= 10; ++i) Enter("5R");
  EXPECT_EQ(Say("5R"), "MAX 10 REMARKS");

  const auto record = Rows(Enter("*R"));
  EXPECT_EQ(record[10], "NO ITINERARY");
  EXPECT_EQ(record[11], "TICKETING");
  EXPECT_EQ(record[12], "  T/");
}

TEST_F(DemoHostTest, CancellingAndIgnoringGiveSeatsBack) {
  const int offered = Seats(LineRow("A10JUNLONPAR", 1), 'Y');
  const std::string locator = Book(1, 1);
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 1), 'Y'), offered - 1);

  Enter("*" + locator);
  EXPECT_EQ(Say("XI"), "ITINERARY CANCELLED - 1 SEGMENT");
  EXPECT_EQ(Say("XI"), "NO ITINERARY");
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 1), 'Y'), offered);
  const auto changed = Rows(Enter("*R"));
  EXPECT_EQ(changed[0], "RECORD " + locator + " - CHANGED, NOT FILED");
  EXPECT_EQ(changed[2], "NO ITINERARY");
  EXPECT_EQ(Say("I"), "IGNORED");
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 1), 'Y'), offered - 1);
  EXPECT_NE(Rows(Enter("*" + locator))[2].find("HK1"), std::string::npos);  // still booked

  // Cancelled and filed: the record stays, without its flight.
  Enter("XI");
  EXPECT_EQ(Say("E"), "END OF TRANSACTION - RECORD LOCATOR " + locator);
  EXPECT_EQ(Rows(Enter("*" + locator))[2], "NO ITINERARY");
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 1), 'Y'), offered);

  // Unfiled sales go back on ignore.
  Enter("I");
  Enter("A10JUNLONPAR");
  Enter("03Y1");
  Enter("01Y4");
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 1), 'Y'), offered - 3);
  EXPECT_EQ(Say("X1"), "SEGMENT 1 CANCELLED");
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 1), 'Y'), offered);
  // Ignoring nothing is harmless.
  Expect({{"X2", "CHECK SEGMENT NUMBER"}, {"X0", "CHECK SEGMENT NUMBER"}, {"XA", "INVALID FORMAT"}, {"I", "IGNORED"},
          {"X1", "NO TRANSACTION PRESENT"}, {"XI", "NO TRANSACTION PRESENT"}, {"I", "IGNORED"}});
}

TEST_F(DemoHostTest, RetrievingAndEndingAgain) {
  Expect({{"IR", "NO RECORD RETRIEVED"}, {"*ZZZZZZ", "RECORD NOT FOUND"}, {"*ABC", "INVALID FORMAT"}});
  const std::string locator = Book(1, 3);
  const std::string filed = Enter("*" + locator);
  EXPECT_EQ(Rows(filed)[0], "RECORD " + locator);
  Enter("5AISLE");
  EXPECT_EQ(Say("*" + locator), "FINISH OR IGNORE");
  EXPECT_EQ(Enter("IR"), filed);  // the change is gone
  EXPECT_EQ(Enter("ER"), filed);  // nothing changed: ended, and shown as retrieved again
  EXPECT_EQ(Enter("*R"), filed);
  EXPECT_EQ(Say("E"), "END OF TRANSACTION - RECORD LOCATOR " + locator);
  EXPECT_EQ(Say("E"), "NO TRANSACTION PRESENT");
}

TEST_F(DemoHostTest, SimultaneousChangesAreRefused) {
  const std::string locator = Book(1, 2);
  Enter("*" + locator, 1);
  Enter("*" + locator, 2);
  Enter("5FIRST", 1);
  EXPECT_EQ(Say("E", 1), "END OF TRANSACTION - RECORD LOCATOR " + locator);
  Enter("5SECOND", 2);
  EXPECT_EQ(Say("E", 2), "SIMULTANEOUS CHANGES - USE IR");
  const auto current = Rows(Enter("IR", 2));
  EXPECT_NE(std::find(current.begin(), current.end(), "  1.FIRST"), current.end());
  EXPECT_EQ(std::find(current.begin(), current.end(), "  1.SECOND"), current.end());
}

TEST_F(DemoHostTest, SessionsKeepTheirOwnContext) {
  const int offered = Seats(LineRow("A10JUNLONPAR", 1), 'Y');
  Enter("02Y1");
  Expect({{"MD", "NO DISPLAY ACTIVE"}, {"01Y1", "NO AVAILABILITY DISPLAYED"}, {"*R", "NO TRANSACTION PRESENT"},
          {"E", "NO TRANSACTION PRESENT"}}, 2);
  EXPECT_EQ(Seats(LineRow("A10JUNLONPAR", 1, 2), 'Y'), offered - 2);  // the seats are held meanwhile
  EXPECT_EQ(Say("01Y1", 2).substr(0, 3), " 1 ");
  EXPECT_EQ(Rows(Enter("*R", 1)).size(), 2u);
}

// --- the whole protocol ----------------------------------------------------

std::vector<std::string> Script() {
  return {"HELP", "MD", "MB", "MU", "A10JUNLONPAR", "MD", "MD", "MT", "02Y3", "N2C14", "-SMITH/JOHN MR",
          "-SMITH/JANE MRS", "9 555 1234", "7T/", "6P", "5VEGETARIAN", "*R", "E", "U", "A11JUN", "0A",
          "01Y1", "-DOE/JANE", "9 555 9999", "7TAW5JUN/", "6JANE", "ER", "XI", "E", "I", "0A", "01J4", "I",
          "A10JUN NYC SYD 1200", "MB", "X1", "IR", "U"};
}

TEST(DemoHostProtocol, SameEntriesGetTheSameAnswers) {
  DemoHost first;
  DemoHost second;
  std::set<std::string> locators;
  const std::regex locator("RECORD (LOCATOR )?([A-HJ-NP-Z2-9]{6})(\\||$)");
  for (const std::string& entry : Script()) {
    const std::string answer = first.Answer(3, entry);
    EXPECT_EQ(second.Answer(3, entry), answer) << entry;
    std::smatch match;
    if (std::regex_search(answer, match, locator)) locators.insert(match[2]);
  }
  EXPECT_EQ(locators.size(), 2u);  // the second record is filed twice
}

TEST(DemoHostProtocol, EveryResponseIsWellFormed) {
  DemoHost host;
  std::vector<std::string> entries = Script();
  for (const char* odd : {"", " ", "|", "||", "HELLO", "Z", "8", "N", "0", "*", "X", "-", "9", "\xA3\x80\xFF",
                          "A10JUN|LON PAR", "-SMITH|JOHN"}) {
    entries.emplace_back(odd);
  }
  entries.push_back(std::string(1020, 'A'));
  entries.push_back("5" + std::string(1019, '|'));
  entries.push_back("-" + std::string(1019, 'B'));
  for (const City& from : Cities()) entries.push_back("A10JUN" + std::string(from.code) + "TYO");
  for (const std::string& entry : entries) {
    const std::string response = host.Answer(1, entry);
    ExpectWellFormed(response, entry);
  }
  for (const char* unknown : {"HELLO", "Z", "8", "N", "0", "*", "X"}) {
    EXPECT_EQ(Message(host.Answer(2, unknown)), "INVALID FORMAT") << unknown;
  }
}

TEST(DemoHostProtocol, LocatorsAreDistinct) {
  DemoHost host;
  std::set<std::string> seen;
  for (int i = 0; i < 40; ++i) {
    const std::string sell = "01Y" + std::to_string(1 + i % 10);
    for (const char* entry : {"A10JUNLONPAR", sell.c_str(), "-DOE/JOHN", "9 1", "7T/", "6A"}) host.Answer(1, entry);
    const std::string done = Message(host.Answer(1, "E"));
    EXPECT_TRUE(done.starts_with("END OF TRANSACTION")) << done;
    EXPECT_TRUE(seen.insert(done).second) << done;
  }
  EXPECT_EQ(seen.size(), 40u);
}

}  // namespace
}  // namespace zv::host
