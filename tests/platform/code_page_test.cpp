#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace zv::platform {
namespace {

std::string AllBytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
  return s;
}

TEST(CodePage, EveryByteSurvivesUtf16AndUtf8) {
  const std::string all = AllBytes();
  const std::u16string wide = Cp1252ToUtf16(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(Utf16ToCp1252(wide), all);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  for (int b = 0; b < 256; ++b) {
    const char32_t u = Cp1252ToUnicode(static_cast<char>(b));
    ASSERT_EQ(UnicodeToCp1252(u), static_cast<char>(b)) << "byte " << b;
  }
}

TEST(CodePage, KnownMappingsUnrepresentableAndMalformedText) {
  EXPECT_EQ(Cp1252ToUnicode('\x80'), U'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode('\x9F'), U'\u0178');
  for (char undefined : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
    EXPECT_EQ(Cp1252ToUnicode(undefined), static_cast<unsigned char>(undefined));
  }
  // C1 controls other than the five undefined bytes are taken by other characters.
  for (const char32_t c : {0x80u, 0x9Eu, 0x0100u, 0x10FFFFu, 0x110000u}) {
    EXPECT_EQ(UnicodeToCp1252(c), std::nullopt) << std::uint32_t{c};
  }
  EXPECT_EQ(Cp1252ToUtf8("\x80 caf\xE9"), "\xE2\x82\xAC caf\xC3\xA9");
  EXPECT_EQ(Utf16ToCp1252(u"a\u4E2Db\U0001F600c"), "a?b?c");              // a pair is one '?'
  EXPECT_EQ(Utf16ToCp1252(std::u16string{u'x', char16_t(0xD800)}), "x?");  // lone high surrogate
  EXPECT_EQ(Utf16ToCp1252(std::u16string{char16_t(0xDC00), u'y'}), "?y");  // lone low surrogate
  // UTF-8: one '?' per character that has none, and per maximal bad subpart
  // (overlong forms, an encoded surrogate, beyond U+10FFFF, truncated).
  const std::pair<const char*, const char*> utf8[] = {
      {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"}, {"a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80" "c", "a?b?c"},
      {"\xC0\xAF", "??"}, {"\xE0\x80\xAF", "???"}, {"\xED\xA0\x80", "???"}, {"\xF4\x90\x80\x80", "????"},
      {"\xE2\x82", "?"}, {"\xE2\x82x", "?x"}, {"\x80\xBF\xFE\xFF", "????"}, {"", ""}};
  for (const auto& [in, out] : utf8) EXPECT_EQ(Utf8ToCp1252(in), out) << in;
}

TEST(CodePage, DecodeAlwaysAdvances) {
  // Every byte string, however broken, decodes in at most one step per byte.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; b += 17) {
      const std::string s{static_cast<char>(a), static_cast<char>(b), '\xBF', '\xBF'};
      std::size_t pos = 0;
      int steps = 0;
      while (pos < s.size()) {
        const std::size_t before = pos;
        const char32_t c = DecodeUtf8(s, pos);
        ASSERT_GT(pos, before);
        ASSERT_LE(c, 0x10FFFFu);
        ++steps;
      }
      ASSERT_LE(steps, 4);
    }
  }
}

TEST(CodePage, AppendUtf8ReplacesInvalidCodePoints) {
  std::string out;
  AppendUtf8(out, 0xD800);
  AppendUtf8(out, 0x110000);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
  out.clear();
  AppendUtf8(out, 0x10FFFF);
  std::size_t pos = 0;
  EXPECT_EQ(DecodeUtf8(out, pos), 0x10FFFFu);
  EXPECT_EQ(pos, 4u);
}

}  // namespace
}  // namespace zv::platform
