// Shared helpers of the error log tests: a clock, raw file access and headers.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "diagnostics/error_log_format.h"
#include "platform/clocks.h"
#include "platform/desktop.h"
#include "tests/support/scratch_home.h"

namespace zv::testing {

// Desktop services whose clock stands at `time`.
inline platform::DesktopServices ServicesWithClock(const platform::LocalTime& time) {
  platform::DesktopServices services;
  services.clock = std::make_unique<platform::ManualClock>(time, 0);
  return services;
}

inline std::string HeaderBytes(const LogFileHeader& header) {
  BYTE raw[kLogHeaderSize];
  EncodeLogFileHeader(header, raw);
  return std::string(reinterpret_cast<const char*>(raw), sizeof(raw));
}

inline LogFileHeader HeaderOf(const std::string& bytes) {
  return DecodeLogFileHeader(reinterpret_cast<const BYTE*>(bytes.data()));
}

inline DWORD U32At(const std::string& bytes, std::size_t at) {
  return GetU32(reinterpret_cast<const BYTE*>(bytes.data() + at));
}

inline void PutU32At(std::string& bytes, std::size_t at, DWORD value) {
  PutU32(reinterpret_cast<BYTE*>(bytes.data() + at), value);
}

}  // namespace zv::testing
