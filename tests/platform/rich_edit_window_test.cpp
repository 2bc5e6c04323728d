#include "platform/rich_edit_window.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/desktop.h"
#include "platform/key_input.h"
#include "platform/rtf_writer.h"

namespace zv::platform {
namespace {

class RichEditWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, {0, 0, 400, 2 + 16 * 10}, nullptr, 100));
    SetFocus(edit.handle());
  }
  std::string Text() { return edit.engine().Text(); }
  CHARRANGE Sel() {
    CHARRANGE r;
    edit.SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  void SetSel(LONG a, LONG b) {
    CHARRANGE r{a, b};
    edit.SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
  }
  void Replace(const char* text) { edit.SendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text)); }

  Desktop desktop;
  DesktopScope scope{desktop};
  RichEditWindow edit;
};

TEST_F(RichEditWindowTest, EditMessagesReachTheEngine) {
  Replace(">AB\r\nCD\t\rEF");
  EXPECT_EQ(Text(), ">AB\r\nCD\t\r\nEF");
  EXPECT_EQ(edit.SendMessage(WM_GETTEXTLENGTH), 10);
  EXPECT_EQ(edit.SendMessage(EM_GETLINECOUNT), 3);
  EXPECT_EQ(edit.SendMessage(EM_LINEINDEX, 2), 8);
  EXPECT_EQ(edit.SendMessage(EM_EXLINEFROMCHAR, 0, 5), 1);
  EXPECT_EQ(edit.SendMessage(EM_LINELENGTH, static_cast<WPARAM>(-1)), 2) << "caret line";
  SetSel(0, -1);
  EXPECT_EQ(Sel().cpMax, 11) << "select-all reaches past the final mark";
  char buffer[64];
  EXPECT_EQ(edit.SendMessage(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 12);
  EXPECT_STREQ(buffer, ">AB\r\nCD\t\r\nEF");
  SetSel(1, 3);
  edit.SendMessage(WM_CLEAR);
  EXPECT_EQ(Text(), ">\r\nCD\t\r\nEF");
}

TEST_F(RichEditWindowTest, ReplaceSelectionTakesRtfWithItsFormats) {
  FormattedText red{"XYZ", {{3, CharFormat{}}}};
  red.runs[0].format.color = 0x000000FF;
  std::string rtf = WriteRtf(red);
  // The highlighting engine cuts the final paragraph mark off this way.
  rtf = rtf.substr(0, rtf.size() - 9) + "}";
  Replace("AB ");
  Replace(rtf.c_str());
  EXPECT_EQ(Text(), "AB XYZ");
  EXPECT_EQ(edit.engine().FormatAt(4).color, 0x000000FFu);
  EXPECT_EQ(Sel().cpMin, 6) << "caret after the inserted text";
  Replace("{\\rtf1 broken {{{");
  EXPECT_EQ(Text(), "AB XYZbroken ") << "broken RTF is read as far as it goes";
}

struct Sink {
  std::string data;
  std::size_t read_pos = 0;
  LONG limit = 1000;
  DWORD fail_with = 0;
};

DWORD StreamOutToSink(DWORD_PTR cookie, BYTE* buffer, LONG cb, LONG* pcb) {
  auto* sink = reinterpret_cast<Sink*>(cookie);
  if (sink->fail_with) return sink->fail_with;
  sink->data.append(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(cb));
  *pcb = cb;
  return 0;
}

DWORD StreamInFromSink(DWORD_PTR cookie, BYTE* buffer, LONG cb, LONG* pcb) {
  auto* sink = reinterpret_cast<Sink*>(cookie);
  const std::size_t n = std::min<std::size_t>({static_cast<std::size_t>(cb), static_cast<std::size_t>(sink->limit),
                                               sink->data.size() - sink->read_pos});
  std::copy_n(sink->data.data() + sink->read_pos, n, buffer);
  sink->read_pos += n;
  *pcb = static_cast<LONG>(n);
  return 0;
}

TEST_F(RichEditWindowTest, StreamsRoundTripThroughSmallBlocks) {
  for (int i = 0; i < 300; ++i) Replace(">A LINE OF SCREEN TEXT THAT IS LONG ENOUGH TO SPAN SEVERAL BLOCKS\r\n");
  Replace("LAST\t\r>");
  const std::string before = Text();
  Sink out;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, StreamOutToSink};
  EXPECT_GT(edit.SendMessage(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es)), 4096);
  EXPECT_EQ(es.dwError, 0u);
  edit.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("GONE"));
  out.limit = 777;
  EDITSTREAM in{reinterpret_cast<DWORD_PTR>(&out), 0, StreamInFromSink};
  edit.SendMessage(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&in));
  EXPECT_EQ(Text(), before);

  Sink failing;
  failing.fail_with = 5;
  EDITSTREAM bad{reinterpret_cast<DWORD_PTR>(&failing), 0, StreamOutToSink};
  edit.SendMessage(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&bad));
  EXPECT_EQ(bad.dwError, 5u) << "the callback's error is reported";
}

TEST_F(RichEditWindowTest, CharacterFormatRecordsBySize) {
  Replace("ABC");
  SetSel(0, 3);
  CHARFORMATA narrow;
  narrow.dwMask = CFM_COLOR | CFM_CHARSET;
  narrow.crTextColor = 0x00FFFF00;
  EXPECT_EQ(edit.SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&narrow)), 1);
  CHARFORMAT2A wide;
  edit.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&wide));
  EXPECT_EQ(wide.crTextColor, 0x00FFFF00u);
  CHARFORMAT2A odd;
  odd.cbSize = 70;
  EXPECT_EQ(edit.SendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&odd)), 0) << "unknown size refused";
}

TEST_F(RichEditWindowTest, KeysAndSizeDriveTheEngine) {
  EXPECT_EQ(edit.engine().VisibleLineCount(), 160 / edit.engine().LineHeight());
  TypeText("ab\rcd");
  PressKey(VK_HOME, {.shift = true});
  EXPECT_EQ(Text(), "ab\r\ncd");
  EXPECT_EQ(Sel().cpMin, 3);
  EXPECT_EQ(Sel().cpMax, 5);
}

TEST_F(RichEditWindowTest, ChangesAskForDrawingUnlessRedrawIsOff) {
  edit.Update();
  ASSERT_FALSE(edit.needs_drawing());
  edit.SendMessage(WM_SETREDRAW, FALSE);
  Replace("ABC");
  EXPECT_FALSE(edit.needs_drawing());
  edit.SendMessage(WM_SETREDRAW, TRUE);
  EXPECT_TRUE(edit.needs_drawing());
}

}  // namespace
}  // namespace zv::platform
