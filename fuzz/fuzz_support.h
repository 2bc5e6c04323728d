// What every fuzz target shares: a check that stops the run with a finding,
// and a private profile folder so that nothing touches the real home.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <string>

namespace zv::fuzz {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

// HOME, the XDG folders and the error log inside one fresh folder (made
// once per process, left for the system to clean up); returns its path.
inline const std::string& PrivateProfile() {
  static const std::string root = [] {
    char pattern[] = "/tmp/zv-fuzz-XXXXXX";
    const std::string path = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    ::setenv("HOME", path.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (path + "/state").c_str(), 1);
    ::setenv("ZVEMUL_LOGFILE", (path + "/logfile.log").c_str(), 1);
    return path;
  }();
  return root;
}

}  // namespace zv::fuzz
