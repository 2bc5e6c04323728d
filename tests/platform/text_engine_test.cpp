// Fixed cases for what the random test in text_engine_random_test.cpp does not
// reach: read-back forms, queries outside the text, format records, the
// view and the change listener. Caret keys, typing, overtype and the line
// queries are checked there against a naive model.
#include "platform/text_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv::platform {
namespace {

void Load(TextEngine& e, std::string_view text) {
  e.SetSelection(0, -1);
  ASSERT_TRUE(e.ReplaceSelection(text));
}

CHARFORMAT2A ColorRecord(COLORREF color) {
  CHARFORMAT2A r;
  r.dwMask = CFM_COLOR;
  r.crTextColor = color;
  return r;
}

COLORREF ColorAt(const TextEngine& e, LONG pos) { return e.FormatAt(pos).color; }

void ExpectSelection(const TextEngine& e, LONG start, LONG end) {
  const CHARRANGE r = e.Selection();
  EXPECT_EQ(r.cpMin, start);
  EXPECT_EQ(r.cpMax, end);
}

// ---- Text and read-back -------------------------------------------------------

TEST(TextEngineText, ParagraphEndsBreaksAndWrapMarkersReadBack) {
  TextEngine e;
  Load(e, "AB\r\nCD\rEF\nG\r\r\nNEXT\t\rMORE");
  // Every end is one position; "\r\r\n" is stored as '\n'.
  EXPECT_EQ(e.TextLength(), 2 + 1 + 2 + 1 + 2 + 1 + 1 + 1 + 4 + 2 + 4);
  EXPECT_EQ(e.LineCount(), 6);
  EXPECT_EQ(e.CharAt(2), '\r');
  EXPECT_EQ(e.CharAt(10), '\n');
  EXPECT_EQ(e.Text(), "AB\r\nCD\r\nEF\r\nG\r\r\nNEXT\t\r\nMORE");
  EXPECT_EQ(e.TextRange(10, 11), "\r\r\n");
  e.SetSelection(9, 12);
  EXPECT_EQ(e.SelectedText(), "G\r\r\nN");

  // What is read back inserts unchanged.
  const std::string text = e.Text();
  e.SetSelection(e.TextLength(), e.TextLength());
  ASSERT_TRUE(e.ReplaceSelection(text));
  EXPECT_EQ(e.Text(), text + text);
}

TEST(TextEngineText, TextRangeAndFindLastCharClamp) {
  TextEngine e;
  Load(e, "ABC\r\nDEF");
  EXPECT_EQ(e.TextRange(4, -1), "DEF");
  EXPECT_EQ(e.TextRange(-5, 2), "AB");
  EXPECT_EQ(e.TextRange(6, 100), "F");
  EXPECT_EQ(e.TextRange(5, 2), "");

  // "<A<BC<" with the buffer's gap left after "<A": the search spans both sides.
  Load(e, "<A<BC<");
  e.SetSelection(2, 2);
  e.ReplaceSelection("X");
  e.SetSelection(2, 3);
  e.DeleteSelection();
  EXPECT_EQ(e.FindLastChar('<', 0, 100), 5);
  EXPECT_EQ(e.FindLastChar('<', -3, 5), 2);
  EXPECT_EQ(e.FindLastChar('<', 1, 2), -1);
  EXPECT_EQ(e.FindLastChar('A', 2, 6), -1);
  EXPECT_EQ(e.FindLastChar('<', 4, 1), -1);
}

TEST(TextEngineText, FormattedRangeRoundTripAndShortRuns) {
  TextEngine e;
  Load(e, "RED\r\r\nBLUE");
  e.SetSelection(0, 3);
  e.SetSelectionCharFormat(ColorRecord(0x0000FF));
  const FormattedText all = e.FormattedRange(0, -1);
  EXPECT_EQ(all.text, "RED\nBLUE");
  ASSERT_EQ(all.runs.size(), 2u);
  EXPECT_EQ(all.runs[0].length, 3u);
  EXPECT_EQ(all.runs[0].format.color, 0x0000FFu);
  EXPECT_EQ(all.runs[1].length, 5u);

  TextEngine copy;
  ASSERT_TRUE(copy.ReplaceSelection(all));
  EXPECT_EQ(copy.Text(), e.Text());
  EXPECT_EQ(ColorAt(copy, 2), 0x0000FFu);
  EXPECT_EQ(ColorAt(copy, 3), 0u);
  ExpectSelection(copy, 8, 8);

  // Runs short of the text leave the rest in the insertion format.
  TextEngine shorter;
  shorter.SetSelectionCharFormat(ColorRecord(0x00FF00));
  ASSERT_TRUE(shorter.ReplaceSelection(FormattedText{"ABCD", {{2, all.runs[0].format}}}));
  EXPECT_EQ(ColorAt(shorter, 1), 0x0000FFu);
  EXPECT_EQ(ColorAt(shorter, 2), 0x00FF00u);
  EXPECT_EQ(ColorAt(shorter, 3), 0x00FF00u);
}

// ---- Selection and lines ---------------------------------------------------------

TEST(TextEngineSelection, SelectAllReachesPastTheFinalMark) {
  TextEngine e;
  Load(e, "ABC\r\nDE");
  e.SetSelection(0, -1);
  ExpectSelection(e, 0, 7);
  EXPECT_EQ(e.SelectedText(), "ABC\r\nDE");
  ASSERT_TRUE(e.ReplaceSelection(">"));
  EXPECT_EQ(e.Text(), ">");
  ExpectSelection(e, 1, 1);
  e.SetSelection(0, -1);
  ASSERT_TRUE(e.DeleteSelection());
  EXPECT_EQ(e.TextLength(), 0);
  e.SetSelection(0, -1);
  ExpectSelection(e, 0, 1);  // the final mark alone
}

TEST(TextEngineSelection, OutOfRangeAndNegativeArguments) {
  // Applied in order on "ABCDEFGH"; a negative start collapses the selection
  // to its end, within the text.
  const struct {
    LONG from, to, start, end;
  } cases[] = {{3, 100, 3, 9}, {100, 100, 8, 8}, {9, 9, 8, 8},   {6, 2, 2, 6}, {-1, 0, 6, 6},
               {1, 3, 1, 3},   {-1, -1, 8, 8},   {2, -1, 2, 9}, {-1, 5, 8, 8}};
  TextEngine e;
  Load(e, "ABCDEFGH");
  for (const auto& c : cases) {
    e.SetSelection(c.from, c.to);
    SCOPED_TRACE(std::to_string(c.from) + "," + std::to_string(c.to));
    ExpectSelection(e, c.start, c.end);
  }
}

TEST(TextEngineLines, QueriesOutsideTheTextAndOnTheSelection) {
  TextEngine e;
  Load(e, "ABCDEFG\r\nHIJKLMNOPQR\r\n");
  EXPECT_EQ(e.LineFromChar(500), 2);
  EXPECT_EQ(e.LineStart(3), -1);
  EXPECT_EQ(e.LineStart(-2), -1);
  EXPECT_EQ(e.LineLength(7), 7);
  EXPECT_EQ(e.LineLength(8), 11);
  EXPECT_EQ(e.LineLength(20), 0);  // the empty last line
  EXPECT_EQ(e.LineLength(21), 0);  // past the text
  // From the fourth character of one line through the eighth from the end of
  // the next: three unselected characters before, seven after.
  e.SetSelection(3, 12);
  EXPECT_EQ(e.LineLength(-1), 3 + 7);
  EXPECT_EQ(e.LineFromChar(-1), 0);
  e.SetSelection(0, -1);
  EXPECT_EQ(e.LineLength(-1), 0);
  EXPECT_EQ(e.LineStart(-1), 20);  // the caret end of a select-all is on the last line
}

// ---- Formats ---------------------------------------------------------------------------

TEST(TextEngineFormats, MixedSelectionClearsDifferingMaskBits) {
  TextEngine e;
  Load(e, "ABCD");
  e.SetSelection(2, 4);
  e.SetSelectionCharFormat(ColorRecord(0x0000FF));
  e.SetSelection(0, 4);
  CHARFORMAT2A r;
  EXPECT_EQ(e.GetSelectionCharFormat(r), kAllCharFormatMask & ~CFM_COLOR);
  EXPECT_EQ(r.dwMask & CFM_COLOR, 0u);
  CHARFORMATA small;
  EXPECT_EQ(e.GetSelectionCharFormat(small), kAllCharFormatMask & ~CFM_COLOR & ~CFM_BACKCOLOR);
  e.SetSelection(2, 4);
  EXPECT_EQ(e.GetSelectionCharFormat(r), kAllCharFormatMask);
  EXPECT_EQ(r.crTextColor, 0x0000FFu);
}

TEST(TextEngineFormats, RecordSizes) {
  TextEngine e;
  Load(e, "AB");
  e.SetSelection(0, 2);
  // A 60-byte record in the wide struct: no background.
  CHARFORMAT2A r = ColorRecord(0x00FFFF00);
  r.cbSize = sizeof(CHARFORMATA);
  r.dwMask = CFM_COLOR | CFM_CHARSET | CFM_BACKCOLOR;
  r.crBackColor = 0x000000FF;
  ASSERT_TRUE(e.SetSelectionCharFormat(r));
  EXPECT_EQ(ColorAt(e, 0), 0x00FFFF00u);
  EXPECT_TRUE(e.FormatAt(0).auto_back_color);
  CHARFORMAT2A out;
  out.cbSize = sizeof(CHARFORMATA);
  EXPECT_EQ(e.GetSelectionCharFormat(out) & CFM_BACKCOLOR, 0u);
  EXPECT_EQ(out.cbSize, sizeof(CHARFORMATA));

  // Any other size is refused.
  r = ColorRecord(0x123456);
  r.cbSize = 12;
  EXPECT_FALSE(e.SetSelectionCharFormat(r));
  EXPECT_FALSE(e.SetAllCharFormat(r));
  EXPECT_EQ(e.GetSelectionCharFormat(r), 0u);
  EXPECT_EQ(ColorAt(e, 0), 0x00FFFF00u);
}

TEST(TextEngineFormats, InsertionFormat) {
  TextEngine e;
  Load(e, "HOST");
  // Set on the caret, it survives putting the caret at the same place again.
  e.SetSelection(4, 4);
  e.SetSelectionCharFormat(ColorRecord(0x00FFFF));
  e.SetSelection(4, 4);
  e.ReplaceSelection("RESP");
  EXPECT_EQ(ColorAt(e, 3), 0u);
  EXPECT_EQ(ColorAt(e, 4), 0x00FFFFu);
  // A moved caret takes the format before it; position 0 the default.
  e.SetSelection(0, 0);
  e.ReplaceSelection("y");
  EXPECT_EQ(ColorAt(e, 0), 0u);
  e.SetSelection(7, 7);
  e.ReplaceSelection("x");
  EXPECT_EQ(ColorAt(e, 7), 0x00FFFFu);
  // A replaced selection takes its first character's format.
  e.SetSelection(5, 7);
  e.ReplaceSelection("zzz");
  EXPECT_EQ(e.Text(), "yHOSTzzzxSP");
  EXPECT_EQ(ColorAt(e, 5), 0x00FFFFu);
  EXPECT_EQ(ColorAt(e, 4), 0u);
}

TEST(TextEngineFormats, AllTextFormatReachesInsertionAndDefault) {
  TextEngine e;
  Load(e, "AB\r\nCD");
  e.SetSelection(1, 1);
  CHARFORMAT2A r = ColorRecord(0x00FFFF00);
  ASSERT_TRUE(e.SetAllCharFormat(r));
  for (LONG i = 0; i < e.TextLength(); ++i) EXPECT_EQ(ColorAt(e, i), 0x00FFFF00u) << i;
  e.ReplaceSelection("x");
  EXPECT_EQ(ColorAt(e, 1), 0x00FFFF00u);
  e.SetSelection(0, -1);
  e.DeleteSelection();
  e.ReplaceSelection("y");  // at position 0: the default, which SCF_ALL changed too
  EXPECT_EQ(ColorAt(e, 0), 0x00FFFF00u);
}

TEST(TextEngineFormats, TableIsCompactedInsteadOfOverflowing) {
  TextEngine e;
  Load(e, "AB");
  e.SetSelection(0, 1);
  e.SetSelectionCharFormat(ColorRecord(0x00ABCDEF));
  e.SetSelection(1, 2);
  const LONG kCount = static_cast<LONG>(FormatTable::kCapacity) + 1000;
  for (LONG i = 0; i < kCount; ++i) ASSERT_TRUE(e.SetSelectionCharFormat(ColorRecord(static_cast<COLORREF>(i))));
  EXPECT_LE(e.FormatCount(), FormatTable::kCapacity);
  EXPECT_EQ(ColorAt(e, 1), static_cast<COLORREF>(kCount - 1));
  EXPECT_EQ(ColorAt(e, 0), 0x00ABCDEFu);
}

// ---- View and scrolling ----------------------------------------------------------------

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i > 0 ? "\r\nLINE " : "LINE ") + std::to_string(i);
  return text;
}

