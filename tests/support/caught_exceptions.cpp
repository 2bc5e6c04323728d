#include "caught_exceptions.h"

#include <gtest/gtest.h>

namespace zv::testing {
namespace {

class FailOnCaughtException : public ::testing::Environment {
 public:
  void SetUp() override {
    platform::SetCaughtExceptionReporter([](std::string_view what, const platform::CatchSite& where) {
      ADD_FAILURE_AT(where.file, static_cast<int>(where.line))
          << "a catch-all guard ended an exception in " << where.function << ": " << what;
    });
  }
  void TearDown() override { platform::SetCaughtExceptionReporter({}); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new FailOnCaughtException);

}  // namespace

ExpectCaughtExceptions::ExpectCaughtExceptions()
    : previous_(platform::SetCaughtExceptionReporter(
          [this](std::string_view what, const platform::CatchSite&) { caught_.emplace_back(what); })) {}

ExpectCaughtExceptions::~ExpectCaughtExceptions() { platform::SetCaughtExceptionReporter(std::move(previous_)); }

}  // namespace zv::testing
