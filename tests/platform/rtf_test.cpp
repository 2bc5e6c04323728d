#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <unistd.h>

#include "platform/rtf_dialect.h"
#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"

namespace zv::platform {
namespace {

CharFormat Colored(COLORREF color) {
  CharFormat f;
  f.color = color;
  return f;
}

// Text in one format, or in the formats given per piece.
FormattedText Make(std::initializer_list<std::pair<std::string, CharFormat>> pieces) {
  FormattedText t;
  for (const auto& [s, f] : pieces) {
    t.text += s;
    if (!t.runs.empty() && t.runs.back().format == f) {
      t.runs.back().length += s.size();
    } else {
      t.runs.push_back({s.size(), f});
    }
  }
  return t;
}

FormattedText Plain(const std::string& s) { return Make({{s, CharFormat{}}}); }

FormattedText ReadFull(const std::string& rtf, const CharFormat& base = {}) {
  FormattedText out;
  EXPECT_TRUE(ReadRtf(rtf, base, out, {.last_par_is_final_mark = true}));
  return out;
}

FormattedText ReadInsert(const std::string& rtf, const CharFormat& base = {}) {
  FormattedText out;
  EXPECT_TRUE(ReadRtf(rtf, base, out));
  return out;
}

// What GetFormattedText makes of a written document.
std::string ForInsertion(const std::string& rtf) { return rtf.substr(0, rtf.size() - 9) + "}"; }

void ExpectSame(const FormattedText& a, const FormattedText& b) {
  ASSERT_EQ(a.text, b.text);
  ASSERT_EQ(a.runs.size(), b.runs.size());
  for (std::size_t i = 0; i < a.runs.size(); ++i) {
    EXPECT_EQ(a.runs[i].length, b.runs[i].length) << "run " << i;
    EXPECT_TRUE(a.runs[i].format == b.runs[i].format) << "run " << i;
  }
}

TEST(RtfRoundTrip, EscapesEveryByteAndSpacesAfterControls) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  CharFormat bold;
  bold.bold = true;
  // A space after a control word is its delimiter; text spaces must survive.
  const FormattedText cases[] = {
      Plain("a\\b{c}d\te\rsecond\nthird \t\r\r\\{}\\ x"), Plain(all + all),
      Make({{" a", CharFormat{}}, {"  b", bold}, {"\t 1", CharFormat{}}, {"-2", bold}, {" ", {}}})};
  for (const FormattedText& t : cases) {
    const std::string rtf = WriteRtf(t);
    ExpectSame(ReadFull(rtf), t);
    for (unsigned char c : rtf) ASSERT_LT(c, 0x80) << "written RTF is 7-bit";
  }
  // The marked break is the only way to a '\n'.
  EXPECT_NE(WriteRtf(cases[0]).find("{\\*\\zvbrk}\\par\r\n"), std::string::npos);
}

CharFormat RandomFormat(std::mt19937& rng) {
  static const char* const kFaces[] = {"Courier New", "Arial", "", " Lead space", "Semi;colon", "Br{ac}e\\s",
                                       "Caf\xE9 \x80", "A face of exactly 31 characters"};
  static const BYTE kFamilies[] = {FF_DONTCARE, FF_ROMAN, FF_SWISS, FF_MODERN, FF_SCRIPT, FF_DECORATIVE};
  const CharFormat base;
  CharFormat f;
  f.auto_color = rng() % 4 == 0;
  f.color = f.auto_color ? base.color : rng() % 4 * 0x3F1F0F;
  f.auto_back_color = rng() % 2 == 0;
  f.back_color = f.auto_back_color ? base.back_color : 0xFFFFFF - rng() % 3 * 0x10;
  f.bold = rng() % 2;
  f.italic = rng() % 2;
  f.underline = rng() % 2;
  f.height_twips = static_cast<LONG>(10 * (1 + rng() % 80));
  f.charset = static_cast<BYTE>(rng() % 3 == 0 ? rng() % 256 : ANSI_CHARSET);
  f.pitch_and_family = static_cast<BYTE>(kFamilies[rng() % 6] | rng() % 16);
  f.face = kFaces[rng() % 8];
  return f;
}

TEST(RtfRoundTrip, ManyRunsOfEveryAttribute) {
  std::mt19937 rng(7);
  for (int doc = 0; doc < 40; ++doc) {
    FormattedText t;
    const int runs = 1 + static_cast<int>(rng() % 60);
    for (int r = 0; r < runs; ++r) {
      CharFormat f = RandomFormat(rng);
      if (!t.runs.empty() && t.runs.back().format == f) continue;
      const std::size_t n = 1 + rng() % 9;
      for (std::size_t i = 0; i < n; ++i) {
        const unsigned v = rng() % 40;
        t.text.push_back(v == 0 ? '\r' : v == 1 ? '\n' : v == 2 ? '\t' : static_cast<char>(1 + rng() % 255));
      }
      t.runs.push_back({n, f});
    }
    const std::string rtf = WriteRtf(t);
    SCOPED_TRACE(rtf);
    ExpectSame(ReadFull(rtf), t);
  }
}

TEST(RtfRoundTrip, LaterRunsWriteOnlyWhatChanged) {
  CharFormat red = Colored(RGB(255, 0, 0));
  CharFormat red_ul = red;
  red_ul.underline = true;
  const std::string rtf = WriteRtf(Make({{"A", red}, {"B", red_ul}, {"C", red}}));
  EXPECT_NE(rtf.find("A\\ul B\\ulnone C"), std::string::npos) << rtf;
  EXPECT_EQ(rtf.find("\\cf", rtf.find(" A")), std::string::npos) << rtf;
}

TEST(RtfDocument, EndsWithFinalMarkAndCutsCleanlyForInsertion) {
  CharFormat green = Colored(RGB(0, 128, 0));
  for (const std::string& text : {std::string(), std::string("x"), std::string("line\rline"),
                                  std::string("ends\r"), std::string("tab\t"), std::string("brk\n")}) {
    SCOPED_TRACE(text);
    const FormattedText t = Make({{text, green}});
    const std::string rtf = WriteRtf(t);
    ASSERT_TRUE(rtf.ends_with(kRtfDocumentEnd));
    ASSERT_EQ(kRtfDocumentEnd.size(), 9u);
    // Full stream-in: the final mark is the engine's own.
    EXPECT_EQ(ReadFull(rtf).text, text);
    // Insertion of the cut document: the same text, no paragraph end added.
    const FormattedText inserted = ReadInsert(ForInsertion(rtf));
    EXPECT_EQ(inserted.text, text);
    if (!text.empty()) {
      EXPECT_TRUE(inserted.runs.at(0).format == green);
    }
    // Insertion of the whole document keeps the final mark as a paragraph end.
    EXPECT_EQ(ReadInsert(rtf).text, text + "\r");
  }
}

TEST(RtfDocument, ARunWithoutTextGivesTheFinalFormat) {
  CharFormat blue = Colored(RGB(0, 0, 255));
  blue.bold = true;
  FormattedText t = Make({{"ab", CharFormat{}}});
  t.runs.push_back({0, blue});
  FormattedText out;
  CharFormat end;
  ASSERT_TRUE(ReadRtf(WriteRtf(t), CharFormat{}, out, {.last_par_is_final_mark = true}, &end));
  EXPECT_EQ(out.text, "ab");
  EXPECT_TRUE(end == blue);
  ASSERT_TRUE(ReadRtf(ForInsertion(WriteRtf(t)), CharFormat{}, out, {}, &end));
  EXPECT_TRUE(end == blue);
}

TEST(RtfDocument, RunsThatDoNotCoverTheText) {
  CharFormat red = Colored(RGB(255, 0, 0));
  FormattedText t;
  t.text = "abcdef";
  t.runs = {{2, red}};
  FormattedText out = ReadFull(WriteRtf(t));
  EXPECT_EQ(out.text, "abcdef");
  ASSERT_EQ(out.runs.size(), 1u);
  EXPECT_TRUE(out.runs[0].format == red);
  t.runs = {{4, red}, {100, CharFormat{}}, {3, red}};
  out = ReadFull(WriteRtf(t));
  EXPECT_EQ(out.text, "abcdef");
  ASSERT_EQ(out.runs.size(), 2u);
  EXPECT_EQ(out.runs[1].length, 2u);
  t.runs.clear();
  EXPECT_EQ(ReadFull(WriteRtf(t)).text, "abcdef");
}

TEST(RtfDocument, HeaderTablesAndControls) {
  CharFormat f;
  f.face = "Arial";
  f.pitch_and_family = VARIABLE_PITCH | FF_SWISS;
  f.color = RGB(255, 0, 0);
  f.auto_back_color = false;
  f.back_color = RGB(0, 0, 255);
  f.height_twips = 240;
  const std::string rtf = WriteRtf(Make({{"x", f}}));
  EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Arial;}}"))
      << rtf;
  EXPECT_NE(rtf.find("{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\f0\\fs24\\cf1\\highlight2\\ulnone\\b0\\i0 x"), std::string::npos) << rtf;
}

