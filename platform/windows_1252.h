// Conversion between the logic's 8-bit Windows-1252 text and the UTF-8 used
// by Linux file names and our text files. Kept small and local to the
// operating-system services until the shared code-page module replaces it.
#pragma once

#include <string>
#include <string_view>

namespace zv::platform {

// Every byte has a code point: the five unassigned bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, as the desktop's own
// conversion does, so that 8-bit text survives a round trip unchanged.
std::string Windows1252ToUtf8(std::string_view text);

// Characters outside Windows-1252 and malformed UTF-8 bytes become '?'.
std::string Utf8ToWindows1252(std::string_view text);

// One character's code point and back ('?' for code points 1252 lacks).
char32_t Windows1252ToCodePoint(char c);
char CodePointToWindows1252(char32_t code_point);

// Lower case of a Windows-1252 character (ASCII and the accented letters).
char Windows1252ToLower(char c);

// Case-insensitive comparison in Windows-1252.
bool EqualsIgnoreCase1252(std::string_view a, std::string_view b);
bool LessIgnoreCase1252(std::string_view a, std::string_view b);

}  // namespace zv::platform
