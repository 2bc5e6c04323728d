// The start positions of the lines of a text, kept up to date edit by edit.
//
// Starts live in a gap buffer. An edit moves every later start by the same
// amount; instead of touching them all, the shift is recorded as a pending
// step for the lines after `step_line_` and folded in lazily as later edits
// move past it. Typing on one line therefore costs O(1), a line look-up
// O(log lines), and an edit elsewhere the distance between the two places.
#pragma once

#include <cstddef>
#include <span>

#include "platform/gap_buffer.h"

namespace zv::platform {

class LineIndex {
 public:
  using Position = std::ptrdiff_t;

  LineIndex();

  Position LineCount() const noexcept { return starts_.size(); }
  // First position of `line` (0 <= line < LineCount()).
  Position LineStart(Position line) const noexcept;
  // The line holding `pos`: the last line whose start is at or before it.
  Position LineOfPosition(Position pos) const noexcept;

  // Makes room for `count` more lines, so that an Insert adding at most that
  // many cannot fail.
  void Reserve(Position count) { starts_.Reserve(count); }

  // Text of `length` characters was inserted at `pos`; `new_starts` are the
  // start positions of the lines it opened (each just after one of its
  // paragraph ends), ascending, in positions after the insertion.
  void Insert(Position pos, Position length, std::span<const Position> new_starts) noexcept;
  // The characters [pos, pos + length) were removed.
  void Erase(Position pos, Position length) noexcept;
  void Clear() noexcept;

 private:
  Position Stored(Position line) const noexcept { return starts_[line]; }
  // Moves every line after `line` by `delta`.
  void Shift(Position line, Position delta) noexcept;
  // Folds the pending step into the stored starts up to and including `line`.
  void ApplyStepThrough(Position line) noexcept;
  // Takes the pending step back out of the stored starts after `line`.
  void UnapplyStepAfter(Position line) noexcept;

  GapBuffer<Position> starts_;
  // Starts of lines after step_line_ lack step_delta_.
  Position step_line_ = 0;
  Position step_delta_ = 0;
};

}  // namespace zv::platform
