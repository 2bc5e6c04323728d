// Conversions between the control's 8-bit code page (Windows-1252) and
// Unicode, for the names given to the error log and for showing its texts.
#pragma once

#include <string>
#include <string_view>

namespace zv::cp1252 {

// Characters without a Windows-1252 byte become '?', as a surrogate pair does.
std::string FromUtf16(std::u16string_view text);

std::string ToUtf8(std::string_view text);

}  // namespace zv::cp1252
