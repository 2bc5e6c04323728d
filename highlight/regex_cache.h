// Compiled regular expressions by their text, so that a rule is compiled
// once and not again for every line of every text.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include <boost/regex.hpp>

namespace zv {

// One compiled expression and a text that every match of it contains (empty
// when none is known), so that a line without that text needs no search. An
// expression that is nothing but plain characters is found as text.
struct CompiledExpression {
  boost::regex expression;
  std::string required;
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
    return required.empty() || range.find(required) != std::string_view::npos;
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

 private:
  struct Entry {
    CompiledExpression compiled;
    bool valid = false;
  };
  std::unordered_map<std::string, Entry> compiled_;
};

}  // namespace zv
