// The control's view painted into cells: each frame's window from its first
// visible line with its characters' colours, the caret as the cursor, the
// tab strips and the status bar, and where a click lands.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "apps/zvemul/help_screen.h"
#include "apps/zvemul/view_painter.h"
#include "platform/code_page.h"
#include "platform/char_format.h"

namespace zv::desk {
namespace {

constexpr LONG kLineHeight = 16;
constexpr COLORREF kBlue = 0x00B20000;
constexpr COLORREF kYellow = 0x0000FFFF;

class ViewPainterTest : public ::testing::Test {
 protected:
  ViewPainterTest() {
    view_.layout = 2;
    view_.frame_window[0] = 1;
    view_.frame_window[1] = 2;
    view_.current_window = 1;
    for (int i = 0; i < 10; ++i) {
      platform::TextEngine& engine = engines_[static_cast<std::size_t>(i)];
      engine.SetClientHeight(13 * kLineHeight);
      engine.SetBackgroundColor(false, kBlue);
      ResWindowView w;
      w.number = i + 1;
      w.hwnd = static_cast<HWND>(100 + i);
      w.visible = i < 2;
      w.enabled = w.visible;
      w.focused = i == 0;
      w.background = kBlue;
      w.engine = &engine;
      view_.windows.push_back(w);
    }
    for (int f = 0; f < 2; ++f) {
      view_.frame_tabs[f].exists = view_.frame_tabs[f].visible = true;
      view_.frame_tabs[f].captions.assign(5, "   ");
      view_.frame_tabs[f].highlighted.assign(5, false);
      view_.frame_tabs[f].selected = 0;
    }
    view_.all_tabs.exists = true;
    view_.all_tabs.captions.assign(10, "   ");
    view_.all_tabs.selected = 0;
    view_.status_bar.exists = true;
    view_.status_bar.parts = {"Ctrl+] help", "DEMO", "OVR", "No Scripts Running", "", "Jun 01", "9:05 AM"};
    // The control's edges for a client 600 pixels wide (100 columns).
    view_.status_bar.right_edges = {250, 317, 350, 477, 502, 545, -1};
    view_.caret.hwnd = view_.windows[0].hwnd;
    view_.caret.visible = true;
  }

  platform::TextEngine& Engine(int number) { return engines_[static_cast<std::size_t>(number - 1)]; }

  void Colour(int number, LONG start, LONG end, COLORREF color) {
    platform::CharFormat format;
    format.color = color;
    Engine(number).SetSelection(start, end);
    Engine(number).SetSelectionCharFormat(platform::ToCharFormat2(format, CFM_COLOR));
  }

  std::array<platform::TextEngine, 10> engines_;
  ControlView view_;
  ScreenLayout layout_ = LayOutScreen(30, 100, Chrome{});
};

TEST_F(ViewPainterTest, AWindowShowsItsLinesColoursAndCaret) {
  platform::TextEngine& engine = Engine(1);
  engine.ReplaceSelection(">A10JUNLONPAR\r\nNO FLIGHTS\t\r\n>");
  Colour(1, 0, 13, kYellow);
  engine.SetSelection(engine.TextLength(), engine.TextLength());

  const Painting p = PaintView(view_, layout_);
  EXPECT_EQ(p.grid.RowText(1).substr(0, 14), ">A10JUNLONPAR ");
  // The wrap marker's tab is a blank.
  EXPECT_EQ(p.grid.RowText(2).substr(0, 12), "NO FLIGHTS  ");
  EXPECT_EQ(p.grid.at(1, 1).style.fg, (Rgb{255, 255, 0}));
  EXPECT_EQ(p.grid.at(1, 1).style.bg, (Rgb{0, 0, 178}));
  EXPECT_EQ(p.grid.at(1, 70).style.bg, (Rgb{0, 0, 178})) << "the window's background fills the row";
  ASSERT_TRUE(p.cursor.has_value());
  EXPECT_EQ(*p.cursor, (CellPosition{3, 1}));
}

TEST_F(ViewPainterTest, AScrolledWindowStartsAtItsFirstVisibleLine) {
  platform::TextEngine& engine = Engine(2);
  for (int i = 0; i < 40; ++i) engine.ReplaceSelection("LINE " + std::to_string(i) + "\r\n");
  engine.SetSelection(0, 0);
  engine.LineScroll(25 - engine.FirstVisibleLine());
  view_.caret.hwnd = view_.windows[1].hwnd;

  const Painting p = PaintView(view_, layout_);
  EXPECT_EQ(p.grid.RowText(layout_.frames[1].top).substr(0, 8), "LINE 25 ");
  EXPECT_FALSE(p.cursor.has_value()) << "a caret scrolled out of view is no cursor";
}

TEST_F(ViewPainterTest, TabStripsNameTheirWindowsAndTakeClicks) {
  view_.frame_tabs[1].selected = 2;
  view_.frame_tabs[1].captions[1] = "SALES";
  const Painting p = PaintView(view_, layout_);
  const std::string strip2 = p.grid.RowText(layout_.tabs[1].top);
  EXPECT_NE(strip2.find("SALES"), std::string::npos);
  EXPECT_NE(strip2.find(" 6 "), std::string::npos) << "a blank tab shows its window's number";
  EXPECT_NE(p.grid.RowText(0).find(" 9 "), std::string::npos);

  const std::size_t six = strip2.find(" 6 ") + 1;
  EXPECT_EQ(p.grid.at(layout_.tabs[1].top, static_cast<int>(six)).style, kSelectedTabStyle);
  const HitZone* tab = HitTest(p, layout_.tabs[1].top, static_cast<int>(six));
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->kind, HitZone::Kind::kTab);
  EXPECT_EQ(tab->window, 6);
  EXPECT_EQ(HitTest(p, 0, 1)->kind, HitZone::Kind::kLayoutButton);
  const HitZone* window = HitTest(p, layout_.frames[1].top + 3, 20);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->kind, HitZone::Kind::kWindow);
  EXPECT_EQ(window->window, 2);

