// A fuzzed rule set against a fuzzed text. The input is the rules, one per
// line (its first byte picks the format and join), then a NUL, then the
// text. The call answers one of its codes; a processed text is RTF, any
// other is left as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/highlight_fuzz_support.h"
#include "platform/code_page.h"

namespace {

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Rule(std::string_view line) {
  const unsigned flags = line.empty() ? 0 : static_cast<unsigned char>(line[0]);
  if (!line.empty()) line.remove_prefix(1);
  std::string search(line), condition;
  if (const std::size_t tab = search.find('\t'); tab != std::string::npos) {
    condition = search.substr(tab + 1);
    search.resize(tab);
  }
  std::string rule = "<R search_text='" + Escaped(search) + "'";
  if (flags & 1) rule += std::string(" join_condition='") + (flags & 2 ? "and not" : "and") + "' condition_text='" +
                         Escaped(condition) + "'";
  rule += "><Highlight";
  if (flags & 4) rule += " fgcolor='{" + std::to_string(flags * 7 % 256) + ",0,255}'";
  if (flags & 8) rule += " bgcolor='{255," + std::to_string(flags * 13 % 256) + ",0}'";
  if (flags & 16) rule += " fgEntireLine='yes'";
  if (flags & 32) rule += " bgEntireLine='yes'";
  if (flags & 64) rule += " underline='yes'";
  return rule + "/></R>";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zv::fuzzing::HighlightFixture fixture;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  std::string_view rules = input.substr(0, nul);
  std::string text(nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1));
  std::string xml = "<Brimlux><Rules>";
  for (int n = 0; n < 8 && !rules.empty(); ++n) {
    const std::size_t end = rules.find('\n');
    xml += Rule(rules.substr(0, end));
    rules = end == std::string_view::npos ? std::string_view() : rules.substr(end + 1);
  }
  fixture.engine->ParseRules(zv::platform::Cp1252ToUtf16(xml + "</Rules></Brimlux>"));
  const std::string before = text;
  const HRESULT hr = fixture.engine->BrimluxText(size % 2, text);
  fixture.ClearBoxes();
  if (hr == 0 && text != before && !text.starts_with("{\\rtf")) std::abort();
  if (hr != 0 && text != before) std::abort();
  return 0;
}
