// What every fuzz target shares: a check that stops the run with a finding,
// and a private profile folder so that nothing touches the real home.
#pragma once

#include <cstdlib>

#include "apps/zvemul-script/headless_control.h"

namespace zv::fuzz {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

using script::PrivateProfile;

}  // namespace zv::fuzz
