// The catch-all guard of the logic's boundaries (automation members, window
// message handlers, operations the control calls on its windows): whatever
// is thrown inside ends the operation quietly with its failure value.
#pragma once

#include <type_traits>
#include <utility>

namespace zv::platform {

template <typename R, typename Fn>
R CatchAll(R failure, Fn&& fn) noexcept {
  try {
    return std::forward<Fn>(fn)();
  } catch (...) {
    return failure;
  }
}

template <typename Fn>
requires std::is_void_v<std::invoke_result_t<Fn>>
void CatchAll(Fn&& fn) noexcept {
  try {
    std::forward<Fn>(fn)();
  } catch (...) {
  }
}

}  // namespace zv::platform
