#include "host/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace zv::host {
namespace {

TEST(Cp1252, EveryByteSurvivesUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80 \xA3\xE9"), "\xE2\x82\xAC \xC2\xA3\xC3\xA9");
  EXPECT_EQ(Utf8ToCp1252("\xE2\x80\xA1"), "\x87");  // double dagger
}

TEST(Cp1252, MalformedOrForeignBecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");           // not in 1252
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");       // outside the BMP
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");                  // cut short
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");               // overlong
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");          // a surrogate
  EXPECT_EQ(Utf8ToCp1252("\xFF\xFE"), "??");
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82x"), "??x");             // missing continuation
}

}  // namespace
}  // namespace zv::host
