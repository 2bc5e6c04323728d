#include "platform/resources.h"

#include <algorithm>

namespace zv::platform {
namespace {

bool WellFormed(const Icon& icon) {
  if (icon.width < 1 || icon.height < 1 || icon.width > ResourceModule::kMaxIconSide ||
      icon.height > ResourceModule::kMaxIconSide || icon.rows.size() != static_cast<std::size_t>(icon.height)) {
    return false;
  }
  return std::all_of(icon.rows.begin(), icon.rows.end(), [&](const std::string& row) {
    return row.size() == static_cast<std::size_t>(icon.width) &&
           row.find_first_not_of("# ") == std::string::npos;
  });
}

}  // namespace

bool ResourceModule::AddIcon(UINT id, Icon icon) {
  if (!WellFormed(icon)) return false;
  icons_[id] = std::move(icon);
  return true;
}

bool ResourceModule::RemoveIcon(UINT id) { return icons_.erase(id) != 0; }

std::optional<Icon> ResourceModule::LoadIcon(UINT id, int cx, int cy) const {
  const auto it = icons_.find(id);
  if (it == icons_.end() || cx < 1 || cy < 1 || cx > kMaxIconSide || cy > kMaxIconSide) return std::nullopt;
  const Icon& source = it->second;
  if (source.width == cx && source.height == cy) return source;
  Icon out{cx, cy, {}};
  for (int y = 0; y < cy; ++y) {
    const std::string& row = source.rows[static_cast<std::size_t>(y * source.height / cy)];
    std::string scaled(static_cast<std::size_t>(cx), ' ');
    for (int x = 0; x < cx; ++x) scaled[static_cast<std::size_t>(x)] = row[static_cast<std::size_t>(x * source.width / cx)];
    out.rows.push_back(std::move(scaled));
  }
  return out;
}

bool ResourceModule::AddBitmap(UINT id, Icon bitmap) {
  if (!WellFormed(bitmap)) return false;
  bitmaps_[id] = std::move(bitmap);
  return true;
}

std::optional<Icon> ResourceModule::LoadBitmap(UINT id) const {
  const auto it = bitmaps_.find(id);
  if (it == bitmaps_.end()) return std::nullopt;
  return it->second;
}

std::optional<Menu> ResourceModule::LoadMenu(UINT id) const {
  const auto it = menus_.find(id);
  if (it == menus_.end()) return std::nullopt;
  return it->second;
}

}  // namespace zv::platform