TEST(TextEngineView, LineHeightAndVisibleLines) {
  TextEngine e;
  EXPECT_EQ(e.LineHeight(), 16);  // 10 points: ceil(200 / 12.9)
  EXPECT_EQ(e.VisibleLineCount(), 1);
  e.SetClientHeight(16 * 10 + 15);
  EXPECT_EQ(e.VisibleLineCount(), 10);
  CHARFORMAT2A r;
  r.dwMask = CFM_SIZE;
  r.yHeight = 12 * 20;
  ASSERT_TRUE(e.SetDefaultCharFormat(r));
  EXPECT_EQ(e.LineHeight(), 19);  // ceil(240 / 12.9)
  e.SetLineHeight(35);
  EXPECT_EQ(e.VisibleLineCount(), 5);
  e.SetLineHeight(0);
  EXPECT_EQ(e.LineHeight(), 19);
}

TEST(TextEngineView, ScrollingClampsAndCanShowTheLastLineAtTheTop) {
  TextEngine e;
  e.SetClientHeight(16 * 5);
  Load(e, Lines(20));
  EXPECT_EQ(e.FirstVisibleLine(), 15);  // the caret on the last visible line
  e.SetSelection(0, 0);
  EXPECT_EQ(e.FirstVisibleLine(), 15);  // setting the selection does not scroll
  e.LineScroll(-100);
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  e.LineScroll(1000);
  EXPECT_EQ(e.FirstVisibleLine(), 19);
  ExpectSelection(e, 0, 0);  // scrolling leaves the caret alone
  e.LineScroll(-19);
  for (int i = 0; i < 350; ++i) e.VScroll(SB_LINEDOWN);
  EXPECT_EQ(e.FirstVisibleLine(), 19);
  EXPECT_TRUE(e.VScroll(SB_TOP));
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  EXPECT_TRUE(e.VScroll(SB_BOTTOM));
  EXPECT_EQ(e.FirstVisibleLine(), 15);
  EXPECT_FALSE(e.VScroll(99));
  e.SetSelection(e.TextLength(), e.TextLength());
  e.LineScroll(4);  // the last line at the top: the caret stays visible
  e.ReplaceSelection("\r\n>");
  EXPECT_EQ(e.FirstVisibleLine(), 19);
  e.SetSelection(0, 0);
  e.ScrollCaret();
  EXPECT_EQ(e.FirstVisibleLine(), 0);
}

