#include "apps/zvemul/session_map.h"

namespace zv::desk {
namespace {

// One character as a number: a digit, else 0 (as atoi reads it).
int Digit(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

}  // namespace

void SessionMap::Set(int sessions, std::string_view mapping) {
  session_.fill(0);
  single_ = sessions <= 1;
  if (single_ || mapping.empty()) return;
  // The first character names window 1's session; the first group always
  // counts as session 1 whatever precedes its colon.
  session_[1] = Digit(mapping[0]);
  int current = 1;
  bool semicolon = false;
  bool colon = false;
  for (const char c : mapping.substr(1)) {
    if (c == ';') {
      semicolon = true;
      colon = false;
    } else if (c == ':') {
      colon = true;
      semicolon = false;
    } else if (semicolon) {
      current = Digit(c) == 0 ? 10 : Digit(c);
      semicolon = false;
    } else if (colon && c != ',') {
      session_[static_cast<std::size_t>(Digit(c) == 0 ? 10 : Digit(c))] = current;
    }
  }
}

int SessionMap::SessionOf(int window) const {
  if (single_ || window < 1 || window > kWindows) return 1;
  const int session = session_[static_cast<std::size_t>(window)];
  return session > 0 ? session : 1;
}

}  // namespace zv::desk
