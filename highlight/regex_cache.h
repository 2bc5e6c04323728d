// Compiled regular expressions by their text, so that a rule is compiled
// once and not again for every line of every text.
#pragma once

#include <string>
#include <unordered_map>

#include <boost/regex.hpp>

namespace zv {

class CRegexCache {
 public:
  // Perl-like syntax, case-sensitive; a bad expression throws (no_except is
  // not set: this Boost has no separate use_except bit).
  static constexpr boost::regex::flag_type kFlags = boost::regbase::normal;

  // The expression compiled from `text`, or null when the library rejects
  // it (remembered too, so a bad expression is not compiled again).
  const boost::regex* Find(const std::string& text);
  void Clear() { compiled_.clear(); }
  std::size_t size() const { return compiled_.size(); }

 private:
  struct Entry {
    boost::regex expression;
    bool valid = false;
  };
  std::unordered_map<std::string, Entry> compiled_;
};

}  // namespace zv
