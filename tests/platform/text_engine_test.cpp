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

// ---- Positions and paragraph ends ---------------------------------------------

TEST(TextEngineText, ParagraphEndsAreOnePosition) {
  TextEngine e;
  Load(e, "AB\r\nCD\rEF\nGH");
  EXPECT_EQ(e.TextLength(), 11);
  EXPECT_EQ(e.LineCount(), 4);
  EXPECT_EQ(e.Text(), "AB\r\nCD\r\nEF\r\nGH");
  EXPECT_EQ(e.CharAt(2), '\r');
  EXPECT_EQ(e.LineStart(3), 9);
}

TEST(TextEngineText, BreakAndWrapMarkerReadBack) {
  TextEngine e;
  Load(e, "ROW\r\r\nNEXT\t\rMORE");
  // "\r\r\n" is one position stored as '\n'; the wrap marker is a tab and an end.
  EXPECT_EQ(e.TextLength(), 3 + 1 + 4 + 2 + 4);
  EXPECT_EQ(e.CharAt(3), '\n');
  EXPECT_EQ(e.LineCount(), 3);
  EXPECT_EQ(e.Text(), "ROW\r\r\nNEXT\t\r\nMORE");
  EXPECT_EQ(e.TextRange(3, 4), "\r\r\n");
  EXPECT_EQ(e.TextRange(8, 10), "\t\r\n");
  e.SetSelection(2, 5);
  EXPECT_EQ(e.SelectedText(), "W\r\r\nN");
}

TEST(TextEngineText, ReadBackTextInsertsUnchanged) {
  TextEngine e;
  const std::string text = "A\r\r\nB\t\r\nC\r\n\r\nD";
  Load(e, text);
  EXPECT_EQ(e.Text(), text);
  e.SetSelection(0, -1);
  const std::string copy = e.SelectedText();
  e.SetSelection(e.TextLength(), e.TextLength());
  ASSERT_TRUE(e.ReplaceSelection(copy));
  EXPECT_EQ(e.Text(), text + text);
}

TEST(TextEngineText, TextRangeClampsAndMinusOneMeansEnd) {
  TextEngine e;
  Load(e, "ABC\r\nDEF");
  EXPECT_EQ(e.TextRange(4, -1), "DEF");
  EXPECT_EQ(e.TextRange(-5, 2), "AB");
  EXPECT_EQ(e.TextRange(6, 100), "F");
  EXPECT_EQ(e.TextRange(5, 2), "");
}

TEST(TextEngineText, FormattedRangeRoundTrip) {
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
}

TEST(TextEngineText, FormattedTextWithShortRunsTakesInsertionFormat) {
  TextEngine e;
  e.SetSelectionCharFormat(ColorRecord(0x00FF00));
  FormattedText t;
  t.text = "ABCD";
  CharFormat red;
  red.color = 0x0000FF;
  t.runs = {{2, red}};
  ASSERT_TRUE(e.ReplaceSelection(t));
  EXPECT_EQ(ColorAt(e, 1), 0x0000FFu);
  EXPECT_EQ(ColorAt(e, 2), 0x00FF00u);
  EXPECT_EQ(ColorAt(e, 3), 0x00FF00u);
}

// ---- Selection ------------------------------------------------------------------

TEST(TextEngineSelection, SelectAllReachesPastTheFinalMark) {
  TextEngine e;
  Load(e, "ABC\r\nDE");
  e.SetSelection(0, -1);
  ExpectSelection(e, 0, 7);
  EXPECT_EQ(e.SelectedText(), "ABC\r\nDE");
  ASSERT_TRUE(e.ReplaceSelection(">"));
  EXPECT_EQ(e.Text(), ">");
  EXPECT_EQ(e.LineCount(), 1);
  ExpectSelection(e, 1, 1);
  e.SetSelection(0, -1);
  ASSERT_TRUE(e.DeleteSelection());
  EXPECT_EQ(e.TextLength(), 0);
  ExpectSelection(e, 0, 0);
  e.SetSelection(0, -1);
  ExpectSelection(e, 0, 1);  // the final mark alone
}

