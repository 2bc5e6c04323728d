// The interface of the component that the object-creation tests load from
// a shared library.
#pragma once

#include "platform/object_registry.h"

namespace zv::platform::testing {

// {5C0E7A14-2B9D-4E61-9A43-1F8D2C6B7E01}
inline constexpr CLSID kCalculatorClsid = {
    0x5C0E7A14, 0x2B9D, 0x4E61, {0x9A, 0x43, 0x1F, 0x8D, 0x2C, 0x6B, 0x7E, 0x01}};
// A class id the library does not serve.
inline constexpr CLSID kStrangerClsid = {
    0x5C0E7A14, 0x2B9D, 0x4E61, {0x9A, 0x43, 0x1F, 0x8D, 0x2C, 0x6B, 0x7E, 0x02}};

class ICalculator : public IUnknown {
 public:
  // {5C0E7A14-2B9D-4E61-9A43-1F8D2C6B7E10}
  static constexpr IID kIid = {0x5C0E7A14, 0x2B9D, 0x4E61, {0x9A, 0x43, 0x1F, 0x8D, 0x2C, 0x6B, 0x7E, 0x10}};
  virtual HRESULT Add(LONG a, LONG b, LONG* sum) = 0;

 protected:
  ~ICalculator() = default;
};

}  // namespace zv::platform::testing
