#include "platform/catch_all.h"

#include <exception>
#include <string>

namespace zv::platform {
namespace {

// Set by the container or test program before the logic runs.
CaughtExceptionReporter& Reporter() {
  static CaughtExceptionReporter reporter;
  return reporter;
}

}  // namespace

CaughtExceptionReporter SetCaughtExceptionReporter(CaughtExceptionReporter reporter) {
  return std::exchange(Reporter(), std::move(reporter));
}

void ReportCaughtException(const CatchSite& where) noexcept {
  try {
    if (!Reporter()) return;
    std::string what = "unknown exception";
    try {
      throw;
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
    Reporter()(what, where);
  } catch (...) {
  }
}

}  // namespace zv::platform
