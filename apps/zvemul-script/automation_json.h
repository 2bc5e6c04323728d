// Values across the automation boundary as JSON: UTF-8 text to the Unicode
// strings of variants and back, arguments to variants, results and event
// arguments to JSON, and HRESULTs as the desktop writes them.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

#include "platform/automation.h"

namespace zv::script {

using Json = nlohmann::ordered_json;

// Valid UTF-8 in, UTF-16 out (malformed sequences become U+FFFD).
std::u16string Utf8ToUtf16(std::string_view text);
// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// A JSON argument as a variant: integers (long, or an unsigned 32-bit colour
// above the long range), strings, booleans (TRUE/FALSE) and null (empty).
// False with a reason for anything else.
bool VariantFromJson(const Json& value, platform::Variant& out, std::string& error);

// Integers for the numeric kinds (a BOOL as the member gave it, a colour
// unsigned), strings as UTF-8, null for an empty variant or a NULL string.
Json JsonFromVariant(const platform::Variant& value);

// "0x800A017C".
std::string FormatHresult(HRESULT hresult);
// The desktop's text for the failures that invocation itself answers; empty
// for others.
std::string_view DescribeHresult(HRESULT hresult);

}  // namespace zv::script