TEST(TextEngineSelection, OutOfRangeAndNegativeArguments) {
  TextEngine e;
  Load(e, "ABCDEFGH");
  e.SetSelection(3, 100);
  ExpectSelection(e, 3, 9);
  e.SetSelection(100, 100);
  ExpectSelection(e, 8, 8);  // a caret never goes past the text
  e.SetSelection(9, 9);
  ExpectSelection(e, 8, 8);
  e.SetSelection(6, 2);
  ExpectSelection(e, 2, 6);
  e.SetSelection(-1, 0);
  ExpectSelection(e, 6, 6);  // collapsed to its end
  e.SetSelection(1, 3);
  e.SetSelection(-1, -1);
  ExpectSelection(e, 8, 8);
  e.SetSelection(2, -1);
  ExpectSelection(e, 2, 9);
  e.SetSelection(-1, 5);
  ExpectSelection(e, 8, 8);
}

TEST(TextEngineSelection, ReplaceSelectionPutsCaretAfterInsertedText) {
  TextEngine e;
  Load(e, "ABCDEF");
  e.SetSelection(1, 4);
  ASSERT_TRUE(e.ReplaceSelection("xy\r\nz"));
  EXPECT_EQ(e.Text(), "Axy\r\nzEF");
  ExpectSelection(e, 5, 5);
  ASSERT_TRUE(e.ReplaceSelection("\n1\r2"));  // lone ends are ordinary ends
  EXPECT_EQ(e.Text(), "Axy\r\nz\r\n1\r\n2EF");
  ExpectSelection(e, 9, 9);
  EXPECT_EQ(e.LineCount(), 4);
}

// ---- Lines ------------------------------------------------------------------------

TEST(TextEngineLines, LineFromChar) {
  TextEngine e;
  Load(e, "AB\r\nCD\r\n");
  EXPECT_EQ(e.LineCount(), 3);  // an end at the end opens an empty line
  EXPECT_EQ(e.LineFromChar(0), 0);
  EXPECT_EQ(e.LineFromChar(2), 0);  // the paragraph end belongs to its line
  EXPECT_EQ(e.LineFromChar(3), 1);
  EXPECT_EQ(e.LineFromChar(6), 2);
  EXPECT_EQ(e.LineFromChar(500), 2);
  e.SetSelection(4, 6);
  EXPECT_EQ(e.LineFromChar(-1), 1);
}

TEST(TextEngineLines, LineStartWithCaretLineAndOutOfRange) {
  TextEngine e;
  Load(e, "ONE\r\nTWO\r\nTHREE");
  EXPECT_EQ(e.LineStart(0), 0);
  EXPECT_EQ(e.LineStart(2), 8);
  EXPECT_EQ(e.LineStart(3), -1);
  EXPECT_EQ(e.LineStart(-2), -1);
  e.SetSelection(5, 5);
  EXPECT_EQ(e.LineStart(-1), 4);
  e.SetSelection(0, -1);
  EXPECT_EQ(e.LineStart(-1), 8);  // the caret end of a select-all is on the last line
}

TEST(TextEngineLines, LineLength) {
  TextEngine e;
  Load(e, "ABCDEFG\r\nHIJKLMNOPQR\r\n");
  EXPECT_EQ(e.LineLength(0), 7);
  EXPECT_EQ(e.LineLength(7), 7);
  EXPECT_EQ(e.LineLength(8), 11);
  EXPECT_EQ(e.LineLength(20), 0);  // the empty last line
  EXPECT_EQ(e.LineLength(21), 0);  // past the text
  e.SetSelection(10, 10);
  EXPECT_EQ(e.LineLength(-1), 11);
  // From the fourth character of one line through the eighth from the end
  // of the next: three unselected characters before, seven after.
  e.SetSelection(3, 12);
  EXPECT_EQ(e.LineLength(-1), 3 + 7);
  e.SetSelection(0, -1);
  EXPECT_EQ(e.LineLength(-1), 0);
}

// ---- Overtype ----------------------------------------------------------------------

