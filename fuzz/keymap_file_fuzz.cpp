// Any input: the mapping-file reader either refuses it with a reason or
// gives a mapping within the format's limits, and never crashes or hangs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "components/keymap/mapping_file.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zv::keymap;
  const MappingResult result = ParseKeyboardMapping(std::string_view(reinterpret_cast<const char*>(data), size));
  Check(result.mapping.has_value() == result.error.empty());
  if (!result.mapping) return 0;
  const KeyboardMapping& m = *result.mapping;
  Check(size <= KeyboardMapping::kMaxFileBytes);
  Check(!m.name.empty() && m.name.size() <= KeyboardMapping::kMaxNameLength);
  Check(!m.short_name.empty() && m.short_name.size() <= KeyboardMapping::kMaxShortNameLength);
  Check(m.keyboard_code.size() == 8);
  std::size_t rules = 0;
  for (const auto& slot : m.rules) {
    for (const KeyRule& rule : slot) {
      if (rule.kind == KeyRule::Kind::kNone) continue;
      ++rules;
      Check(rule.text.size() <= KeyboardMapping::kMaxTextLength);
      Check(rule.kind != KeyRule::Kind::kText || !rule.text.empty());
      Check(rule.kind != KeyRule::Kind::kCharacter || (rule.character >= 0x20 && rule.character < 0x7F));
    }
  }
  Check(rules == m.rule_count);
  for (int c = 0; c < 256; ++c) {
    for (long modifiers : {0L, 1L, 4L}) m.Find(static_cast<unsigned char>(c), modifiers);
  }
  return 0;
}
