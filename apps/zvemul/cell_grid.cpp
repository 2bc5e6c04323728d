#include "apps/zvemul/cell_grid.h"

#include <algorithm>

#include "platform/code_page.h"

namespace zv::desk {

CellGrid::CellGrid(int rows, int columns, Style style)
    : rows_(std::max(rows, 0)),
      columns_(std::max(columns, 0)),
      cells_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_), Cell{U' ', style}) {}

void CellGrid::Set(int row, int column, const Cell& cell) {
  if (Contains(row, column)) cells_[Index(row, column)] = cell;
}

void CellGrid::Fill(int row, int column, int width, Style style) {
  if (row < 0 || row >= rows_) return;
  const int begin = std::max(column, 0);
  const int end = std::min(column + width, columns_);
  for (int c = begin; c < end; ++c) cells_[Index(row, c)] = Cell{U' ', style};
}

void CellGrid::Box(int top, int left, int height, int width, Style style) {
  for (int r = 0; r < height; ++r) Fill(top + r, left, width, style);
  for (int c = 1; c < width - 1; ++c) {
    Set(top, left + c, Cell{U'\u2500', style});
    Set(top + height - 1, left + c, Cell{U'\u2500', style});
  }
  for (int r = 1; r < height - 1; ++r) {
    Set(top + r, left, Cell{U'\u2502', style});
    Set(top + r, left + width - 1, Cell{U'\u2502', style});
  }
  Set(top, left, Cell{U'\u250C', style});
  Set(top, left + width - 1, Cell{U'\u2510', style});
  Set(top + height - 1, left, Cell{U'\u2514', style});
  Set(top + height - 1, left + width - 1, Cell{U'\u2518', style});
}

int CellGrid::Put(int row, int column, std::string_view text, Style style, int max_width) {
  if (row < 0 || row >= rows_) return 0;
  const int limit = max_width < 0 ? columns_ : std::min(columns_, column + max_width);
  int c = column;
  for (const char byte : text) {
    if (c >= limit) break;
    const auto u = static_cast<unsigned char>(byte);
    const char32_t ch = u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0 && platform::Cp1252ToUnicode(byte) < 0xA0)
                            ? U' '
                            : platform::Cp1252ToUnicode(byte);
    if (c >= 0) cells_[Index(row, c)] = Cell{ch, style};
    ++c;
  }
  return c - column;
}

std::string CellGrid::RowText(int row) const {
  std::string out;
  if (row < 0 || row >= rows_) return out;
  for (int c = 0; c < columns_; ++c) platform::AppendUtf8(out, cells_[Index(row, c)].ch);
  return out;
}

}  // namespace zv::desk