TEST(TextEngineOvertype, ReplacesButNeverAParagraphEnd) {
  TextEngine e;
  Load(e, "AB\r\nCD");
  e.SetOvertype(true);
  e.SetSelection(0, 0);
  e.HandleChar('x');
  EXPECT_EQ(e.Text(), "xB\r\nCD");
  e.HandleChar('y');
  e.HandleChar('z');  // at the paragraph end: inserted
  EXPECT_EQ(e.Text(), "xyz\r\nCD");
  e.SetSelection(6, 6);
  e.HandleChar('!');  // at the end of the text: inserted
  EXPECT_EQ(e.Text(), "xyz\r\nCD!");
  e.SetSelection(0, 2);
  e.HandleChar('Q');  // a selection is replaced as a whole
  EXPECT_EQ(e.Text(), "Qz\r\nCD!");
}

TEST(TextEngineOvertype, BreakIsNotOvertyped) {
  TextEngine e;
  Load(e, "A\r\r\nB");
  e.SetOvertype(true);
  e.SetSelection(1, 1);
  e.HandleChar('x');
  EXPECT_EQ(e.Text(), "Ax\r\r\nB");
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
  EXPECT_NE(r.dwMask & CFM_FACE, 0u);

  CHARFORMATA small;
  EXPECT_EQ(e.GetSelectionCharFormat(small), kAllCharFormatMask & ~CFM_COLOR & ~CFM_BACKCOLOR);

  e.SetSelection(2, 4);
  e.GetSelectionCharFormat(r);
  EXPECT_EQ(r.dwMask, kAllCharFormatMask);
  EXPECT_EQ(r.crTextColor, 0x0000FFu);
}

TEST(TextEngineFormats, SixtyByteRecordInWideStruct) {
  TextEngine e;
  Load(e, "AB");
  e.SetSelection(0, 2);
  CHARFORMAT2A r = ColorRecord(0x00FFFF00);
  r.cbSize = sizeof(CHARFORMATA);
  r.dwMask = CFM_COLOR | CFM_CHARSET | CFM_BACKCOLOR;
  r.crBackColor = 0x000000FF;
  ASSERT_TRUE(e.SetSelectionCharFormat(r));
  EXPECT_EQ(ColorAt(e, 0), 0x00FFFF00u);
  EXPECT_TRUE(e.FormatAt(0).auto_back_color);  // no background in 60 bytes
  CHARFORMAT2A out;
  out.cbSize = sizeof(CHARFORMATA);
  EXPECT_EQ(e.GetSelectionCharFormat(out) & CFM_BACKCOLOR, 0u);
  EXPECT_EQ(out.cbSize, sizeof(CHARFORMATA));
}

TEST(TextEngineFormats, RecordsOfOtherSizesAreRefused) {
  TextEngine e;
  Load(e, "AB");
  CHARFORMAT2A r = ColorRecord(0x123456);
  r.cbSize = 12;
  EXPECT_FALSE(e.SetSelectionCharFormat(r));
  EXPECT_FALSE(e.SetAllCharFormat(r));
  EXPECT_EQ(e.GetSelectionCharFormat(r), 0u);
  EXPECT_EQ(ColorAt(e, 0), 0u);
}

TEST(TextEngineFormats, FormatSetOnCaretSurvivesSettingTheSameCaret) {
  TextEngine e;
  Load(e, "HOST");
  const LONG end = e.TextLength();
  e.SetSelection(end, end);
  e.SetSelectionCharFormat(ColorRecord(0x00FFFF));
  e.SetSelection(end, end);  // "put the caret at the end again"
  e.ReplaceSelection("RESPONSE");
  EXPECT_EQ(ColorAt(e, 3), 0u);
  EXPECT_EQ(ColorAt(e, 4), 0x00FFFFu);
  EXPECT_EQ(ColorAt(e, 11), 0x00FFFFu);
}

