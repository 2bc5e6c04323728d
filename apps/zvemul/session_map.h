// Which host session each window's entries go to: the desk's own reading
// of the mapping text it gives the control's CreateSessionQueue ("1:1,3,5;
// 2:2,4,6": windows 1, 3, 5 in session 1, windows 2, 4, 6 in session 2;
// one character per number, "0" for 10), read as the control reads it.
#pragma once

#include <array>
#include <string_view>

namespace zv::desk {

class SessionMap {
 public:
  static constexpr int kWindows = 10;

  // One session, or fewer: every window in session 1.
  void Set(int sessions, std::string_view mapping);

  // The session of window 1..10. A window the mapping leaves out, like any
  // window in single-queue mode, goes to session 1.
  int SessionOf(int window) const;

 private:
  std::array<int, kWindows + 1> session_{};  // by window number; 0: not mapped
  bool single_ = true;
};

}  // namespace zv::desk
