// Compiled regular expressions by their text, so that a rule is compiled
// once and not again for every line of every text.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <boost/regex.hpp>

namespace zv {

// One compiled expression and texts of which every match contains one (none
// when nothing is known), so that a line without any of them needs no
// search. An expression that is nothing but plain characters is found as text.
struct CompiledExpression {
  boost::regex expression;
  std::vector<std::string> required;
  bool literal = false;

  // A match: the whole of it, and the part to format (group 1 when it took
  // part, else the whole match).
  struct Match {
    const char* begin = nullptr;
    const char* end = nullptr;
    const char* spanBegin = nullptr;
    const char* spanEnd = nullptr;
  };

  bool MayMatchIn(std::string_view range) const {
    if (required.empty()) return true;
    for (const std::string& text : required) {
      if (range.find(text) != std::string_view::npos) return true;
    }
    return false;
  }
  // The first match in [from, end); `continued`: the search goes on after
  // an earlier match, so the character before `from` counts for anchors.
  // Boost's errors (its complexity limit) are thrown.
  bool Search(const char* from, const char* end, bool continued, boost::match_results<const char*>& scratch,
              Match& found) const;
};

class CRegexCache {
 public:
  // Perl-like syntax, case-sensitive; a bad expression throws (no_except is
  // not set: this Boost has no separate use_except bit).
  static constexpr boost::regex::flag_type kFlags = boost::regbase::normal;

  // The expression compiled from `text`, or null when the library rejects
  // it (remembered too, so a bad expression is not compiled again).
  const CompiledExpression* Find(const std::string& text);
  void Clear() { compiled_.clear(); }

  // The longest run of plain characters that every match must contain, read
  // conservatively from the expression's text: outside any group, with no
  // alternation at the top, and nothing when the expression uses (? forms.
  static std::string RequiredLiteral(std::string_view text);
  // That run when it is two characters or more; else the alternatives of the
  // first plain group such as "(SS|HK)" when it cannot be skipped; else the
  // run; else none.
  static std::vector<std::string> RequiredTexts(std::string_view text);

 private:
  struct Entry {
    CompiledExpression compiled;
    bool valid = false;
  };
  std::unordered_map<std::string, Entry> compiled_;
};

}  // namespace zv
