#include "highlight/regex_cache.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace zv {

const CompiledExpression* CRegexCache::Find(const std::string& text) {
  auto [it, inserted] = compiled_.try_emplace(text);
  if (inserted) {
    try {
      it->second.compiled.expression.assign(text, kFlags);
      it->second.compiled.required = RequiredTexts(text);
      const auto& required = it->second.compiled.required;
      it->second.compiled.literal = !text.empty() && required.size() == 1 && required[0] == text;
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
    const std::size_t at = range.find(required[0]);
    if (at == std::string_view::npos) return false;
    found.begin = found.spanBegin = from + at;
    found.end = found.spanEnd = found.begin + required[0].size();
    return true;
  }
  const auto flags = continued ? boost::match_prev_avail | boost::match_not_bob : boost::match_default;
  if (!boost::regex_search(from, end, scratch, expression, flags)) return false;
  const auto& span = scratch.size() > 1 && scratch[1].matched ? scratch[1] : scratch[0];
  found = {scratch[0].first, scratch[0].second, span.first, span.second};
  return true;
}

namespace {

// The part of an expression that the required texts are read from: before
// the first class or escaped letter or digit (\d, \x41, \Q...). Nothing
// when it uses (? forms, which may switch on case-blind or extended syntax or
// look around, or when an alternation after that part could cover it all.
std::optional<std::string_view> ReadablePart(std::string_view text) {
  if (text.find("(?") != std::string_view::npos) return std::nullopt;
  std::size_t stop = text.find('[');
  for (std::size_t i = text.find('\\'); i < stop; i = text.find('\\', i + 2)) {
    if (i + 1 >= text.size() || std::isalnum(static_cast<unsigned char>(text[i + 1]))) stop = i;
  }
  if (stop != std::string_view::npos && text.find('|', stop) != std::string_view::npos) return std::nullopt;
  return text.substr(0, stop);
}

}  // namespace

std::vector<std::string> CRegexCache::RequiredTexts(std::string_view text) {
  std::string run = RequiredLiteral(text);
  if (run.size() >= 2) return {run};
  const std::optional<std::string_view> part = ReadablePart(text);
  if (!part) return {};
  int depth = 0;
  for (std::size_t i = 0; i < part->size(); ++i) {
    if ((*part)[i] == '\\') {
      ++i;
    } else if ((*part)[i] == '(') {
      ++depth;
    } else if ((*part)[i] == ')') {
      depth = std::max(0, depth - 1);
    } else if ((*part)[i] == '|' && depth == 0) {
      return {};
    }
  }
  depth = 0;
  for (std::size_t i = 0; i < part->size(); ++i) {
    const char c = (*part)[i];
    if (c == '\\') {
      ++i;
    } else if (c == ')') {
      depth = std::max(0, depth - 1);
    } else if (c == '(' && depth++ == 0) {
      const std::size_t close = part->find(')', i);
      if (close == std::string_view::npos) break;
      const std::string_view inner = part->substr(i + 1, close - i - 1);
      const char after = close + 1 < part->size() ? (*part)[close + 1] : '\0';
      if (inner.find_first_of("\\^$.?*+()[]{}") != std::string_view::npos || after == '?' || after == '*' ||
          after == '{') {
        continue;
      }
      std::vector<std::string> alternatives;
      for (std::size_t from = 0;;) {
        const std::size_t bar = inner.find('|', from);
        alternatives.emplace_back(inner.substr(from, bar - from));
        if (alternatives.back().empty()) return run.empty() ? std::vector<std::string>{} : std::vector{run};
        if (bar == std::string_view::npos) break;
        from = bar + 1;
      }
      return alternatives;
    }
  }
  return run.empty() ? std::vector<std::string>{} : std::vector{run};
}

std::string CRegexCache::RequiredLiteral(std::string_view text) {
  const std::optional<std::string_view> part = ReadablePart(text);
  if (!part) return {};
  text = *part;
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
