#include "highlight/regex_cache.h"

namespace zv {

const boost::regex* CRegexCache::Find(const std::string& text) {
  auto [it, inserted] = compiled_.try_emplace(text);
  if (inserted) {
    try {
      it->second.expression.assign(text, kFlags);
      it->second.valid = true;
    } catch (const boost::regex_error&) {
      it->second.valid = false;
    }
  }
  return it->second.valid ? &it->second.expression : nullptr;
}

}  // namespace zv