TEST(TextEngineFormats, MovingTheCaretTakesTheFormatBeforeIt) {
  TextEngine e;
  Load(e, "ABCD");
  e.SetSelection(0, 2);
  e.SetSelectionCharFormat(ColorRecord(0x0000FF));
  e.SetSelection(4, 4);
  e.SetSelectionCharFormat(ColorRecord(0x00FF00));
  e.SetSelection(2, 2);  // moved: the format of "B"
  e.ReplaceSelection("x");
  EXPECT_EQ(ColorAt(e, 2), 0x0000FFu);
  e.SetSelection(0, 0);  // at position 0: the default format
  e.ReplaceSelection("y");
  EXPECT_EQ(ColorAt(e, 0), 0u);
  CHARFORMAT2A r;
  e.SetSelection(2, 2);
  e.SetSelection(3, 3);  // moving back and forth loses a format set on the caret
  e.GetSelectionCharFormat(r);
  EXPECT_EQ(r.crTextColor, 0x0000FFu);
}

TEST(TextEngineFormats, ReplacingASelectionTakesItsFirstCharacterFormat) {
  TextEngine e;
  Load(e, "ABCD");
  e.SetSelection(1, 2);
  e.SetSelectionCharFormat(ColorRecord(0x0000FF));
  e.SetSelection(1, 3);
  e.ReplaceSelection("xyz");
  EXPECT_EQ(e.Text(), "AxyzD");
  EXPECT_EQ(ColorAt(e, 1), 0x0000FFu);
  EXPECT_EQ(ColorAt(e, 3), 0x0000FFu);
  EXPECT_EQ(ColorAt(e, 4), 0u);
}

TEST(TextEngineFormats, AllTextFormatReachesInsertionAndDefault) {
  TextEngine e;
  Load(e, "AB\r\nCD");
  e.SetSelection(1, 1);
  CHARFORMAT2A r;
  r.dwMask = CFM_COLOR | CFM_CHARSET;
  r.crTextColor = 0x00FFFF00;
  r.bCharSet = ANSI_CHARSET;
  ASSERT_TRUE(e.SetAllCharFormat(r));
  for (LONG i = 0; i < e.TextLength(); ++i) EXPECT_EQ(ColorAt(e, i), 0x00FFFF00u) << i;
  e.ReplaceSelection("x");
  EXPECT_EQ(ColorAt(e, 1), 0x00FFFF00u);
  e.SetSelection(0, -1);
  e.DeleteSelection();
  e.ReplaceSelection("y");  // at position 0: the default, which SCF_ALL changed too
  EXPECT_EQ(ColorAt(e, 0), 0x00FFFF00u);
  EXPECT_EQ(e.DefaultFormat().color, 0x00FFFF00u);
}

TEST(TextEngineFormats, DefaultFormatSetsTheLineHeight) {
  TextEngine e;
  EXPECT_EQ(e.LineHeight(), 16);  // 10 points: ceil(200 / 12.9)
  CHARFORMAT2A r;
  r.dwMask = CFM_SIZE;
  r.yHeight = 12 * 20;
  ASSERT_TRUE(e.SetDefaultCharFormat(r));
  EXPECT_EQ(e.LineHeight(), 19);  // ceil(240 / 12.9)
  e.SetLineHeight(20);
  EXPECT_EQ(e.LineHeight(), 20);
  e.SetLineHeight(0);
  EXPECT_EQ(e.LineHeight(), 19);
}

TEST(TextEngineFormats, TableIsCompactedInsteadOfOverflowing) {
  TextEngine e;
  Load(e, "AB");
  e.SetSelection(0, 1);
  e.SetSelectionCharFormat(ColorRecord(0x00ABCDEF));
  const COLORREF kept = ColorAt(e, 0);
  e.SetSelection(1, 2);
  const LONG kCount = static_cast<LONG>(FormatTable::kCapacity) + 1000;
  for (LONG i = 0; i < kCount; ++i) ASSERT_TRUE(e.SetSelectionCharFormat(ColorRecord(static_cast<COLORREF>(i))));
  EXPECT_LE(e.FormatCount(), FormatTable::kCapacity);
  EXPECT_EQ(ColorAt(e, 1), static_cast<COLORREF>(kCount - 1));
  EXPECT_EQ(ColorAt(e, 0), kept);
}

