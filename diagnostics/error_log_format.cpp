#include "diagnostics/error_log_format.h"

#include <algorithm>
#include <cstdint>

namespace zv {

void EncodeLogFileHeader(const LogFileHeader& header, BYTE* out) {
  PutU32(out, header.ring_size);
  PutU32(out + 4, header.next);
  PutU32(out + 8, header.last);
  PutU32(out + 12, header.sequence);
}

LogFileHeader DecodeLogFileHeader(const BYTE* in) {
  return LogFileHeader{GetU32(in), GetU32(in + 4), GetU32(in + 8), GetU32(in + 12)};
}

bool IsTrustedHeader(const LogFileHeader& header) {
  const DWORD ring = header.ring_size;
  if (ring < static_cast<DWORD>(kMinRingSize) || ring > static_cast<DWORD>(kMaxRingSize)) {
    return false;
  }
  const auto inside = [ring](DWORD offset) { return offset >= kLogHeaderSize && offset <= ring; };
  return inside(header.next) && (header.last == kNoRecord || inside(header.last));
}

char LevelLetter(int level) {
  switch (static_cast<WORD>(level & 0xFFFF)) {
    case 0:
      return 'D';
    case 1:
      return 'S';
    case 2:
      return 'E';
    case 3:
      return 'W';
    case 4:
      return 'I';
    default:
      return '?';
  }
}

DWORD NextSequence(DWORD sequence) {
  const std::uint64_t next = std::uint64_t{sequence} + 1;
  return next > kMaxSequence ? 1 : static_cast<DWORD>(next);
}

DWORD PreviousSequence(DWORD sequence) { return sequence <= 1 ? kMaxSequence : sequence - 1; }

RingPlacement PlaceRecord(DWORD ring_size, DWORD offset, DWORD record_size) {
  RingPlacement placement;
  placement.size = std::min(record_size, MaxWrittenRecordSize(ring_size));
  const DWORD room = ring_size - offset;
  if (room >= placement.size) {
    placement.head = placement.size;
    placement.next = offset + placement.size;
  } else {
    placement.head = room;
    placement.tail = placement.size - room;
    placement.next = placement.tail + kLogHeaderSize;
  }
  return placement;
}

DWORD RingDistance(DWORD ring_size, DWORD from, DWORD to) {
  if (from == ring_size) {
    from = kLogHeaderSize;
  }
  if (to == ring_size) {
    to = kLogHeaderSize;
  }
  return to >= from ? to - from : (ring_size - from) + (to - kLogHeaderSize);
}

}  // namespace zv
