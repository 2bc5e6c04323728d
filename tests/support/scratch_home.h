// Temporary folders and environment variables for tests that touch the disk:
// every test that needs a home of its own uses ScratchHome.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

namespace zv::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zvemul-test-XXXXXX").native();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.native(); }

 private:
  std::filesystem::path path_;
};

// Sets (or with nullopt unsets) a variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A temporary home with every per-user location below it.
struct ScratchHome {
  TempDir dir;
  ScopedEnv home{"HOME", dir.str()};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.str() + "/config"};
  ScopedEnv data{"XDG_DATA_HOME", dir.str() + "/data"};
  ScopedEnv cache{"XDG_CACHE_HOME", dir.str() + "/cache"};
  ScopedEnv state{"XDG_STATE_HOME", dir.str() + "/state"};
  ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.str() + "/run"};
  ScopedEnv log{"ZVEMUL_LOGFILE", dir.str() + "/state/logfile.log"};
  ScopedEnv drives{"ZVEMUL_DRIVE_ROOT", std::nullopt};
  // Printed screens go below the home folder; no test reaches a print server.
  ScopedEnv prints{"ZVEMUL_PRINT_DIR", std::nullopt};
  ScopedEnv cups{"CUPS_SERVER", dir.str() + "/run/no-cups"};

  ScratchHome() {
    std::filesystem::create_directory(dir.path() / "run");
    std::filesystem::create_directory(dir.path() / "state");
  }
  std::string root() const { return dir.str(); }
  std::string LogPath() const { return root() + "/state/logfile.log"; }
};

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace zv::testing
