// Automation strings as the desktop passes them between components: BSTR,
// a UTF-16 text with its length stored before it, allocated and freed by
// the process's one allocator (this library), so that a string made in one
// component library can be freed in another. VARIANT_BOOL is TRUE as -1.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/win_types.h"

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using VARIANT_BOOL = SHORT;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

namespace zv::platform {

// A copy of `text`; null for a null text or when memory runs out.
BSTR SysAllocString(const OLECHAR* text);
// `length` characters of `text` (left zero when `text` is null).
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Null is allowed.
void SysFreeString(BSTR text);
// Characters, not counting the terminating zero; 0 for null.
UINT SysStringLen(BSTR text);

// Owns one BSTR, freed when the holder goes.
class BString {
 public:
  BString() = default;
  explicit BString(std::u16string_view text)
      : p_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  BString(const BString&) = delete;
  BString& operator=(const BString&) = delete;
  BString(BString&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  BString& operator=(BString&& other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~BString() { SysFreeString(p_); }

  BSTR Get() const { return p_; }
  // For out parameters: frees what is held and gives the slot.
  BSTR* Put() {
    Reset();
    return &p_;
  }
  BSTR Detach() { return std::exchange(p_, nullptr); }
  void Reset() { SysFreeString(std::exchange(p_, nullptr)); }
  bool IsNull() const { return p_ == nullptr; }
  std::u16string_view View() const { return ViewOf(p_); }
  // The characters of a BSTR that someone else owns; empty for null.
  static std::u16string_view ViewOf(BSTR text) {
    return text == nullptr ? std::u16string_view() : std::u16string_view(text, SysStringLen(text));
  }

 private:
  BSTR p_ = nullptr;
};

}  // namespace zv::platform
