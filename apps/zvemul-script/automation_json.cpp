#include "apps/zvemul-script/automation_json.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#include "platform/code_page.h"

namespace zv::script {

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = platform::DecodeUtf8(text, pos);
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    platform::AppendUtf8(out, c);  // a lone surrogate is written as U+FFFD
  }
  return out;
}

bool VariantFromJson(const Json& value, platform::Variant& out, std::string& error) {
  using platform::Variant;
  switch (value.type()) {
    case Json::value_t::null:
      out = Variant();
      return true;
    case Json::value_t::boolean:
      out = Variant::Bool(value.get<bool>() ? TRUE : FALSE);
      return true;
    case Json::value_t::string:
      out = Variant::String(Utf8ToUtf16(value.get_ref<const std::string&>()));
      return true;
    case Json::value_t::number_integer: {
      const std::int64_t v = value.get<std::int64_t>();
      if (v < std::numeric_limits<std::int32_t>::min()) break;
      if (v > std::numeric_limits<std::int32_t>::max()) {
        if (v > std::numeric_limits<std::uint32_t>::max()) break;
        out = Variant::Color(static_cast<platform::OLE_COLOR>(v));
      } else {
        out = Variant::Long(static_cast<std::int32_t>(v));
      }
      return true;
    }
    case Json::value_t::number_unsigned: {
      const std::uint64_t v = value.get<std::uint64_t>();
      if (v > std::numeric_limits<std::uint32_t>::max()) break;
      // Colours above the long range keep their 32 bits.
      out = v > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
                ? Variant::Color(static_cast<platform::OLE_COLOR>(v))
                : Variant::Long(static_cast<std::int32_t>(v));
      return true;
    }
    case Json::value_t::number_float:
      error = "numbers must be integers";
      return false;
    default:
      error = "must be an integer, a string, a boolean or null";
      return false;
  }
  error = "integer out of the 32-bit range";
  return false;
}

Json JsonFromVariant(const platform::Variant& value) {
  using Kind = platform::Variant::Kind;
  switch (value.kind()) {
    case Kind::kEmpty:
      return nullptr;
    case Kind::kShort:
    case Kind::kLong:
    case Kind::kBool:
      return value.integer();
    case Kind::kColor:
      return static_cast<std::uint32_t>(value.integer());
    case Kind::kString:
      if (value.is_null_string()) return nullptr;
      return Utf16ToUtf8(value.string());
  }
  return nullptr;
}

std::string FormatHresult(HRESULT hresult) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(hresult));
  return text;
}

std::string_view DescribeHresult(HRESULT hresult) {
  switch (hresult) {
    case DISP_E_MEMBERNOTFOUND: return "Member not found.";
    case DISP_E_TYPEMISMATCH: return "Type mismatch.";
    case DISP_E_UNKNOWNNAME: return "Unknown name.";
    case DISP_E_EXCEPTION: return "Exception occurred.";
    case DISP_E_BADPARAMCOUNT: return "Invalid number of parameters.";
    case platform::DISP_E_OVERFLOW: return "Out of present range.";
    case platform::DISP_E_PARAMNOTOPTIONAL: return "Parameter not optional.";
    case E_UNEXPECTED: return "Catastrophic failure";
    case E_FAIL: return "Unspecified error";
    case E_NOTIMPL: return "Not implemented";
    case E_INVALIDARG: return "The parameter is incorrect.";
    default: return {};
  }
}

}  // namespace zv::script
