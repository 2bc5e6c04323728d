// A gap buffer: a vector with one movable hole, so that a run of edits near
// the same place costs the size of the edits, not of the buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

namespace zv::platform {

template <typename T>
class GapBuffer {
  static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memmove");

 public:
  using Index = std::ptrdiff_t;

  Index size() const noexcept { return static_cast<Index>(data_.size()) - gap_length_; }
  bool empty() const noexcept { return size() == 0; }

  T operator[](Index i) const noexcept { return data_[Physical(i)]; }
  T& At(Index i) noexcept { return data_[Physical(i)]; }

  // Makes room for `count` more elements so that the next insertions of up
  // to that many elements cannot fail. The only operation that allocates.
  void Reserve(Index count) {
    if (gap_length_ >= count) return;
    const Index length = size();
    const Index new_gap = count + std::max<Index>(length / 2, kMinGap);
    std::vector<T> grown(static_cast<std::size_t>(length + new_gap));
    const Index tail = length - gap_start_;
    if (gap_start_ > 0) std::memcpy(grown.data(), data_.data(), Bytes(gap_start_));
    if (tail > 0) {
      std::memcpy(grown.data() + gap_start_ + new_gap, data_.data() + gap_start_ + gap_length_, Bytes(tail));
    }
    data_.swap(grown);
    gap_length_ = new_gap;
  }

  void Insert(Index pos, const T* values, Index count) {
    if (count <= 0) return;
    Reserve(count);
    MoveGapTo(pos);
    std::memcpy(data_.data() + gap_start_, values, Bytes(count));
    gap_start_ += count;
    gap_length_ -= count;
  }

  void InsertFill(Index pos, Index count, T value) {
    if (count <= 0) return;
    Reserve(count);
    MoveGapTo(pos);
    std::fill_n(data_.data() + gap_start_, count, value);
    gap_start_ += count;
    gap_length_ -= count;
  }

  void Erase(Index pos, Index count) noexcept {
    if (count <= 0) return;
    if (pos + count == gap_start_) {
      gap_start_ = pos;  // the erased elements end at the gap: widen it backwards
    } else {
      MoveGapTo(pos);
    }
    gap_length_ += count;
  }

  void Clear() noexcept {
    gap_start_ = 0;
    gap_length_ = static_cast<Index>(data_.size());
  }

  // Calls fn(pointer, length) for the at most two contiguous pieces that
  // hold [pos, pos + count).
  template <typename Fn>
  void ForEachSpan(Index pos, Index count, Fn&& fn) const {
    VisitSpans(data_.data(), pos, count, fn);
  }
  template <typename Fn>
  void ForEachMutableSpan(Index pos, Index count, Fn&& fn) {
    VisitSpans(data_.data(), pos, count, fn);
  }

  void CopyTo(Index pos, Index count, T* out) const noexcept {
    ForEachSpan(pos, count, [&out](const T* p, Index n) {
      std::memcpy(out, p, Bytes(n));
      out += n;
    });
  }

 private:
  static constexpr Index kMinGap = 64;

  static std::size_t Bytes(Index count) noexcept { return static_cast<std::size_t>(count) * sizeof(T); }

  std::size_t Physical(Index i) const noexcept {
    return static_cast<std::size_t>(i < gap_start_ ? i : i + gap_length_);
  }

  template <typename Ptr, typename Fn>
  void VisitSpans(Ptr base, Index pos, Index count, Fn& fn) const {
    if (count <= 0) return;
    const Index end = pos + count;
    if (pos < gap_start_) {
      const Index first_end = std::min(end, gap_start_);
      fn(base + pos, first_end - pos);
      pos = first_end;
    }
    if (pos < end) fn(base + pos + gap_length_, end - pos);
  }

  void MoveGapTo(Index pos) noexcept {
    if (pos == gap_start_) return;
    T* base = data_.data();
    if (pos < gap_start_) {
      std::memmove(base + pos + gap_length_, base + pos, Bytes(gap_start_ - pos));
    } else {
      std::memmove(base + gap_start_, base + gap_start_ + gap_length_, Bytes(pos - gap_start_));
    }
    gap_start_ = pos;
  }

  std::vector<T> data_;  // size() is the capacity; the gap is unused
  Index gap_start_ = 0;
  Index gap_length_ = 0;
};

}  // namespace zv::platform
