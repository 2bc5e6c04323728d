// The demo host's world: the cities it knows and its fictional carriers.
#pragma once

#include <span>
#include <string_view>

namespace zv::host {

struct City {
  std::string_view code;  // three letters, one airport per city
  std::string_view name;
  double latitude;
  double longitude;
  int utc_offset_minutes;  // standard time all year round
};

struct Carrier {
  std::string_view code;
  std::string_view name;
};

std::span<const City> Cities();
const City* FindCity(std::string_view code);

std::span<const Carrier> Carriers();

// Great-circle distance in kilometres.
int DistanceKm(const City& from, const City& to);

// Block time of a direct flight in minutes, a multiple of five.
int FlightMinutes(const City& from, const City& to);

}  // namespace zv::host
