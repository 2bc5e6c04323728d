#include "platform/bstr.h"

#include <cstdlib>
#include <cstring>

namespace zv::platform {
namespace {

// The length in bytes, as the desktop keeps it, sits just before the text.
using Prefix = std::uint32_t;
constexpr UINT kMaxLength = (0x7FFFFFFFu - sizeof(Prefix)) / sizeof(OLECHAR) - 1;

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<char16_t>::length(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > kMaxLength) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(Prefix) + (length + 1) * sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  const Prefix bytes = length * sizeof(OLECHAR);
  std::memcpy(block, &bytes, sizeof bytes);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(Prefix));
  if (text != nullptr) {
    std::memcpy(chars, text, length * sizeof(OLECHAR));
  } else {
    std::memset(chars, 0, length * sizeof(OLECHAR));
  }
  chars[length] = 0;
  return chars;
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(Prefix));
}

UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  Prefix bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - sizeof(Prefix), sizeof bytes);
  return bytes / sizeof(OLECHAR);
}

}  // namespace zv::platform