// ---- View and scrolling ----------------------------------------------------------------

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += "\r\n";
    text += "LINE " + std::to_string(i);
  }
  return text;
}

TEST(TextEngineView, VisibleLinesFromHeights) {
  TextEngine e;
  EXPECT_EQ(e.VisibleLineCount(), 1);
  e.SetClientHeight(16 * 10 + 15);
  EXPECT_EQ(e.VisibleLineCount(), 10);
  e.SetLineHeight(35);
  EXPECT_EQ(e.VisibleLineCount(), 5);
}

TEST(TextEngineView, LineScrollClampsAndCanShowTheLastLineAtTheTop) {
  TextEngine e;
  e.SetClientHeight(16 * 5);
  Load(e, Lines(20));
  e.SetSelection(0, 0);
  e.LineScroll(-100);
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  e.LineScroll(3);
  EXPECT_EQ(e.FirstVisibleLine(), 3);
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
}

TEST(TextEngineView, EditsKeepTheCaretLineVisible) {
  TextEngine e;
  e.SetClientHeight(16 * 5);
  Load(e, Lines(20));
  EXPECT_EQ(e.FirstVisibleLine(), 15);  // caret on line 19, the last visible one
  e.SetSelection(0, 0);
  EXPECT_EQ(e.FirstVisibleLine(), 15);  // setting the selection does not scroll
  e.ReplaceSelection("X");
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  e.SetSelection(e.TextLength(), e.TextLength());
  e.ScrollCaret();
  EXPECT_EQ(e.FirstVisibleLine(), 15);
  e.LineScroll(4);  // the last line at the top: the caret stays visible
  e.ReplaceSelection("\r\n>");
  EXPECT_EQ(e.FirstVisibleLine(), 19);
  EXPECT_EQ(e.LineCount(), 21);
}

TEST(TextEngineView, DeletingLinesKeepsTheFirstVisibleLineInRange) {
  TextEngine e;
  e.SetClientHeight(16 * 5);
  Load(e, Lines(20));
  e.LineScroll(100);
  e.SetSelection(0, e.LineStart(18));
  e.DeleteSelection();
  EXPECT_EQ(e.LineCount(), 2);
  EXPECT_EQ(e.FirstVisibleLine(), 0);
}

// ---- Redraw and the change listener ---------------------------------------------------

TEST(TextEngineListener, ReportsWhatChanged) {
  TextEngine e;
  std::vector<unsigned> reports;
  e.SetChangeListener([&reports](unsigned c) { reports.push_back(c); });
  e.ReplaceSelection("AB");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0] & (TextEngine::kTextChanged | TextEngine::kSelectionChanged),
            TextEngine::kTextChanged | TextEngine::kSelectionChanged);
  reports.clear();
  e.SetSelection(2, 2);  // where it already is
  e.ReplaceSelection("");
  EXPECT_TRUE(reports.empty());
  e.SetSelection(0, 1);
  e.SetSelectionCharFormat(ColorRecord(0x0000FF));
  e.SetHideSelection(true);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], TextEngine::kSelectionChanged);
  EXPECT_EQ(reports[1], TextEngine::kFormatChanged);
  EXPECT_EQ(reports[2], TextEngine::kViewChanged);
}

TEST(TextEngineListener, ChangesWhileRedrawIsOffAreReportedOnceWhenOn) {
  TextEngine e;
  std::vector<unsigned> reports;
  e.SetChangeListener([&reports](unsigned c) { reports.push_back(c); });
  e.SetRedraw(false);
  e.SetRedraw(true);
  EXPECT_TRUE(reports.empty());  // nothing collected, nothing reported
  e.SetRedraw(false);
  e.ReplaceSelection("ABC");
  e.SetSelection(0, 1);
  e.SetSelectionCharFormat(ColorRecord(0x0000FF));
  EXPECT_FALSE(e.RedrawEnabled());
  EXPECT_TRUE(reports.empty());
  e.SetRedraw(true);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], TextEngine::kTextChanged | TextEngine::kSelectionChanged | TextEngine::kFormatChanged);
}

}  // namespace
}  // namespace zv::platform