// ---- Reading RTF of other writers --------------------------------------------

constexpr char kRichEditStyle[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}"
    "{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\cf1\\lang1033\\f0\\fs20 HELLO\\cf0  "
    "\\cf2\\ul WORLD\\ulnone\\par\r\n"
    "\\highlight1\\f1\\fs24 X\\highlight0\\tab\\b Y\\b0\\i Z\\i0\\par\r\n"
    "}\r\n";

TEST(RtfReader, RichEditStyleDocument) {
  const FormattedText out = ReadFull(kRichEditStyle);
  EXPECT_EQ(out.text, "HELLO WORLD\rX\tYZ");
  ASSERT_EQ(out.runs.size(), 8u);
  const CharFormat& hello = out.runs[0].format;
  EXPECT_EQ(out.runs[0].length, 5u);
  EXPECT_EQ(hello.color, RGB(255, 0, 0));
  EXPECT_FALSE(hello.auto_color);
  EXPECT_EQ(hello.face, "Courier New");
  EXPECT_EQ(hello.pitch_and_family, FIXED_PITCH | FF_MODERN);
  EXPECT_EQ(hello.height_twips, 200);
  EXPECT_TRUE(out.runs[1].format.auto_color);  // "\cf0 " and the space
  const CharFormat& world = out.runs[2].format;
  EXPECT_EQ(world.color, RGB(0, 0, 255));
  EXPECT_TRUE(world.underline);
  EXPECT_EQ(out.runs[2].length, 5u);
  EXPECT_FALSE(out.runs[3].format.underline);  // the paragraph end, after \ulnone
  EXPECT_EQ(out.runs[3].format.color, RGB(0, 0, 255));
  const CharFormat& x = out.runs[4].format;
  EXPECT_FALSE(x.auto_back_color);
  EXPECT_EQ(x.back_color, RGB(255, 0, 0));
  EXPECT_EQ(x.face, "Arial");
  EXPECT_EQ(x.height_twips, 240);
  EXPECT_TRUE(out.runs[5].format.auto_back_color);
  EXPECT_TRUE(out.runs[6].format.bold);
  EXPECT_TRUE(out.runs[7].format.italic);
}