// ---- The change listener ----------------------------------------------------------------

TEST(TextEngineListener, ReportsWhatChangedOnceRedrawIsOn) {
  TextEngine e;
  std::vector<unsigned> reports;
  e.SetChangeListener([&reports](unsigned c) { reports.push_back(c); });
  e.ReplaceSelection("AB");
  EXPECT_EQ(reports, std::vector<unsigned>{TextEngine::kTextChanged | TextEngine::kSelectionChanged});
  reports.clear();
  e.SetSelection(2, 2);  // where it already is
  e.ReplaceSelection("");
  EXPECT_TRUE(reports.empty());
  e.SetSelection(0, 1);
  e.SetSelectionCharFormat(ColorRecord(0x0000FF));
  e.SetHideSelection(true);
  EXPECT_EQ(reports, (std::vector<unsigned>{TextEngine::kSelectionChanged, TextEngine::kFormatChanged,
                                            TextEngine::kViewChanged}));

  reports.clear();
  e.SetRedraw(false);
  e.SetRedraw(true);
  EXPECT_TRUE(reports.empty());  // nothing collected, nothing reported
  e.SetRedraw(false);
  e.ReplaceSelection("ABC");
  e.SetSelection(0, 1);
  e.SetSelectionCharFormat(ColorRecord(0x00FF00));
  EXPECT_TRUE(reports.empty());
  e.SetRedraw(true);
  EXPECT_EQ(reports, std::vector<unsigned>{TextEngine::kTextChanged | TextEngine::kSelectionChanged |
                                           TextEngine::kFormatChanged});
}

}  // namespace
}  // namespace zv::platform
