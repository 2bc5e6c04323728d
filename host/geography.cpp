#include "host/geography.h"

#include <array>
#include <cmath>
#include <numbers>

namespace zv::host {
namespace {

constexpr std::array<City, 36> kCities = {{
    {"AMS", "AMSTERDAM", 52.31, 4.76, 60},     {"ATH", "ATHENS", 37.94, 23.94, 120},
    {"BCN", "BARCELONA", 41.30, 2.08, 60},     {"BRU", "BRUSSELS", 50.90, 4.48, 60},
    {"CAI", "CAIRO", 30.12, 31.41, 120},       {"CHI", "CHICAGO", 41.97, -87.90, -360},
    {"CPH", "COPENHAGEN", 55.62, 12.65, 60},   {"DEL", "DELHI", 28.56, 77.10, 330},
    {"DUB", "DUBLIN", 53.42, -6.27, 0},        {"DXB", "DUBAI", 25.25, 55.36, 240},
    {"EDI", "EDINBURGH", 55.95, -3.37, 0},     {"FRA", "FRANKFURT", 50.03, 8.57, 60},
    {"HEL", "HELSINKI", 60.32, 24.96, 120},    {"HKG", "HONG KONG", 22.31, 113.91, 480},
    {"IST", "ISTANBUL", 41.26, 28.74, 180},    {"JNB", "JOHANNESBURG", -26.14, 28.24, 120},
    {"LAX", "LOS ANGELES", 33.94, -118.41, -480}, {"LIS", "LISBON", 38.77, -9.13, 0},
    {"LON", "LONDON", 51.47, -0.45, 0},        {"MAD", "MADRID", 40.47, -3.57, 60},
    {"MAN", "MANCHESTER", 53.35, -2.27, 0},    {"MIA", "MIAMI", 25.80, -80.29, -300},
    {"MIL", "MILAN", 45.63, 8.72, 60},         {"NYC", "NEW YORK", 40.64, -73.78, -300},
    {"OSL", "OSLO", 60.19, 11.10, 60},         {"PAR", "PARIS", 49.01, 2.55, 60},
    {"PRG", "PRAGUE", 50.10, 14.26, 60},       {"ROM", "ROME", 41.80, 12.25, 60},
    {"SIN", "SINGAPORE", 1.36, 103.99, 480},   {"STO", "STOCKHOLM", 59.65, 17.92, 60},
    {"SYD", "SYDNEY", -33.94, 151.18, 600},    {"TYO", "TOKYO", 35.55, 139.78, 540},
    {"VIE", "VIENNA", 48.11, 16.57, 60},       {"WAW", "WARSAW", 52.17, 20.97, 60},
    {"YTO", "TORONTO", 43.68, -79.63, -300},   {"ZRH", "ZURICH", 47.46, 8.55, 60},
}};

// Invented airlines; the codes are only this demo's.
constexpr std::array<Carrier, 6> kCarriers = {{
    {"BV", "BLUEVALE AIRWAYS"},
    {"KD", "KESTREL DIRECT"},
    {"NQ", "NORDQUILL AIR"},
    {"SX", "SORREL EXPRESS"},
    {"TL", "TAMBERLINE"},
    {"WR", "WESTRUN AIRLINES"},
}};

}  // namespace

std::span<const City> Cities() { return kCities; }

const City* FindCity(std::string_view code) {
  for (const City& city : kCities) {
    if (city.code == code) return &city;
  }
  return nullptr;
}

std::span<const Carrier> Carriers() { return kCarriers; }

int DistanceKm(const City& from, const City& to) {
  constexpr double kEarthRadiusKm = 6371.0;
  constexpr double kRadians = std::numbers::pi / 180.0;
  const double lat1 = from.latitude * kRadians;
  const double lat2 = to.latitude * kRadians;
  const double dlat = lat2 - lat1;
  const double dlon = (to.longitude - from.longitude) * kRadians;
  const double a = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(lat1) * std::cos(lat2) * std::sin(dlon / 2) * std::sin(dlon / 2);
  return static_cast<int>(2.0 * kEarthRadiusKm * std::asin(std::sqrt(a)));
}

// About 800 km/h in the air plus 40 minutes of taxi, climb and approach.
int FlightMinutes(const City& from, const City& to) {
  const int minutes = 40 + DistanceKm(from, to) * 60 / 800;
  return (minutes + 2) / 5 * 5;
}

}  // namespace zv::host
