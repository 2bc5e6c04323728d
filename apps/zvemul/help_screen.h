// The desk's help screen: the keys that matter, shown over the desk until
// any key or click closes it.
#pragma once

#include <span>
#include <string_view>

#include "apps/zvemul/cell_grid.h"

namespace zv::desk {

std::span<const std::string_view> HelpLines();

void PaintHelp(CellGrid& grid);

}  // namespace zv::desk
