// Keys the random test in text_engine_random_test.cpp does not press: Ctrl
// moves, pages, select-all, the clipboard keys and the unhandled ones.
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
  void ExpectSelection(LONG start, LONG end) {
    const CHARRANGE r = e.Selection();
    EXPECT_EQ(r.cpMin, start);
    EXPECT_EQ(r.cpMax, end);
  }

  TextEngine e;
};

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
  Caret(4);
  Key(VK_DELETE, false, true);  // to the next word
  EXPECT_EQ(e.Text(), "ONE , THREE\r\nFOUR");
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

TEST_F(TextEngineKeys, CtrlASelectsAll) {
  Load("AB\r\nC");
  EXPECT_TRUE(Key('A', false, true));
  ExpectSelection(0, 5);
  EXPECT_EQ(e.CaretPosition(), 4);
  EXPECT_FALSE(Key('A'));  // without Ctrl a letter is for the character message
  ExpectSelection(0, 5);
}

TEST_F(TextEngineKeys, ClipboardKeys) {
  Load("AB\r\r\nCD");
  e.SetSelection(0, 1);
  EXPECT_TRUE(Key('X', false, true));  // without a clipboard: handled, nothing happens
  EXPECT_TRUE(Key('V', false, true));
  EXPECT_EQ(e.Text(), "AB\r\r\nCD");

  FakeClipboard clipboard;
  e.SetClipboard(&clipboard);
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

TEST_F(TextEngineKeys, UnhandledKeysAndControlCodesChangeNothing) {
  Load("AB");
  Caret(1);
  for (const UINT vk : {VK_F2, VK_ESCAPE, VK_TAB, VK_SHIFT, VK_CONTROL}) {
    EXPECT_FALSE(Key(vk)) << vk;
  }
  EXPECT_FALSE(Key('Z', false, true));
  // Backspace and Enter act on key-down: their characters change nothing.
  for (const BYTE ch : {BYTE{0x00}, BYTE{0x01}, BYTE{0x08}, BYTE{0x0A}, BYTE{0x0D}, BYTE{0x1B}, BYTE{0x7F}}) {
    EXPECT_FALSE(e.HandleChar(ch)) << int{ch};
  }
  EXPECT_EQ(e.Text(), "AB");
  ExpectSelection(1, 1);
}

}  // namespace
}  // namespace zv::platform
