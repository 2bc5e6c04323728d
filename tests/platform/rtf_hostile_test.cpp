// Broken and hostile RTF: the reader must finish, stay within memory bounded
// by the input, and hand back well-formed text. A hang shows as a test timeout.
// Random and mutated input is the rtf_reader fuzz target's work.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"

namespace zv::platform {
namespace {

// Reads the input both ways and checks what every result must satisfy.
FormattedText ReadChecked(const std::string& input) {
  FormattedText out;
  for (bool final_mark : {false, true}) {
    CharFormat end;
    const bool ok = ReadRtf(input, CharFormat{}, out, {.last_par_is_final_mark = final_mark}, &end);
    EXPECT_LE(out.text.size(), input.size());
    std::size_t covered = 0;
    for (std::size_t i = 0; i < out.runs.size(); ++i) {
      EXPECT_GT(out.runs[i].length, 0u);
      EXPECT_LE(out.runs[i].format.face.size(), 31u);
      if (i > 0) {
        EXPECT_FALSE(out.runs[i].format == out.runs[i - 1].format);
      }
      covered += out.runs[i].length;
    }
    EXPECT_EQ(covered, out.text.size());
    EXPECT_EQ(out.text.find('\0'), std::string::npos);
    if (!ok) {
      EXPECT_TRUE(out.text.empty());
    }
    // Whatever was read, our own writer and reader carry unchanged.
    FormattedText again;
    EXPECT_TRUE(ReadRtf(WriteRtf(out), CharFormat{}, again, {.last_par_is_final_mark = true}));
    EXPECT_EQ(again.text, out.text);
    EXPECT_EQ(again.runs.size(), out.runs.size());
    for (std::size_t i = 0; i < std::min(again.runs.size(), out.runs.size()); ++i) {
      EXPECT_EQ(again.runs[i].length, out.runs[i].length);
      EXPECT_TRUE(again.runs[i].format == out.runs[i].format) << "run " << i;
    }
  }
  return out;
}

TEST(RtfHostile, TruncatedEscapesUnbalancedBracesAndBinaryLengths) {
  for (const char* tail : {"\\", "\\'", "\\'4", "\\'x", "\\u", "\\u-", "\\u12", "\\uc", "\\bin", "\\bin5", "\\*",
                           "{\\*", "{\\*\\", "\\fonttbl", "{\\fonttbl{\\f0", "{\\colortbl\\red", "\\par\\", "-"}) {
    SCOPED_TRACE(tail);
    const FormattedText out = ReadChecked(std::string("{\\rtf1 ab") + tail);
    EXPECT_TRUE(out.text.starts_with("ab")) << out.text;
  }
  const std::pair<const char*, const char*> cases[] = {
      {"{\\rtf1 a\\'4}b", "a"},
      {"{\\rtf1 a\\'4zb}", "azb"},
      {"{\\rtf1 a{{{{b", "ab"},
      {"{\\rtf1 a}}}}}b", "a"},
      {"{\\rtf1 {\\b a}}}}}{{{b", "a"},
      {"{\\rtf1 {\\*\\x a{b", ""},
      {"{\\rtf1 a\\bin999999999999999 bcd}", "a"},
      {"{\\rtf1 a\\bin-5 bcd}", "abcd"},
      {"{\\rtf1 a\\bin3 {}}b}", "ab"},
      {"{\\rtf1 a{\\*\\x\\bin2 }}b}c}", "ac"},
  };
  for (const auto& [input, text] : cases) EXPECT_EQ(ReadChecked(input).text, text) << input;
}

TEST(RtfHostile, DeepNesting) {
  const std::size_t n = 100000;
  // Closed: the text is read and formats come back once the saved depth is reached.
  const std::string closed = "{\\rtf1 " + std::string(n, '{') + "\\b x" + std::string(n, '}') + "y}";
  const FormattedText out = ReadChecked(closed);
  ASSERT_EQ(out.text, "xy");
  ASSERT_EQ(out.runs.size(), 2u);
  EXPECT_TRUE(out.runs[0].format.bold);
  EXPECT_FALSE(out.runs[1].format.bold);
  // Never closed.
  EXPECT_EQ(ReadChecked("{\\rtf1 " + std::string(n, '{') + "z").text, "z");
  // Inside a skipped destination, and alternating open and close.
  EXPECT_EQ(ReadChecked("{\\rtf1 {\\*\\x " + std::string(n, '{') + "q" + std::string(n, '}') + "}w}").text, "w");
  std::string zigzag = "{\\rtf1 ";
  for (std::size_t i = 0; i < n / 2; ++i) zigzag += "{{}";
  EXPECT_EQ(ReadChecked(zigzag + "k").text, "k");
}

TEST(RtfHostile, HugeNumbersSaturate) {
  const std::string big = "99999999999999999999999999999";
  const FormattedText out = ReadChecked("{\\rtf1{\\colortbl;\\red" + big + ";}\\fs" + big + "\\cf" + big + "\\f-" + big +
                                        "\\uc" + big + "\\b" + big + " a\\u" + big + "b\\u-" + big + "}");
  // After the first \u, \uc makes every later character a stand-in.
  EXPECT_EQ(out.text, "a?");
  const FormattedText sized = ReadChecked("{\\rtf1\\fs" + big + " a\\fs-5 b\\cf-" + big + " c}");
  ASSERT_EQ(sized.text, "abc");
  EXPECT_EQ(sized.runs[0].format.height_twips, 32760);
  EXPECT_EQ(sized.runs.size(), 1u);
  EXPECT_EQ(ReadChecked("{\\rtf1\\u" + big + "?\\u-" + big + "?x}").text, "??x");
}

TEST(RtfHostile, IndexesOutOfRangeFallBackToBase) {
  CharFormat base;
  base.face = "Base";
  base.color = RGB(1, 2, 3);
  base.auto_back_color = false;
  base.back_color = RGB(4, 5, 6);
  FormattedText out;
  ASSERT_TRUE(ReadRtf("{\\rtf1{\\fonttbl{\\f0 Zero;}}{\\colortbl;\\red9\\green9\\blue9;}"
                      "\\f0\\cf1\\highlight1 a\\f7\\cf2\\highlight-1 b\\f-1 c}",
                      base, out));
  ASSERT_EQ(out.text, "abc");
  ASSERT_EQ(out.runs.size(), 2u);
  EXPECT_EQ(out.runs[0].format.face, "Zero");
  const CharFormat& b = out.runs[1].format;
  EXPECT_EQ(b.face, "Base");
  EXPECT_EQ(b.color, base.color);
  EXPECT_EQ(b.back_color, base.back_color);
  EXPECT_FALSE(b.auto_back_color);
}

TEST(RtfHostile, ManyRunsStayProportionalToInput) {
  std::string rtf = "{\\rtf1 ";
  for (int i = 0; i < 20000; ++i) rtf += i % 2 ? "\\b0 x" : "\\b x";
  const FormattedText out = ReadChecked(rtf + "}");
  EXPECT_EQ(out.text.size(), 20000u);
  EXPECT_EQ(out.runs.size(), 20000u);
  // Big tables of fonts and colours are cut off, not grown without end.
  std::string tables = "{\\rtf1{\\fonttbl";
  for (int i = 0; i < 10000; ++i) tables += "\\f" + std::to_string(i) + " F;";
  tables += "}{\\colortbl";
  tables += std::string(10000, ';');
  EXPECT_EQ(ReadChecked(tables + "}\\f9999\\cf9999 z}").runs.at(0).format.face, CharFormat{}.face);
}

}  // namespace
}  // namespace zv::platform
