// Every test program fails a test when a catch-all guard of the logic ends
// an exception (caught_exceptions.cpp installs the reporter). A test that
// throws into a guard on purpose counts what it caught instead.
#pragma once

#include <string>
#include <vector>

#include "platform/catch_all.h"

namespace zv::testing {

class ExpectCaughtExceptions {
 public:
  ExpectCaughtExceptions();
  ~ExpectCaughtExceptions();
  ExpectCaughtExceptions(const ExpectCaughtExceptions&) = delete;
  ExpectCaughtExceptions& operator=(const ExpectCaughtExceptions&) = delete;

  // The what() of each exception caught so far.
  const std::vector<std::string>& caught() const { return caught_; }

 private:
  platform::CaughtExceptionReporter previous_;
  std::vector<std::string> caught_;
};

}  // namespace zv::testing
