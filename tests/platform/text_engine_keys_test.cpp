#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/text_engine.h"

namespace zv::platform {
namespace {

class FakeClipboard : public Clipboard {
 public:
  bool HasText() override { return text.has_value(); }
  std::optional<std::string> GetText() override { return text; }
  bool SetText(std::string_view t) override {
    if (refuse) return false;
    text = std::string(t);
    return true;
  }
  std::optional<std::string> text;
  bool refuse = false;
};

class TextEngineKeys : public ::testing::Test {
 protected:
  void Load(std::string_view text) {
    e.SetSelection(0, -1);
    ASSERT_TRUE(e.ReplaceSelection(text));
  }
  void Caret(LONG pos) { e.SetSelection(pos, pos); }
  bool Key(UINT vk, bool shift = false, bool ctrl = false) { return e.HandleKey(vk, shift, ctrl); }
  void Type(std::string_view text) {
    for (const char c : text) ASSERT_TRUE(e.HandleChar(static_cast<BYTE>(c)));
  }
  void ExpectSelection(LONG start, LONG end) {
    const CHARRANGE r = e.Selection();
    EXPECT_EQ(r.cpMin, start);
    EXPECT_EQ(r.cpMax, end);
  }

  TextEngine e;
};

TEST_F(TextEngineKeys, LeftRightAndShiftSelection) {
  Load("ABCDEF");
  Caret(2);
  EXPECT_TRUE(Key(VK_RIGHT, true));
  EXPECT_TRUE(Key(VK_RIGHT, true));
  ExpectSelection(2, 4);
  Key(VK_LEFT, true);
  Key(VK_LEFT, true);
  Key(VK_LEFT, true);  // past the anchor: the selection turns round it
  ExpectSelection(1, 2);
  EXPECT_EQ(e.CaretPosition(), 1);
  Key(VK_RIGHT);  // collapses to the end
  ExpectSelection(2, 2);
  Key(VK_RIGHT, true);
  Key(VK_LEFT);  // collapses to the start
  ExpectSelection(2, 2);
  Caret(0);
  Key(VK_LEFT);
  ExpectSelection(0, 0);
  Caret(6);
  Key(VK_RIGHT);
  ExpectSelection(6, 6);
}

TEST_F(TextEngineKeys, ArrowsCrossParagraphEndsAsOnePosition) {
  Load("AB\r\r\nCD");
  Caret(2);
  Key(VK_RIGHT);
  ExpectSelection(3, 3);
  EXPECT_EQ(e.LineFromChar(3), 1);
}

TEST_F(TextEngineKeys, HomeEndAndCtrlHomeEnd) {
  Load("FIRST\r\nSECOND\r\nTHIRD");
  Caret(9);
  Key(VK_HOME);
  ExpectSelection(6, 6);
  Key(VK_END);
  ExpectSelection(12, 12);
  Key(VK_HOME, false, true);
  ExpectSelection(0, 0);
  Key(VK_END, true, true);
  ExpectSelection(0, 18);
  Key(VK_HOME, true);  // Shift+Home from the caret end of the selection
  ExpectSelection(0, 13);
}

TEST_F(TextEngineKeys, UpDownKeepAGoalColumn) {
  Load("ABCDEFGH\r\nAB\r\nABCDEFGH");
  Caret(6);
  Key(VK_DOWN);
  ExpectSelection(11, 11);  // end of the short line
  Key(VK_DOWN);
  ExpectSelection(18, 18);  // column 6 again
  Key(VK_UP);
  Key(VK_UP);
  ExpectSelection(6, 6);
  Key(VK_UP);  // up from the first line: start of the text
  ExpectSelection(0, 0);
  Caret(14);
  Key(VK_DOWN);  // down from the last line: end of the text
  ExpectSelection(20, 20);
  Caret(3);
  Key(VK_DOWN, true);
  ExpectSelection(3, 11);
}

TEST_F(TextEngineKeys, CtrlArrowsMoveByWordsAndParagraphs) {
  Load("ONE TWO, THREE\r\nFOUR");
  Caret(0);
  Key(VK_RIGHT, false, true);
  ExpectSelection(4, 4);
  Key(VK_RIGHT, false, true);
  ExpectSelection(7, 7);  // "," is a word of its own
  Key(VK_LEFT, false, true);
  ExpectSelection(4, 4);
  Caret(15);
  Key(VK_LEFT, false, true);
  ExpectSelection(14, 14);  // the paragraph end stops the word move
  Caret(17);
  Key(VK_UP, false, true);
  ExpectSelection(15, 15);
  Key(VK_UP, false, true);
  ExpectSelection(0, 0);
  Key(VK_DOWN, false, true);
  ExpectSelection(15, 15);
}

TEST_F(TextEngineKeys, PageKeysMoveAndScrollByAPage) {
  e.SetClientHeight(16 * 4);
  std::string text;
  for (int i = 0; i < 12; ++i) text += "ROW" + std::to_string(i % 10) + "\r\n";
  Load(text);  // 13 lines, the last empty
  Key(VK_HOME, false, true);
  Key(VK_RIGHT);
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  Key(VK_NEXT);
  EXPECT_EQ(e.LineFromChar(-1), 4);
  EXPECT_EQ(e.Selection().cpMin, e.LineStart(4) + 1);
  EXPECT_EQ(e.FirstVisibleLine(), 4);
  Key(VK_NEXT);
  Key(VK_NEXT);
  EXPECT_EQ(e.LineFromChar(-1), 12);
  EXPECT_EQ(e.FirstVisibleLine(), 9);
  Key(VK_PRIOR);
  EXPECT_EQ(e.FirstVisibleLine(), 5);
  EXPECT_EQ(e.LineFromChar(-1), 8);
  Key(VK_PRIOR, true);
  EXPECT_EQ(e.LineFromChar(-1), 4);
  EXPECT_EQ(e.Selection().cpMax, e.LineStart(8) + 1);
}

TEST_F(TextEngineKeys, KeyMovesKeepTheCaretVisible) {
  e.SetClientHeight(16 * 3);
  Load("0\r\n1\r\n2\r\n3\r\n4\r\n5");
  EXPECT_EQ(e.FirstVisibleLine(), 3);
  Key(VK_HOME, false, true);
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(e.FirstVisibleLine(), 0);
  Key(VK_DOWN);
  EXPECT_EQ(e.FirstVisibleLine(), 1);
}

TEST_F(TextEngineKeys, DeleteJoinsLinesAndNeverTakesTheFinalMark) {
  Load("AB\r\nCD");
  Caret(2);
  EXPECT_TRUE(Key(VK_DELETE));
  EXPECT_EQ(e.Text(), "ABCD");
  EXPECT_EQ(e.LineCount(), 1);
  Caret(4);
  Key(VK_DELETE);
  EXPECT_EQ(e.Text(), "ABCD");
  e.SetSelection(0, -1);
  Key(VK_DELETE);
  EXPECT_EQ(e.Text(), "");
  Key(VK_DELETE);
  EXPECT_EQ(e.TextLength(), 0);
  Load("ONE TWO");
  Caret(0);
  Key(VK_DELETE, false, true);
  EXPECT_EQ(e.Text(), "TWO");
}

TEST_F(TextEngineKeys, InsertTogglesOvertype) {
  EXPECT_FALSE(e.Overtype());
  EXPECT_TRUE(Key(VK_INSERT));
  EXPECT_TRUE(e.Overtype());
  Key(VK_INSERT);
  EXPECT_FALSE(e.Overtype());
}

TEST_F(TextEngineKeys, CtrlASelectsAll) {
  Load("AB\r\nC");
  EXPECT_TRUE(Key('A', false, true));
  ExpectSelection(0, 5);
  EXPECT_EQ(e.CaretPosition(), 4);
  EXPECT_FALSE(Key('A'));  // without Ctrl a letter is for the character message
  ExpectSelection(0, 5);
}

TEST_F(TextEngineKeys, ClipboardKeys) {
  FakeClipboard clipboard;
  e.SetClipboard(&clipboard);
  Load("AB\r\r\nCD");
  e.SetSelection(1, 4);
  EXPECT_TRUE(Key('C', false, true));
  ASSERT_TRUE(clipboard.text.has_value());
  EXPECT_EQ(*clipboard.text, "B\r\r\nC");
  EXPECT_TRUE(Key('X', false, true));
  EXPECT_EQ(e.Text(), "AD");
  Caret(2);
  EXPECT_TRUE(Key('V', false, true));
  EXPECT_EQ(e.Text(), "ADB\r\r\nC");
  ExpectSelection(5, 5);
  e.SetSelection(0, 1);
  Key(VK_INSERT, false, true);  // Ctrl+Insert copies
  EXPECT_EQ(*clipboard.text, "A");
  Caret(5);
  Key(VK_INSERT, true);  // Shift+Insert pastes
  EXPECT_EQ(e.Text(), "ADB\r\r\nCA");
  e.SetSelection(0, 2);
  Key(VK_DELETE, true);  // Shift+Delete cuts
  EXPECT_EQ(e.Text(), "B\r\r\nCA");
  EXPECT_EQ(*clipboard.text, "AD");

  clipboard.refuse = true;
  e.SetSelection(0, 1);
  Key('X', false, true);  // nothing is cut that could not be copied
  EXPECT_EQ(e.Text(), "B\r\r\nCA");
  Caret(0);
  Key('C', false, true);  // an empty selection copies nothing
  EXPECT_EQ(*clipboard.text, "AD");
}

TEST_F(TextEngineKeys, ClipboardKeysWithoutClipboard) {
  Load("AB");
  e.SetSelection(0, 1);
  EXPECT_TRUE(Key('X', false, true));
  EXPECT_TRUE(Key('V', false, true));
  EXPECT_EQ(e.Text(), "AB");
}

TEST_F(TextEngineKeys, UnhandledKeysChangeNothing) {
  Load("AB");
  Caret(1);
  for (const UINT vk : {VK_F2, VK_ESCAPE, VK_RETURN, VK_BACK, VK_TAB, VK_SHIFT, VK_CONTROL}) {
    EXPECT_FALSE(Key(vk)) << vk;
  }
  EXPECT_FALSE(Key('Z', false, true));
  EXPECT_EQ(e.Text(), "AB");
  ExpectSelection(1, 1);
}

// ---- Characters ------------------------------------------------------------------------

TEST_F(TextEngineKeys, TypingInsertsAndBackspaceDeletes) {
  Type("AB");
  Type("\r");
  Type("C\tD\xE9");
  EXPECT_EQ(e.Text(), "AB\r\nC\tD\xE9");
  Type("\b\b");
  EXPECT_EQ(e.Text(), "AB\r\nC\t");
  Caret(3);
  Type("\b");  // a paragraph end is one character
  EXPECT_EQ(e.Text(), "ABC\t");
  e.SetSelection(1, 3);
  Type("\b");
  EXPECT_EQ(e.Text(), "A\t");
  ExpectSelection(1, 1);
}

TEST_F(TextEngineKeys, BackspaceAtTheStartDoesNothing) {
  Load("AB");
  Caret(0);
  EXPECT_TRUE(e.HandleChar(0x08));
  EXPECT_EQ(e.Text(), "AB");
  ExpectSelection(0, 0);
}

TEST_F(TextEngineKeys, ControlCodesAreNotHandled) {
  Load("AB");
  Caret(1);
  for (const BYTE ch : {BYTE{0x00}, BYTE{0x01}, BYTE{0x0A}, BYTE{0x0C}, BYTE{0x16}, BYTE{0x1B}, BYTE{0x7F}}) {
    EXPECT_FALSE(e.HandleChar(ch)) << int{ch};
  }
  EXPECT_EQ(e.Text(), "AB");
}

TEST_F(TextEngineKeys, TypedTextTakesTheInsertionFormat) {
  Load("AB");
  Caret(2);
  CHARFORMAT2A r;
  r.dwMask = CFM_COLOR;
  r.crTextColor = 0x00FFFFFF;
  e.SetSelectionCharFormat(r);
  Type("CD");
  EXPECT_EQ(e.FormatAt(1).color, 0u);
  EXPECT_EQ(e.FormatAt(2).color, 0x00FFFFFFu);
  EXPECT_EQ(e.FormatAt(3).color, 0x00FFFFFFu);
}

TEST_F(TextEngineKeys, TypingKeepsTheCaretVisible) {
  e.SetClientHeight(16 * 2);
  Type("1\r2\r3\r4");
  EXPECT_EQ(e.FirstVisibleLine(), 2);
  Key(VK_HOME, false, true);
  Type("X");
  EXPECT_EQ(e.FirstVisibleLine(), 0);
}

}  // namespace
}  // namespace zv::platform
