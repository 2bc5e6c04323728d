// The catch-all guard of the logic's boundaries (automation members, window
// message handlers, operations the control calls on its windows): whatever
// is thrown inside ends the operation quietly with its failure value. The
// logic writes nothing about it; a container or a test may install a
// reporter that is told of each exception a guard ends.
#pragma once

#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>

namespace zv::platform {

// Where a guard stands, filled in at the call by the compiler's builtins
// (clang 14 with libstdc++ 12, which the fuzz build uses, has no
// std::source_location).
struct CatchSite {
  const char* file = "";
  unsigned line = 0;
  const char* function = "";

  static constexpr CatchSite Current(const char* file = __builtin_FILE(), unsigned line = __builtin_LINE(),
                                     const char* function = __builtin_FUNCTION()) {
    return CatchSite{file, line, function};
  }
};

// What was thrown (its what(), or "unknown exception") and the guard's place.
using CaughtExceptionReporter = std::function<void(std::string_view what, const CatchSite& where)>;

// Installs the process's reporter (an empty one: none) and answers the one
// it replaces.
CaughtExceptionReporter SetCaughtExceptionReporter(CaughtExceptionReporter reporter);

// Hands the exception being handled to the reporter; call only inside a
// catch block. Never throws.
void ReportCaughtException(const CatchSite& where) noexcept;

template <typename R, typename Fn>
R CatchAll(R failure, Fn&& fn, CatchSite where = CatchSite::Current()) noexcept {
  try {
    return std::forward<Fn>(fn)();
  } catch (...) {
    ReportCaughtException(where);
    return failure;
  }
}

template <typename Fn>
requires std::is_void_v<std::invoke_result_t<Fn>>
void CatchAll(Fn&& fn, CatchSite where = CatchSite::Current()) noexcept {
  try {
    std::forward<Fn>(fn)();
  } catch (...) {
    ReportCaughtException(where);
  }
}

}  // namespace zv::platform
