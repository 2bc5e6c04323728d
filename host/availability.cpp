#include "host/availability.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace zv::host {
namespace {

std::string_view Equipment(int distance_km, std::uint64_t pick) {
  static constexpr std::array<std::string_view, 4> kShort = {"E90", "319", "320", "73H"};
  static constexpr std::array<std::string_view, 4> kMedium = {"320", "321", "32N", "73H"};
  static constexpr std::array<std::string_view, 4> kLong = {"359", "77W", "788", "333"};
  const auto& table = distance_km < 1500 ? kShort : distance_km < 4500 ? kMedium : kLong;
  return table[pick % table.size()];
}

// Daily frequencies fall with distance, as they do on real routes.
int FlightCount(int distance_km, std::uint64_t seed) {
  if (distance_km < 1500) return 10 + static_cast<int>(seed % 13);
  if (distance_km < 4500) return 6 + static_cast<int>(seed % 7);
  return 3 + static_cast<int>(seed % 4);
}

}  // namespace

std::uint64_t HashText(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::uint64_t Mix(std::uint64_t value) {  // splitmix64 finaliser
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

std::vector<Flight> Schedule(const City& from, const City& to) {
  const std::uint64_t seed = Mix(HashText(std::string(from.code) + std::string(to.code)));
  const int distance = DistanceKm(from, to);
  const int count = FlightCount(distance, seed);
  const auto carriers = Carriers();
  const std::size_t carrier_count = 2 + (seed >> 8) % 3;
  const std::size_t first_carrier = (seed >> 16) % carriers.size();
  const int block_minutes = FlightMinutes(from, to);

  std::vector<Flight> flights;
  flights.reserve(static_cast<std::size_t>(count));
  // Departures spread from 06:00 to 21:30 with a little jitter; the spacing
  // (at least 42 minutes) is larger than the jitter, so the list stays ordered.
  constexpr int kFirstDeparture = 6 * 60;
  constexpr int kSpan = 15 * 60 + 30;
  for (int i = 0; i < count; ++i) {
    const std::uint64_t r = Mix(seed + static_cast<std::uint64_t>(i));
    const std::size_t slot = static_cast<std::size_t>(i) % carrier_count;
    const Carrier& carrier = carriers[(first_carrier + slot) % carriers.size()];
    Flight flight;
    flight.carrier = std::string(carrier.code);
    // Each carrier numbers the pair's flights upwards from its own base, two apart.
    const int base = 100 + static_cast<int>(Mix(seed ^ HashText(carrier.code)) % 8800);
    flight.number = base + 2 * (i / static_cast<int>(carrier_count));
    flight.origin = std::string(from.code);
    flight.destination = std::string(to.code);
    flight.departure = (kFirstDeparture + i * kSpan / count + static_cast<int>(r % 6) * 5) / 5 * 5;
    const int arrival = flight.departure + block_minutes + to.utc_offset_minutes - from.utc_offset_minutes;
    flight.arrival_day = arrival >= 0 ? arrival / (24 * 60) : -1;  // no route arrives two days early
    flight.arrival = arrival - flight.arrival_day * 24 * 60;
    flight.equipment = std::string(Equipment(distance, r >> 32));
    flights.push_back(std::move(flight));
  }
  return flights;
}

int OfferedSeats(const Flight& flight, const Date& date, char booking_class) {
  const std::size_t index = kBookingClasses.find(booking_class);
  if (index == std::string_view::npos) return 0;
  const std::uint64_t r = Mix(HashText(flight.carrier + flight.origin + flight.destination) ^
                              (static_cast<std::uint64_t>(flight.number) << 32) ^
                              (static_cast<std::uint64_t>(DaysSinceEpoch(date)) << 8) ^ index);
  switch (booking_class) {
    case 'Y':
      return 4 + static_cast<int>(r % 6);  // full fare is always sellable in the demo
    case 'B':
    case 'M':
      return std::min(9, static_cast<int>(r % 16));
    default:
      return static_cast<int>(r % 10);
  }
}

Inventory::Key Inventory::KeyOf(const Flight& flight, const Date& date, char booking_class) {
  return {flight.carrier, flight.number, flight.origin + flight.destination, DaysSinceEpoch(date), booking_class};
}

int Inventory::Available(const Flight& flight, const Date& date, char booking_class) const {
  const int offered = OfferedSeats(flight, date, booking_class);
  const auto it = sold_.find(KeyOf(flight, date, booking_class));
  return std::max(0, offered - (it == sold_.end() ? 0 : it->second));
}

void Inventory::Take(const Flight& flight, const Date& date, char booking_class, int seats) {
  sold_[KeyOf(flight, date, booking_class)] += seats;
}

void Inventory::Release(const Flight& flight, const Date& date, char booking_class, int seats) {
  const auto it = sold_.find(KeyOf(flight, date, booking_class));
  if (it == sold_.end()) return;
  it->second -= seats;
  if (it->second <= 0) sold_.erase(it);
}

std::string TimeText(int minutes) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d%02d", (minutes / 60) % 24, minutes % 60);
  return text;
}

std::string DayOffsetText(int days) {
  if (days == 0) return "  ";
  return (days > 0 ? "+" : "-") + std::to_string(days > 0 ? days : -days);
}

std::string AvailabilityHeading(const City& from, const City& to, const Date& date) {
  return "** AVAILABILITY **  " + DayMonthText(date) + " " + std::string(WeekdayCode(date)) + "  " +
         std::string(from.code) + " " + std::string(from.name) + " - " + std::string(to.code) + " " +
         std::string(to.name);
}

std::string AvailabilityRow(int line, const Flight& flight, const Date& date, const Inventory& inventory) {
  char head[16];
  std::snprintf(head, sizeof head, "%2d %s %4d ", line % 100, flight.carrier.c_str(), flight.number % 10000);
  std::string row = head;
  for (char booking_class : kBookingClasses) {
    row += ' ';
    row += booking_class;
    row += static_cast<char>('0' + inventory.Available(flight, date, booking_class));
  }
  row += "  " + flight.origin + flight.destination + " " + TimeText(flight.departure) + " " +
         TimeText(flight.arrival);
  row += DayOffsetText(flight.arrival_day);
  row += " " + flight.equipment;
  return row;
}

}  // namespace zv::host
