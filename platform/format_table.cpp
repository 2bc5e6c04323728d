#include "platform/format_table.h"

#include <functional>
#include <string>

namespace zv::platform {

std::size_t CharFormatHash::operator()(const CharFormat& f) const noexcept {
  std::size_t h = std::hash<std::string>{}(f.face);
  const auto mix = [&h](std::size_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
  mix(f.color);
  mix(f.back_color);
  mix(static_cast<std::size_t>(f.height_twips));
  mix((std::size_t{f.charset} << 8) | f.pitch_and_family);
  mix((f.auto_color ? 1u : 0u) | (f.auto_back_color ? 2u : 0u) | (f.bold ? 4u : 0u) | (f.italic ? 8u : 0u) |
      (f.underline ? 16u : 0u));
  return h;
}

FormatTable::FormatTable() {
  formats_.emplace_back();
  ids_.emplace(formats_.front(), Id{0});
}

std::optional<FormatTable::Id> FormatTable::Intern(const CharFormat& format) {
  if (const auto it = ids_.find(format); it != ids_.end()) return it->second;
  if (formats_.size() >= kCapacity) return std::nullopt;
  const auto id = static_cast<Id>(formats_.size());
  formats_.push_back(format);
  try {
    ids_.emplace(format, id);
  } catch (...) {
    formats_.pop_back();
    throw;
  }
  return id;
}

std::vector<FormatTable::Id> FormatTable::Compact(const std::vector<bool>& used) {
  std::vector<Id> remap(formats_.size(), 0);
  std::vector<CharFormat> kept;
  std::unordered_map<CharFormat, Id, CharFormatHash> ids;
  for (std::size_t old_id = 0; old_id < formats_.size(); ++old_id) {
    if (old_id >= used.size() || !used[old_id]) continue;
    const auto id = static_cast<Id>(kept.size());
    remap[old_id] = id;
    kept.push_back(formats_[old_id]);
    ids.emplace(formats_[old_id], id);
  }
  if (kept.empty()) {
    kept.emplace_back();
    ids.emplace(kept.front(), Id{0});
  }
  formats_.swap(kept);
  ids_.swap(ids);
  return remap;
}

}  // namespace zv::platform
