// Any bytes as a rules document (UTF-16): the parse answers one of its
// codes and leaves a rule list whose formats are well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/highlight_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zv::fuzzing::HighlightFixture fixture;
  std::u16string xml(size / 2, u'\0');
  std::memcpy(xml.data(), data, xml.size() * 2);
  const HRESULT hr = fixture.engine->ParseRules(xml);
  if (hr != S_OK && hr != E_UNEXPECTED && hr != E_INVALIDARG && hr != E_FAIL) std::abort();
  for (const zv::HighlightRule& rule : fixture.engine->Rules()) {
    if (rule.format.cbSize != sizeof(CHARFORMAT2A) || (rule.format.dwMask & CFM_UNDERLINE) == 0) std::abort();
    if (rule.joinType != zv::JoinNone && rule.conditionText.empty()) std::abort();
  }
  return 0;
}
