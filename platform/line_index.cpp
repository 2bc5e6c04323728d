#include "platform/line_index.h"

#include <algorithm>

namespace zv::platform {

LineIndex::LineIndex() {
  starts_.Reserve(1);
  Clear();
}

void LineIndex::Clear() noexcept {
  starts_.Clear();
  const Position zero = 0;
  starts_.Insert(0, &zero, 1);  // cannot allocate: the buffer has held a line since construction
  step_line_ = 0;
  step_delta_ = 0;
}

LineIndex::Position LineIndex::LineStart(Position line) const noexcept {
  return Stored(line) + (line > step_line_ ? step_delta_ : 0);
}

LineIndex::Position LineIndex::LineOfPosition(Position pos) const noexcept {
  Position low = 0;
  Position high = LineCount() - 1;
  while (low < high) {
    const Position middle = low + (high - low + 1) / 2;
    if (LineStart(middle) <= pos) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

void LineIndex::ApplyStepThrough(Position line) noexcept {
  if (step_delta_ != 0) {
    for (Position i = step_line_ + 1; i <= line; ++i) starts_.At(i) += step_delta_;
  }
  step_line_ = line;
  if (step_line_ >= LineCount() - 1) step_delta_ = 0;
}

void LineIndex::UnapplyStepAfter(Position line) noexcept {
  if (step_delta_ != 0) {
    for (Position i = line + 1; i <= step_line_; ++i) starts_.At(i) -= step_delta_;
  }
  step_line_ = line;
}

void LineIndex::Shift(Position line, Position delta) noexcept {
  const Position last = LineCount() - 1;
  if (delta == 0 || line >= last) return;
  if (step_delta_ == 0) {
    step_line_ = line;
    step_delta_ = delta;
  } else if (line >= step_line_) {
    ApplyStepThrough(line);
    step_delta_ += delta;
  } else if (step_line_ - line <= std::max<Position>(16, LineCount() / 10)) {
    UnapplyStepAfter(line);
    step_delta_ += delta;
  } else {
    // Far before the step: settle everything and start a new step here.
    ApplyStepThrough(last);
    step_line_ = line;
    step_delta_ = delta;
  }
}

void LineIndex::Insert(Position pos, Position length, std::span<const Position> new_starts) noexcept {
  const Position line = LineOfPosition(pos);
  Shift(line, length);
  if (new_starts.empty()) return;
  // The new starts are true positions: everything up to `line` must be too.
  if (step_line_ < line) ApplyStepThrough(line);
  const auto count = static_cast<Position>(new_starts.size());
  starts_.Insert(line + 1, new_starts.data(), count);
  step_line_ += count;
}

void LineIndex::Erase(Position pos, Position length) noexcept {
  if (length <= 0) return;
  const Position first = LineOfPosition(pos);
  const Position last = LineOfPosition(pos + length);
  if (last > first) {
    // Lines first + 1 .. last began inside the removed text.
    if (step_line_ < last) ApplyStepThrough(last);
    starts_.Erase(first + 1, last - first);
    step_line_ -= last - first;
  }
  Shift(first, -length);
}

}  // namespace zv::platform
