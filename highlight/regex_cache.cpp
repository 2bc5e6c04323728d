#include "highlight/regex_cache.h"

#include <algorithm>
#include <cctype>

namespace zv {

const CompiledExpression* CRegexCache::Find(const std::string& text) {
  auto [it, inserted] = compiled_.try_emplace(text);
  if (inserted) {
    try {
      it->second.compiled.expression.assign(text, kFlags);
      it->second.compiled.required = RequiredLiteral(text);
      it->second.compiled.literal = !text.empty() && it->second.compiled.required == text;
      it->second.valid = true;
    } catch (const boost::regex_error&) {
      it->second.valid = false;
    }
  }
  return it->second.valid ? &it->second.compiled : nullptr;
}

bool CompiledExpression::Search(const char* from, const char* end, bool continued,
                                boost::match_results<const char*>& scratch, Match& found) const {
  if (literal) {
    const std::string_view range(from, static_cast<std::size_t>(end - from));
    const std::size_t at = range.find(required);
    if (at == std::string_view::npos) return false;
    found.begin = found.spanBegin = from + at;
    found.end = found.spanEnd = found.begin + required.size();
    return true;
  }
  const auto flags = continued ? boost::match_prev_avail | boost::match_not_bob : boost::match_default;
  if (!boost::regex_search(from, end, scratch, expression, flags)) return false;
  const auto& span = scratch.size() > 1 && scratch[1].matched ? scratch[1] : scratch[0];
  found = {scratch[0].first, scratch[0].second, span.first, span.second};
  return true;
}

std::string CRegexCache::RequiredLiteral(std::string_view text) {
  // (? forms may switch on case-blind or extended syntax or look around.
  if (text.find("(?") != std::string_view::npos) return {};
  // Only the part before the first class or escaped letter or digit (\d,
  // \x41, \Q...) is read; an alternation anywhere after it could cover the
  // whole expression. An escaped punctuation character is that character.
  std::size_t stop = text.find('[');
  for (std::size_t i = text.find('\\'); i < stop; i = text.find('\\', i + 2)) {
    if (i + 1 >= text.size() || std::isalnum(static_cast<unsigned char>(text[i + 1]))) stop = i;
  }
  if (stop != std::string_view::npos && text.find('|', stop) != std::string_view::npos) return {};
  text = text.substr(0, stop);
  constexpr std::string_view kSpecial = "^$.|?*+(){}";
  std::string best, run;
  const auto keep = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      // A literal, unless a quantifier after it makes it optional.
      const bool optional = i + 2 < text.size() && (text[i + 2] == '?' || text[i + 2] == '*' || text[i + 2] == '{');
      if (depth == 0 && !optional) {
        run += text[i + 1];
      } else {
        keep();
      }
      ++i;
      continue;
    }
    if (depth == 0 && kSpecial.find(c) == std::string_view::npos) {
      run += c;
      continue;
    }
    // A quantifier that allows none makes the character before it optional.
    if ((c == '?' || c == '*' || c == '{') && !run.empty()) run.pop_back();
    keep();
    if (c == '|' && depth == 0) return {};
    if (c == '{') {
      i = text.find('}', i);
      if (i == std::string_view::npos) break;
    }
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
  }
  keep();
  return best;
}

}  // namespace zv