TEST(RtfReader, GroupsRestoreFormatsAndPlainReturnsToBase) {
  CharFormat base;
  base.face = "Base Face";
  base.color = RGB(1, 2, 3);
  const FormattedText out =
      ReadInsert("{\\rtf1{\\fonttbl{\\f3 Times;}}a{\\b\\f3 b{\\i c}d}e\\b\\i\\ul\\cf5\\fs40 f\\plain g}", base);
  EXPECT_EQ(out.text, "abcdefg");
  ASSERT_EQ(out.runs.size(), 7u);
  EXPECT_TRUE(out.runs[0].format == base);
  EXPECT_TRUE(out.runs[1].format.bold);
  EXPECT_EQ(out.runs[1].format.face, "Times");
  EXPECT_TRUE(out.runs[2].format.italic);
  EXPECT_FALSE(out.runs[3].format.italic);
  EXPECT_TRUE(out.runs[4].format == base);  // "e"
  const CharFormat& f = out.runs[5].format;
  EXPECT_TRUE(f.bold && f.italic && f.underline);
  EXPECT_EQ(f.color, base.color);  // \cf5 does not exist: the base colour
  EXPECT_EQ(f.height_twips, 400);
  EXPECT_TRUE(out.runs[6].format == base);
}

TEST(RtfReader, DefaultFontAndFontTableVariants) {
  // Flat table, panose group inside an entry, a missing ';', \deff, a face
  // longer than the record holds.
  const std::string rtf =
      "{\\rtf1\\deff1{\\fonttbl\\f0\\fnil Flat;\\f1\\froman{\\*\\panose 02020603050405020304}Times New Roman;"
      "{\\f2\\fswiss\\fcharset238 NoSemicolon}{\\f3 " + std::string(100, 'F') + ";}}"
      "a\\f0 b\\f2 c\\f9 d\\plain e\\f3 f}";
  CharFormat base;
  const FormattedText out = ReadInsert(rtf, base);
  EXPECT_EQ(out.text, "abcdef");
  ASSERT_EQ(out.runs.size(), 6u);
  EXPECT_EQ(out.runs[0].format.face, "Times New Roman");
  EXPECT_EQ(out.runs[0].format.pitch_and_family, FF_ROMAN);
  EXPECT_EQ(out.runs[1].format.face, "Flat");
  EXPECT_EQ(out.runs[2].format.face, "NoSemicolon");
  EXPECT_EQ(out.runs[2].format.charset, 238);
  EXPECT_EQ(out.runs[3].format.face, base.face);  // \f9 is not in the table
  EXPECT_EQ(out.runs[4].format.face, "Times New Roman");
  EXPECT_EQ(out.runs[5].format.face, std::string(31, 'F'));
}

