// Screen upkeep: a screen saved as RTF and loaded back, and the host-style
// clear of compact mode.
#include "platform/archive.h"
#include "reswindow/res_rich.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

using platform::Archive;

class ScreenUpkeepTest : public ControlTest {
 protected:
  CResRichEdit& Res(int window) { return dynamic_cast<CResRichEdit&>(*platform::FromHandle(Hwnd(window))); }
  void SetScreen(int window, std::string_view text) {
    Res(window).SetSel(0, -1);
    Res(window).ReplaceSel(text);
  }
  // Window `from` saved, then loaded into window `to`.
  std::string SaveAndLoad(int from, int to) {
    Archive out;
    Res(from).Serialize(out);
    EXPECT_TRUE(out.Buffer().starts_with("{\\rtf"));
    Archive in(out.Buffer());
    Res(to).Serialize(in);
    return Text(to);
  }
};

TEST_F(ScreenUpkeepTest, ASavedScreenKeepsItsLast299LinesBelowAnEmptyLine) {
  Create();
  std::string lines;
  for (int i = 0; i < 400; ++i) lines += (i == 0 ? "L" : "\r\nL") + std::to_string(i);
  SetScreen(1, lines);
  const std::string loaded = SaveAndLoad(1, 2);
  EXPECT_EQ(Screen(1).LineCount(), 300);
  EXPECT_EQ(Line(1, 0), "");
  EXPECT_EQ(Line(1, 1), "L101");
  // Loading puts a SOM after a text that does not end with one.
  EXPECT_EQ(loaded, Text(1) + "\t\r\n>");
  EXPECT_EQ(Screen(2).Selection().cpMin, Screen(2).TextLength());
}

TEST_F(ScreenUpkeepTest, BreaksAreSavedAsTabReturnsAndLoadedAsBreaks) {
  Create();
  SetScreen(1, ">A\r\r\nB\t\r\nC\r\n>");
  CHARFORMATA red;
  red.dwMask = CFM_COLOR;
  red.crTextColor = 0x000000FF;
  Res(1).SetSel(3, 4);
  Res(1).SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&red));
  const std::string loaded = SaveAndLoad(1, 2);
  EXPECT_EQ(Text(1), ">A\t\r\nB\t\r\nC\r\n>");
  // The row's wrap marker reads back as a break too.
  EXPECT_EQ(loaded, ">A\r\r\nB\r\r\nC\r\n>");
  EXPECT_EQ(Screen(2).FormatAt(3).color, 0x000000FFu);
  EXPECT_EQ(Screen(2).FormatAt(1).color, Screen(1).FormatAt(1).color);
}

TEST_F(ScreenUpkeepTest, AStreamErrorIsRaisedAsAFileException) {
  Create();
  const std::string before = Text(2);
  Archive in(std::string(platform::RichEditWindow::kMaxStreamIn + 1, ' '));
  try {
    Res(2).Serialize(in);
    ADD_FAILURE() << "no file exception";
  } catch (const platform::FileException& e) {
    EXPECT_NE(e.os_error(), 0);
  }
  EXPECT_EQ(Text(2), before);
}

TEST_F(ScreenUpkeepTest, InCompactModeAClearLeavesTheFirstCharacterButWindow8Scrolls) {
  Create({{"TWA", B(TRUE)}, {"InsertMode", B(TRUE)}, {"WindowCount", S(9)}});
  for (int window : {3, 8}) {
    HostEntry(window, "OLD");
    Respond("\x11\x02NEW");
  }
  // Row 2 was padded before the clear took it away again.
  EXPECT_EQ(Text(3), ">NEW");
  EXPECT_EQ(Line(8, 0), ">OLD");
  EXPECT_EQ(Line(8, Screen(8).LineCount() - 1), "NEW");
  // The ClearScreen method leaves a SOM alone on every window.
  Call("ClearScreen", {S(0)});
  for (int window = 1; window <= 10; ++window) EXPECT_EQ(Text(window), ">") << window;
}

}  // namespace
}  // namespace zv::testing
