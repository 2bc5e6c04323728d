// Shared by the desk's tests: a temporary profile so that no test touches
// the real home.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace zv::desk::testing {

class TempHome {
 public:
  TempHome() {
    char pattern[] = "/tmp/zv-desk-XXXXXX";
    root_ = ::mkdtemp(pattern);
    std::filesystem::create_directories(root_ + "/home");
    ::setenv("HOME", home().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ + "/state").c_str(), 1);
    ::setenv("ZVEMUL_LOGFILE", (root_ + "/logfile.log").c_str(), 1);
    ::unsetenv("ZVEMUL_PRINT_DIR");
    ::setenv("CUPS_SERVER", (root_ + "/no-cups").c_str(), 1);
  }
  ~TempHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& root() const { return root_; }
  std::string home() const { return root_ + "/home"; }

 private:
  std::string root_;
};

}  // namespace zv::desk::testing
