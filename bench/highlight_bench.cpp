// Highlighting one response of 15 rows of 64 columns with 20 rules: the
// rule search with expressions compiled once and cached, against compiling
// every rule again for every line; and the whole BrimluxText, RTF read-back
// included.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "highlight/brimlux.h"
#include "highlight/regex_cache.h"
#include "platform/desktop.h"
#include "platform/registry.h"
#include "platform/window.h"

namespace zv {
namespace {

const std::vector<std::string>& Expressions() {
  // Mostly the words and codes agents mark, a few with groups and anchors.
  static const std::vector<std::string> rules = {
      "^\\*\\* AVAILABILITY \\*\\*", " ([JCDYBMHK]0)\\b", " (SS|HK)\\d ", "RECORD LOCATOR ([A-Z0-9]{6})",
      "^CHECK [A-Z ]+$", "INVALID FORMAT", "WAITLIST", " HL\\d", " UC\\d", " HX\\d", "NO SEATS", "CLOSED",
      "SCHEDULE CHANGE", "TKTL", "NOT FOUND", "LONPAR", "73H", "NAME \\d+ ADDED", "PHONE \\d+ ADDED", "TICKETING",
  };
  return rules;
}

std::vector<std::string> Lines() {
  std::vector<std::string> lines = {"** AVAILABILITY **  10JUN WE  LON LONDON - PAR PARIS"};
  for (int i = 1; i < 15; ++i) {
    std::string line = " " + std::to_string(i) + " TL  4" + std::to_string(10 + i) +
                       "  J8 C4 D6 Y9 B0 M6 H9 K7  LONPAR 0615 0820   73H";
    line.resize(64, ' ');
    lines.push_back(line);
  }
  return lines;
}

int SearchLine(const boost::regex& re, const std::string& line, boost::match_results<const char*>& m) {
  int found = 0;
  auto flags = boost::match_default;
  for (const char* from = line.data(); boost::regex_search(from, line.data() + line.size(), m, re, flags);) {
    ++found;
    from = m[0].second + (m[0].length() == 0 ? 1 : 0);
    if (from > line.data() + line.size()) break;
    flags = boost::match_prev_avail | boost::match_not_bob;
  }
  return found;
}

void BM_RulesCompiledPerLine(benchmark::State& state) {
  const std::vector<std::string> lines = Lines();
  boost::match_results<const char*> match;
  for (auto _ : state) {
    int found = 0;
    for (const std::string& line : lines) {
      for (const std::string& rule : Expressions()) {
        found += SearchLine(boost::regex(rule, CRegexCache::kFlags), line, match);
      }
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_RulesCompiledPerLine);

void BM_RulesCached(benchmark::State& state) {
  const std::vector<std::string> lines = Lines();
  CRegexCache cache;
  boost::match_results<const char*> match;
  for (auto _ : state) {
    int found = 0;
    // As the engine does: each rule's expression looked up once per text.
    std::vector<const CompiledExpression*> compiled;
    for (const std::string& rule : Expressions()) compiled.push_back(cache.Find(rule));
    for (const std::string& line : lines) {
      for (const CompiledExpression* rule : compiled) {
        if (!rule->MayMatchIn(line)) continue;
        CompiledExpression::Match m;
        const char* const end = line.data() + line.size();
        for (const char* from = line.data(); from <= end && rule->Search(from, end, from != line.data(), match, m);) {
          ++found;
          from = m.end + (m.end == m.begin ? 1 : 0);
        }
      }
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_RulesCached);

// The engine in file mode, in a temporary home.
void BM_BrimluxText(benchmark::State& state) {
  char pattern[] = "/tmp/zv-highlight-bench-XXXXXX";
  const std::filesystem::path dir = mkdtemp(pattern);
  setenv("ZVEMUL_LOGFILE", (dir / "logfile.log").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  std::string xml = "<Brimlux><Rules>";
  for (const std::string& rule : Expressions()) {
    std::string escaped;
    for (char c : rule) escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '\'' ? "&apos;" : std::string(1, c);
    xml += "<R search_text='" + escaped + "'><Highlight fgcolor='{255,0,0}' underline='yes'/></R>";
  }
  std::ofstream(dir / "rules.xml") << xml << "</Rules></Brimlux>";
  {
    platform::RegistryStore store;
    platform::SetCurrentRegistryStore(&store);
    store.SetString(HKEY_CURRENT_USER, CBrimlux::kSettingsKey, "Path", (dir / "rules.xml").native());
    platform::Desktop desktop;
    platform::DesktopScope scope(desktop);
    platform::Window parent;
    parent.Create(0, {0, 0, 800, 600}, nullptr, 0);
    CBrimlux engine;
    if (engine.Initialize(&parent) != 0) state.SkipWithError("the engine did not start");
    CHARFORMAT2A defaults;
    defaults.dwMask = CFM_COLOR | CFM_BACKCOLOR;
    defaults.crTextColor = RGB(255, 255, 255);
    engine.SetDefaultRTF(true, defaults);
    std::string response;
    for (const std::string& line : Lines()) response += (response.empty() ? "" : "\r\n") + line;
    for (auto _ : state) {
      std::string text = response;
      benchmark::DoNotOptimize(engine.BrimluxText(TRUE, text));
    }
    platform::SetCurrentRegistryStore(nullptr);
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_BrimluxText);

}  // namespace
}  // namespace zv
