// Windows-1252 to UTF-8 and back for the JSON lines of the subprocess link.
// zvhost stands apart from the control's library, so it keeps its own small
// table; the five bytes 1252 leaves undefined map to the C1 controls of the
// same value, so every byte survives a round trip.
#pragma once

#include <string>
#include <string_view>

namespace zv::host {

std::string Cp1252ToUtf8(std::string_view text);
// Malformed UTF-8 and characters 1252 cannot hold become '?'.
std::string Utf8ToCp1252(std::string_view text);

}  // namespace zv::host
