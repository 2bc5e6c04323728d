// The rules provider's interface: an outside component that merges the
// highlighting rules and tells when they changed. The engine creates it by
// its class id when the provider's registry key exists.
#pragma once

#include <string>

#include "platform/object_registry.h"

namespace zv {

// {6A1C3E52-8B4D-4F0E-9C27-5D3B1A7E0F41}
inline constexpr IID IID_IVexmoorRules = {
    0x6A1C3E52, 0x8B4D, 0x4F0E, {0x9C, 0x27, 0x5D, 0x3B, 0x1A, 0x7E, 0x0F, 0x41}};
// {2F8E6B19-3C5A-4D71-A0B4-7E9C2D4F6A83}
inline constexpr CLSID CLSID_VexmoorRules = {
    0x2F8E6B19, 0x3C5A, 0x4D71, {0xA0, 0xB4, 0x7E, 0x9C, 0x2D, 0x4F, 0x6A, 0x83}};
inline constexpr char kVexmoorProgId[] = "Vexmoor.BrimluxRules.1";
// HKEY_CURRENT_USER key whose presence says the provider is installed.
inline constexpr char kVexmoorKey[] = "Software\\Vexmoor\\BRIMLUX";

class IVexmoorRules : public platform::IUnknown {
 public:
  static constexpr IID kIid = IID_IVexmoorRules;
  // A text that changes whenever the merged rules change; compared as text only.
  virtual HRESULT RulesTimeStamp(std::u16string* stamp) = 0;
  // The whole rules document; with no rules, an empty Rules element and an
  // Error element holding the reason.
  virtual HRESULT MergedHiglightRules(std::u16string* xml) = 0;

 protected:
  ~IVexmoorRules() = default;
};

}  // namespace zv