TEST(RtfReader, ColorTableWithoutAutoEntryAndBackgrounds) {
  const std::string rtf =
      "{\\rtf1{\\colortbl\\red10\\green20\\blue30;;\\red300\\blue-5;}"
      "\\cf0 a\\cf1 b\\cf2 c\\cb0 d\\cb1 e\\highlight99 f}";
  CharFormat base;
  base.auto_back_color = false;
  base.back_color = RGB(9, 9, 9);
  const FormattedText out = ReadInsert(rtf, base);
  ASSERT_EQ(out.text, "abcdef");
  ASSERT_EQ(out.runs.size(), 6u);
  EXPECT_EQ(out.runs[0].format.color, RGB(10, 20, 30));
  EXPECT_TRUE(out.runs[1].format.auto_color);
  EXPECT_EQ(out.runs[2].format.color, RGB(255, 0, 0));  // components clamp
  EXPECT_EQ(out.runs[3].format.back_color, RGB(10, 20, 30));
  EXPECT_TRUE(out.runs[4].format.auto_back_color);
  EXPECT_FALSE(out.runs[5].format.auto_back_color);  // index 99: the base background
  EXPECT_EQ(out.runs[5].format.back_color, RGB(9, 9, 9));
}

TEST(RtfReader, UnderlineStyles) {
  const FormattedText out = ReadInsert("{\\rtf1\\uldb a\\ul0 b\\ulwave c\\ulnone d\\ulc5 e}");
  ASSERT_EQ(out.text, "abcde");
  ASSERT_EQ(out.runs.size(), 4u);
  EXPECT_TRUE(out.runs[0].format.underline);
  EXPECT_FALSE(out.runs[1].format.underline);
  EXPECT_TRUE(out.runs[2].format.underline);
  EXPECT_FALSE(out.runs[3].format.underline);  // \ulc is the underline colour
  EXPECT_EQ(out.runs[3].length, 2u);
}