  // The active frame's strip stands out from the other's.
  EXPECT_EQ(p.grid.at(0, 1).style, kActiveBarStyle);
  EXPECT_EQ(p.grid.at(layout_.tabs[1].top, 1).style, kBarStyle);
  view_.active_frame = 2;
  const Painting second = PaintView(view_, layout_);
  EXPECT_EQ(second.grid.at(0, 1).style, kBarStyle);
  EXPECT_EQ(second.grid.at(layout_.tabs[1].top, 1).style, kActiveBarStyle);
}

TEST_F(ViewPainterTest, StatusPartsStandAtTheirRightEdges) {
  const Painting p = PaintView(view_, layout_);
  const std::string bar = p.grid.RowText(29);
  // 250 pixels end part 0 at column 41; part 1 begins there with its separator.
  EXPECT_EQ(bar.substr(0, 12), " Ctrl+] help");
  EXPECT_EQ(bar.substr(41, 5), "|DEMO");
  EXPECT_EQ(bar.substr(83, 7), "|Jun 01");
  EXPECT_EQ(bar.substr(90), "|9:05 AM  ");
}

TEST_F(ViewPainterTest, ALongStatusTextTakesSpareRoomFromItsNeighbours) {
  view_.status_bar.parts[1] = "ONLINE - 2 BAD LINES";
  view_.status_bar.right_edges = {130, 197, 230, 357, 382, 425, -1};  // 80 columns
  const std::vector<int> widths = StatusPartWidths(view_.status_bar, 80);
  int total = 0;
  for (const int width : widths) total += width;
  EXPECT_EQ(total, 80);
  const Painting p = PaintView(view_, LayOutScreen(24, 80, Chrome{}));
  const std::string bar = p.grid.RowText(23);
  EXPECT_NE(bar.find("|ONLINE - 2 BAD LINES|OVR"), std::string::npos) << bar;
  EXPECT_NE(bar.find(" Ctrl+] help"), std::string::npos) << bar;
  EXPECT_NE(bar.find("|No Scripts Running"), std::string::npos) << bar;
  EXPECT_NE(bar.find("|9:05 AM"), std::string::npos) << bar;
}

TEST_F(ViewPainterTest, OneFrameShowsTheCurrentWindowUnderTheStripOfAllWindows) {
  view_.layout = 1;
  view_.all_tabs.visible = true;
  view_.frame_tabs[0].visible = view_.frame_tabs[1].visible = false;
  view_.windows[1].visible = false;
  Engine(1).ReplaceSelection(">ONE");
  const ScreenLayout one = LayOutScreen(30, 100, Chrome{1, true, true});
  const Painting p = PaintView(view_, one);
  EXPECT_NE(p.grid.RowText(0).find(" 10 "), std::string::npos);
  EXPECT_EQ(p.grid.RowText(1).substr(0, 4), ">ONE");
  EXPECT_EQ(PageLines(view_), 13);
}

TEST(ViewPainter, ATooSmallTerminalIsToldSoPlainly) {
  const Painting p = PaintTooSmall(20, 70);
  std::string all;
  for (int r = 0; r < 20; ++r) all += p.grid.RowText(r);
  EXPECT_NE(all.find("70 x 20"), std::string::npos);
  EXPECT_NE(all.find("at least 80 x 24"), std::string::npos);
  EXPECT_TRUE(p.zones.empty());
}

TEST(Palette, NearestColoursOfEachPaletteSize) {
  EXPECT_EQ(NearestPaletteIndex(FromColorRef(kBlue), 256), 19);
  EXPECT_EQ(NearestPaletteIndex(FromColorRef(kYellow), 256), 226);
  EXPECT_EQ(NearestPaletteIndex(Rgb{120, 120, 120}, 256), 243);
  EXPECT_EQ(NearestPaletteIndex(FromColorRef(kYellow), 16), 11);
  EXPECT_EQ(NearestPaletteIndex(FromColorRef(kBlue), 8), 4);
  EXPECT_EQ(NearestPaletteIndex(Rgb{255, 255, 255}, 8), 7);
}

}  // namespace
}  // namespace zv::desk

namespace zv::desk {
namespace {

TEST(HelpScreen, ABoxThatShowsEveryLineWholeAt80By24) {
  CellGrid grid(24, 80, kBarStyle);
  PaintHelp(grid);
  std::string screen;
  for (int r = 0; r < 24; ++r) screen += grid.RowText(r) + "\n";
  for (const std::string_view line : HelpLines()) {
    if (line.empty()) continue;
    std::string shown;
    for (const char c : line) platform::AppendUtf8(shown, platform::Cp1252ToUnicode(c));
    EXPECT_NE(screen.find(shown), std::string::npos) << line << "\n" << screen;
  }
  EXPECT_NE(screen.find("\u250C\u2500 ZVEmul desk: the keys"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\u2518"), std::string::npos) << screen;
}

}  // namespace
}  // namespace zv::desk
