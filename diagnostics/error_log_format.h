// Layout of the error log's ring file, shared by its writer and its reader.
// All integers are little-endian; offsets are file offsets.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

namespace zv {

inline constexpr DWORD kLogHeaderSize = 16;
inline constexpr DWORD kRecordHeaderSize = 76;
inline constexpr DWORD kMaxRecordData = 4096;
inline constexpr DWORD kMaxRecordText = 65535;  // what the 16-bit length field holds
inline constexpr DWORD kNoRecord = 0xFFFFFFFF;
inline constexpr DWORD kMaxSequence = 99'999'999;
inline constexpr LONG kMinRingSize = 500'000;
inline constexpr LONG kMaxRingSize = 50'000'000;
// Ring size of a newly created file: about 25,000 records of a typical 200 bytes.
inline constexpr LONG kDefaultRingSize = 5'000'000;
static_assert(kDefaultRingSize >= kMinRingSize && kDefaultRingSize <= kMaxRingSize);
inline constexpr std::size_t kNameFieldSize = 16;

// Offsets of the fields of a record header.
namespace record_field {
inline constexpr std::size_t kNext = 0;
inline constexpr std::size_t kPrevious = 4;
inline constexpr std::size_t kSequence = 8;
inline constexpr std::size_t kYear = 12;
inline constexpr std::size_t kMonth = 13;
inline constexpr std::size_t kDay = 14;
inline constexpr std::size_t kHour = 15;
inline constexpr std::size_t kMinute = 16;
inline constexpr std::size_t kSecond = 17;
inline constexpr std::size_t kHundredths = 18;
inline constexpr std::size_t kFirstName = 19;
inline constexpr std::size_t kSecondName = 35;
inline constexpr std::size_t kAppName = 51;
inline constexpr std::size_t kLevel = 67;
inline constexpr std::size_t kCode1 = 68;
inline constexpr std::size_t kCode2 = 70;
inline constexpr std::size_t kTextLength = 72;
inline constexpr std::size_t kDataLength = 74;
}  // namespace record_field

inline void PutU16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
inline void PutU32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) {
    p[i] = static_cast<BYTE>(v >> (8 * i));
  }
}
inline WORD GetU16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
inline DWORD GetU32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}

struct LogFileHeader {
  DWORD ring_size = 0;
  DWORD next = kLogHeaderSize;  // where the next record goes
  DWORD last = kNoRecord;       // the most recent record
  DWORD sequence = 0;           // of the most recent record

  friend bool operator==(const LogFileHeader&, const LogFileHeader&) = default;
};

void EncodeLogFileHeader(const LogFileHeader& header, BYTE* out);  // 16 bytes
LogFileHeader DecodeLogFileHeader(const BYTE* in);                 // 16 bytes

// A header whose ring size is within bounds and whose offsets lie inside its
// ring. Nothing is written through any other header.
bool IsTrustedHeader(const LogFileHeader& header);

// The letter stored for a level; only its low 16 bits count.
char LevelLetter(int level);

// The sequence number after `sequence`: 99,999,999 is followed by 1.
DWORD NextSequence(DWORD sequence);
// The sequence number before `sequence`, the inverse of NextSequence.
DWORD PreviousSequence(DWORD sequence);

// The year as stored in a record: year - 2000 for the years 2000 to 2255.
inline BYTE YearByte(int year) { return static_cast<BYTE>((year + 48) % 256); }

// Records longer than this are cut when written; their length fields keep
// the full lengths.
inline DWORD MaxWrittenRecordSize(DWORD ring_size) { return ring_size / 2 - 100; }

// Where a record of `record_size` bytes goes when written at `offset`:
// `head` bytes there and the remaining `tail` bytes at the start of the ring.
struct RingPlacement {
  DWORD size = 0;  // bytes written, after the cut
  DWORD head = 0;
  DWORD tail = 0;
  DWORD next = 0;  // offset of the record after it
};
RingPlacement PlaceRecord(DWORD ring_size, DWORD offset, DWORD record_size);

// Bytes from `from` forward to `to` through the ring, where offset
// `ring_size` is the same place as the start of the ring.
DWORD RingDistance(DWORD ring_size, DWORD from, DWORD to);

}  // namespace zv
