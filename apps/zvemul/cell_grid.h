// The desk's picture of the terminal: a grid of character cells with their
// colours, painted from the control's view and written to the terminal by
// the cells that changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "apps/zvemul/palette.h"

namespace zv::desk {

inline constexpr std::uint8_t kBold = 1;
inline constexpr std::uint8_t kUnderline = 2;
inline constexpr std::uint8_t kReverse = 4;

struct Style {
  Rgb fg{255, 255, 255};
  Rgb bg{0, 0, 0};
  std::uint8_t attributes = 0;
  friend bool operator==(const Style&, const Style&) = default;
};

struct Cell {
  char32_t ch = U' ';
  Style style;
  friend bool operator==(const Cell&, const Cell&) = default;
};

struct CellPosition {
  int row = 0;
  int column = 0;
  friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

class CellGrid {
 public:
  CellGrid() = default;
  CellGrid(int rows, int columns, Style style = {});

  int rows() const { return rows_; }
  int columns() const { return columns_; }
  bool Contains(int row, int column) const { return row >= 0 && row < rows_ && column >= 0 && column < columns_; }

  const Cell& at(int row, int column) const { return cells_[Index(row, column)]; }
  // Cells outside the grid are ignored.
  void Set(int row, int column, const Cell& cell);
  void Fill(int row, int column, int width, Style style);
  // A filled box of that size with a line border.
  void Box(int top, int left, int height, int width, Style style);
  // Writes Windows-1252 text from `column`, at most max_width cells (-1: to
  // the grid's edge); control characters show as blanks. Returns the cells
  // written.
  int Put(int row, int column, std::string_view text, Style style, int max_width = -1);
  // The characters of a row, as UTF-8, for tests and logs.
  std::string RowText(int row) const;

  friend bool operator==(const CellGrid&, const CellGrid&) = default;

 private:
  std::size_t Index(int row, int column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
  }

  int rows_ = 0;
  int columns_ = 0;
  std::vector<Cell> cells_;
};

}  // namespace zv::desk
