// Shared helpers of the error log tests: a private temporary home with the
// log path pointed into it, and raw file access.
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

namespace zv::testing {

// A fresh folder holding HOME, the XDG folders and the log file, set in the
// environment; the folder is removed afterwards.
class LogHome {
 public:
  LogHome() {
    char pattern[] = "/tmp/zv-errorlog-XXXXXX";
    root_ = ::mkdtemp(pattern);
    ::setenv("HOME", (root_ + "/home").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ + "/state").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    ::setenv("ZVEMUL_LOGFILE", LogPath().c_str(), 1);
  }
  ~LogHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  LogHome(const LogHome&) = delete;
  LogHome& operator=(const LogHome&) = delete;

  const std::string& root() const { return root_; }
  std::string LogPath() const { return root_ + "/logfile.log"; }

 private:
  std::string root_;
};

// Desktop services whose clock stands at `time`.
inline platform::DesktopServices ServicesWithClock(const platform::LocalTime& time) {
  platform::DesktopServices services;
  services.clock = std::make_unique<platform::ManualClock>(time, 0);
  return services;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
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
