// Shared helpers of the error log tests: a private temporary home with the
// log path pointed into it, a settable clock, and raw file access.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "diagnostics/error_log_format.h"
#include "platform/services.h"

namespace zv::testing {

// A fresh folder holding HOME, the XDG folders and the log file, set in the
// environment; the folder is removed afterwards.
class LogHome {
 public:
  LogHome() {
    char pattern[] = "/tmp/zv-errorlog-XXXXXX";
    root_ = ::mkdtemp(pattern);
    Set("HOME", root_ + "/home");
    Set("XDG_STATE_HOME", root_ + "/state");
    Set("XDG_CONFIG_HOME", root_ + "/config");
    Set("ZVEMUL_LOGFILE", LogPath());
  }
  ~LogHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  LogHome(const LogHome&) = delete;
  LogHome& operator=(const LogHome&) = delete;

  const std::string& root() const { return root_; }
  std::string LogPath() const { return root_ + "/logfile.log"; }

  static void Set(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }
  static void Unset(const std::string& name) { ::unsetenv(name.c_str()); }

 private:
  std::string root_;
};

class ManualClock : public platform::Clock {
 public:
  DWORD TickCount() override { return 0; }
  platform::LocalTime Now() override { return now; }
  platform::LocalTime now;
};

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

inline unsigned FileMode(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Runs `body` in a child process; its exit status is the child's answer.
template <typename Body>
pid_t Spawn(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::_exit(body());
  }
  return pid;
}

inline int WaitFor(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
    return -1;
  }
  return WEXITSTATUS(status);
}

}  // namespace zv::testing
