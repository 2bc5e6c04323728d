// Conversion between the control's 8-bit code page (Windows-1252) and Unicode.
// The five bytes that 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 controls of the same value, so every byte survives a round
// trip. Characters 1252 cannot hold become '?'; malformed UTF-8 and UTF-16
// become U+FFFD (and so '?' in 1252). No input makes these throw or fail.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv::platform {

char32_t Cp1252ToUnicode(char byte);
std::optional<char> UnicodeToCp1252(char32_t code_point);

std::u16string Cp1252ToUtf16(std::string_view text);
std::string Utf16ToCp1252(std::u16string_view text);

std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text);

// Appends the UTF-8 form of a code point; surrogates and values above
// U+10FFFF are written as U+FFFD.
void AppendUtf8(std::string& out, char32_t code_point);

// Decodes the UTF-8 character at text[pos] and advances pos past it. A
// malformed sequence yields U+FFFD and consumes its maximal valid prefix
// (at least one byte), as the Unicode standard recommends.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

// Lower and upper case of a Windows-1252 character (ASCII and the accented letters),
// and comparisons that ignore case in Windows-1252.
char Cp1252ToLower(char c);
char Cp1252ToUpper(char c);
bool EqualsIgnoreCase1252(std::string_view a, std::string_view b);
bool LessIgnoreCase1252(std::string_view a, std::string_view b);

}  // namespace zv::platform
