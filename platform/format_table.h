// Interned character formats: the text engine stores one small id per
// character and keeps each distinct CharFormat once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/char_format.h"

namespace zv::platform {

struct CharFormatHash {
  std::size_t operator()(const CharFormat& f) const noexcept;
};

class FormatTable {
 public:
  using Id = std::uint16_t;
  static constexpr std::size_t kCapacity = std::size_t{1} << 16;

  FormatTable();  // id 0 holds CharFormat{}

  std::size_t size() const noexcept { return formats_.size(); }
  const CharFormat& Get(Id id) const noexcept { return formats_[id]; }

  // The id of `format`, adding it when new; nothing when the table is full.
  std::optional<Id> Intern(const CharFormat& format);

  // Keeps only the formats whose ids are marked in `used` (indexed by id),
  // in their old order, and returns the new id of every old id (unused ids
  // map to 0). The table is unchanged when this throws.
  std::vector<Id> Compact(const std::vector<bool>& used);

 private:
  std::vector<CharFormat> formats_;
  std::unordered_map<CharFormat, Id, CharFormatHash> ids_;
};

}  // namespace zv::platform