TEST(RtfReader, TextOfCharactersWordsAndDestinations) {
  struct Case {
    const char* rtf;
    const char* text;
    bool full = false;  // read with the final-mark option
  };
  const Case cases[] = {
      // Unicode and the fallback characters after it.
      {"{\\rtf1\\u8364?\\u233\\'e9x}", "\x80\xE9x"},
      {"{\\rtf1\\uc2\\u20013\\'d6\\'d0y\\uc0\\u8220 z}", "?y\x93z"},
      {"{\\rtf1\\uc1\\u8220\\ldblquote q}", "\x93q"},
      {"{\\rtf1\\u-10179?\\u-8704?!}", "?!"},  // a surrogate pair is one character
      {"{\\rtf1\\u-3913?}", "?"},              // negative means +65536
      {"{\\rtf1{\\uc3 \\u8364}abc}", "\x80" "abc"},  // the skip count is the group's; a brace ends skipping
      // Symbols and special words.
      {"{\\rtf1 a\\~b\\-c\\_d\\emdash\\endash\\lquote\\rquote\\bullet e}", "a\xA0" "bc-d\x97\x96\x91\x92\x95" "e"},
      {"{\\rtf1 a\\line b\\\r\nc\\\nd\\page e\\sect f}", "a\rb\rc\rd\re\rf"},
      {"{\\rtf1 a\tb\r\nc\x01\x1F\x7F\xE9}", "a\tbc\x7F\xE9"},
      {"{\\rtf1 a\\cell b\\cell\\row c}", "a\tb\t\rc"},
      {"{\\rtf1 \\'0d\\'0a\\'00\\'01}", "\r\x01"},
      // Destinations and unknown words are skipped.
      {"{\\rtf1\\ansi{\\info{\\title Secret}{\\author Me}}{\\stylesheet{\\s0 Normal;}}"
       "{\\*\\unknown {nested {deep}} \\} \\{ text}a\\foo123 b\\foo-5 c\\bar d"
       "{\\pict\\wmetafile8 0102ff{}\\bin4 }}}}}e"
       "{\\*\\panose 0}{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}"
       "{\\header H}{\\footnote F}\\upr{A}{\\*\\ud{U}}}",
       "abcdelinkA"},
      // The break marker marks only the next paragraph end.
      {"{\\rtf1 a{\\*\\zvbrk}\\par b\\par}", "a\nb\r"},
      {"{\\rtf1 a{\\*\\zvbrk}x\\par}", "ax\r"},     // text in between cancels it
      {"{\\rtf1 a{\\*\\zvbrkx}\\par}", "a\r"},      // another word
      {"{\\rtf1 a{\\*\\zvbrk}\\line b}", "a\rb"},   // \line is an ordinary end
      {"{\\rtf1 a\\'0a\\u10?b}", "ab"},             // no other way to '\n'
      // The document's limits: nothing after its closing brace, a cut one keeps what it had.
      {" \r\n\t{\\rtf1 a}", "a"},
      {"{\\rtf1 a}b}{c", "a"},
      {"{\\rtf1 a{\\b b", "ab"},
      // The final-mark option drops only a trailing paragraph end.
      {"{\\rtf1 a\\par b}", "a\rb", true},
      {"{\\rtf1 a\\par}", "a", true},
      {"{\\rtf1 a\\par\\par}", "a\r", true},
      {"{\\rtf1 \\par}", "", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ((c.full ? ReadFull(c.rtf) : ReadInsert(c.rtf)).text, c.text) << c.rtf;
  }
  EXPECT_TRUE(ReadFull("{\\rtf1 \\b\\par}").runs.empty());
}

TEST(RtfReader, NotRtfIsRefusedAndEmptiesTheOutput) {
  FormattedText out;
  out.text = "old";
  out.runs = {{3, CharFormat{}}};
  for (const char* input : {"plain text", "", "{\\rt", "x{\\rtf1 a}"}) {
    EXPECT_FALSE(ReadRtf(input, CharFormat{}, out)) << input;
    EXPECT_TRUE(out.text.empty());
    EXPECT_TRUE(out.runs.empty());
  }
}

// ---- Other readers ---------------------------------------------------------------

TEST(RtfInteroperability, PandocReadsOurDocuments) {
  if (std::system("command -v pandoc >/dev/null 2>&1") != 0) GTEST_SKIP() << "pandoc is not installed";
  const auto dir = std::filesystem::temp_directory_path() / ("zv_rtf_pandoc_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  CharFormat red = Colored(RGB(255, 0, 0));
  red.underline = true;
  const FormattedText t = Make({{"Caf\xE9 {brace} back\\slash\r", CharFormat{}},
                                {"RED", red},
                                {"\tTAB\nAFTERBREAK\rLAST", CharFormat{}}});
  {
    std::ofstream(dir / "in.rtf", std::ios::binary) << WriteRtf(t);
  }
  const std::string d = dir.string();
  const std::string cmd = "env HOME='" + d + "' XDG_DATA_HOME='" + d + "' XDG_CONFIG_HOME='" + d +
                          "' pandoc -f rtf -t plain '" + d + "/in.rtf' -o '" + d + "/out.txt'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(dir / "out.txt", std::ios::binary);
  const std::string plain((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(dir);
  for (const char* word : {"Caf\xC3\xA9", "{brace}", "back\\slash", "RED", "TAB", "AFTERBREAK", "LAST"}) {
    EXPECT_NE(plain.find(word), std::string::npos) << word << " in:\n" << plain;
  }
  EXPECT_EQ(plain.find("zvbrk"), std::string::npos);
  // The break is a paragraph break for other readers.
  EXPECT_LT(plain.find("TAB"), plain.find('\n', plain.find("TAB")));
  EXPECT_LT(plain.find('\n', plain.find("TAB")), plain.find("AFTERBREAK"));
}

}  // namespace
}  // namespace zv::platform
