// The text every match must hold, which lets a line be skipped unsearched:
// it must never be claimed where a match could do without it.
#include <gtest/gtest.h>

#include "highlight/regex_cache.h"

namespace zv {
namespace {

TEST(RegexCacheTest, RequiredLiteralIsOnlyWhatEveryMatchHolds) {
  struct Case {
    const char* expression;
    const char* required;
  } cases[] = {
      {"WAITLIST", "WAITLIST"},
      {"^CHECK [A-Z ]+$", "CHECK "},
      {"RECORD LOCATOR ([A-Z0-9]{6})", "RECORD LOCATOR "},
      {"NAMES? ADDED", " ADDED"},
      {"AB*C", "A"},
      {"XY{2}Z", "X"},
      {"AB+", "AB"},
      {"TKTL|TL", ""},
      {"(A|B)CDE", "CDE"},
      {"ABC\\d|XYZ", ""},
      {"(?i)waitlist", ""},
      {"ABC\\.DEF", "ABC.DEF"},
      {"^\\*\\* AV \\*\\*", "** AV **"},
      {"AB\\*?C", "AB"},
      {"A\\|B\\dC|D", ""},
      {"[A-Z]+ WAITLIST", ""},
      {"(", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CRegexCache::RequiredLiteral(c.expression), c.required) << c.expression;
  using Texts = std::vector<std::string>;
  EXPECT_EQ(CRegexCache::RequiredTexts(" (SS|HK)\\d "), (Texts{"SS", "HK"}));
  EXPECT_EQ(CRegexCache::RequiredTexts("WL (SS|HK)"), Texts{"WL "});
  EXPECT_EQ(CRegexCache::RequiredTexts(" (SS|HK)? "), Texts{" "});
  EXPECT_EQ(CRegexCache::RequiredTexts("(A|)B"), Texts{"B"});
  EXPECT_EQ(CRegexCache::RequiredTexts("(S.|HK)"), Texts{});
  EXPECT_EQ(CRegexCache::RequiredTexts("x(S|H)|y"), Texts{});
  CRegexCache cache;
  ASSERT_NE(cache.Find("(WL)"), nullptr);
  EXPECT_EQ(cache.Find("(WL)"), cache.Find("(WL)")) << "compiled once";
  EXPECT_EQ(cache.Find("("), nullptr);
}

}  // namespace
}  // namespace zv
