// Printing with Ctrl+P, read back from the PDF the printer wrote: the text
// of each printed line and where it stands on the page.
#include <stdio.h>

#include <cmath>
#include <cstdlib>
#include <regex>

#include "platform/system_printers.h"
#include "tests/control/control_fixture.h"

namespace zv::testing {
namespace {

struct PrintedLine {
  double x = 0;
  double y = 0;
  std::string text;  // words joined by one blank
};
struct PrintedPage {
  double height = 0;
  std::vector<PrintedLine> lines;
};

std::string Unescape(std::string text) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, plain] : kEntities) {
    for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
      text.replace(at, std::strlen(entity), plain);
    }
  }
  return text;
}

// The pages of a PDF through pdftotext's word boxes; words at one height
// make one line.
std::vector<PrintedPage> ReadPdf(const std::filesystem::path& pdf) {
  const std::string command = "pdftotext -bbox '" + pdf.native() + "' - 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string html;
  char buffer[4096];
  for (std::size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) html.append(buffer, n);
  if (pipe != nullptr) pclose(pipe);

  static const std::regex kItem(
      R"re(<page width="[0-9.]+" height="([0-9.]+)">|<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
  std::vector<PrintedPage> pages;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kItem); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    if (m[1].matched) {
      pages.push_back({std::stod(m[1]), {}});
      continue;
    }
    if (pages.empty()) continue;
    const double x = std::stod(m[2]);
    const double y = std::stod(m[3]);
    std::vector<PrintedLine>& lines = pages.back().lines;
    if (!lines.empty() && std::abs(lines.back().y - y) < 0.5) {
      lines.back().text += " " + Unescape(m[4]);
    } else {
      lines.push_back({x, y, Unescape(m[4])});
    }
  }
  return pages;
}

// Blanks collapsed, as the word boxes give a line.
std::string Words(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

class PrintTest : public ControlTest {
 protected:
  static constexpr double kPointsPerDot = 72.0 / platform::SystemPrinters::kDotsPerInch;

  void SetUp() override {
    ControlTest::SetUp();
    Create();
    Put("CurrentWindow", S(1));
    // The printer's own numbers, which every position below follows.
    platform::PrinterSettings pdf{platform::SystemPrinters::kPdfPrinter, 1};
    std::unique_ptr<platform::PrinterDC> dc = platform::SystemPrinters().CreateDC(pdf);
    TEXTMETRICA metrics;
    dc->GetTextMetrics(&metrics);
    line_height = metrics.tmHeight + 1;
    lines_per_page = dc->GetDeviceCaps(VERTRES) / line_height - 2;
    top = 3 * metrics.tmHeight + 3;
    char_width = metrics.tmAveCharWidth;
  }

  // Rows "ROW 001 ..." to "ROW n ..." written by a host response.
  void WriteRows(int count) {
    std::string response = "A\x01";
    for (int i = 1; i <= count; ++i) {
      char row[40];
      std::snprintf(row, sizeof row, "ROW %03d ABCDEFGHIJKLMNOP|", i);
      response += row;
    }
    HostEntry(1, "X");
    Respond(response);
  }
  LONG PositionOf(std::string_view text) {
    // Text() gives each paragraph end as two characters; positions count one.
    const std::string all = Text(1);
    const std::size_t at = all.find(text);
    LONG ends = 0;
    for (std::size_t i = 0; i < at; ++i) ends += all[i] == '\n';
    return static_cast<LONG>(at) - ends;
  }
  void Select(LONG start, LONG end) { platform::SendMessage(Hwnd(1), EM_SETSEL, start, end); }
  void CtrlP() { Press('P', {.ctrl = true}); }

  std::vector<std::filesystem::path> Printed() {
    std::vector<std::filesystem::path> files;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(home.dir.path() / "zvemul-prints", ignored)) {
      files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
  }
  std::vector<PrintedPage> OnlyPrint() {
    const std::vector<std::filesystem::path> files = Printed();
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::vector<PrintedPage>{} : ReadPdf(files.back());
  }
  // Device units from the printable area's edge.
  double Dots(double points) const {
    return (points - platform::SystemPrinters::kPdfMarginPoints) / kPointsPerDot;
  }

  int line_height = 0;
  int lines_per_page = 0;
  int top = 0;
  int char_width = 0;
};

TEST_F(PrintTest, WithoutSelectionTheScreenFromItsFirstVisibleLineGoesOnOnePage) {
  WriteRows(120);
  platform::SendMessage(Hwnd(1), EM_LINESCROLL, 0, -1000);
  platform::SendMessage(Hwnd(1), EM_LINESCROLL, 0, 2);
  const LONG caret = PositionOf("ROW 010") + 3;
  Select(caret, caret + 1);  // one character is no selection
  CtrlP();

  ASSERT_EQ(print_dialogs->dialogs().size(), 1u);
  EXPECT_FALSE(print_dialogs->dialogs()[0].selection);
  EXPECT_EQ(print_dialogs->dialogs()[0].flags, PD_NOSELECTION | PD_NOPAGENUMS);
  const std::vector<PrintedPage> pages = OnlyPrint();
  ASSERT_EQ(pages.size(), 1u);
  const std::vector<PrintedLine>& lines = pages[0].lines;
  ASSERT_GT(lines.size(), 10u);
  // Screen line 2 on, one per printed line, from the top position down.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].text, Words(Line(1, static_cast<LONG>(i) + 2))) << i;
    EXPECT_NEAR(Dots(lines[i].x), 0, 2) << i;
    EXPECT_NEAR(Dots(lines[i].y) - Dots(lines[0].y), static_cast<double>(i) * line_height, 2) << i;
  }
  EXPECT_NEAR(Dots(lines[0].y), top, line_height / 2.0);
  // The rest of the screen fell below the page's end.
  EXPECT_LT(lines.size() + 2, static_cast<std::size_t>(Screen(1).LineCount()));
  EXPECT_GT(lines.back().y / kPointsPerDot + 2 * line_height, pages[0].height / kPointsPerDot);

  // Selection, caret and drawing are as before.
  EXPECT_EQ(Screen(1).Selection().cpMin, caret);
  EXPECT_EQ(Screen(1).Selection().cpMax, caret + 1);
  EXPECT_TRUE(Screen(1).RedrawEnabled());
  // Ctrl+P went to the container, never to the screen.
  const std::vector<RecordedEvent> reflected = events.Named("InputReflect");
  ASSERT_FALSE(reflected.empty());
  EXPECT_EQ(reflected.back().Int(0), 1);
  EXPECT_EQ(reflected.back().Int(1), 2);
  EXPECT_EQ(reflected.back().Int(2), 0x50);
  EXPECT_TRUE(reflected.back().IsNull(3));
  EXPECT_EQ(reflected.back().Int(4), 1);
  EXPECT_EQ(Text(1).find("P\r\n>"), std::string::npos);
}

TEST_F(PrintTest, ASelectionPrintsItsLinesTheFirstShiftedAcrossPages) {
  WriteRows(120);
  // From the middle of ROW 003 to the middle of ROW 005.
  const LONG start = PositionOf("ROW 003") + 4;
  const LONG end = PositionOf("ROW 005") + 10;
  Select(start, end);
  CtrlP();
  ASSERT_EQ(print_dialogs->dialogs().size(), 1u);
  EXPECT_TRUE(print_dialogs->dialogs()[0].selection);
  std::vector<PrintedPage> pages = OnlyPrint();
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].lines.size(), 3u);
  EXPECT_EQ(pages[0].lines[0].text, "003 ABCDEFGHIJKLMNOP");
  EXPECT_NEAR(Dots(pages[0].lines[0].x), 4 * char_width, 2);
  EXPECT_EQ(pages[0].lines[1].text, "ROW 004 ABCDEFGHIJKLMNOP");
  EXPECT_NEAR(Dots(pages[0].lines[1].x), 0, 2);
  EXPECT_EQ(pages[0].lines[2].text, "ROW 005 AB");
  EXPECT_NEAR((pages[0].lines[1].y - pages[0].lines[0].y) / kPointsPerDot, line_height, 2);
  EXPECT_EQ(Screen(1).Selection().cpMin, start);
  EXPECT_EQ(Screen(1).Selection().cpMax, end);

  // Exactly L lines: pages = count / L + 1, so a second, empty page.
  std::filesystem::remove(Printed().at(0));
  const LONG first = PositionOf("ROW 001");
  const LONG last_line = Screen(1).LineFromChar(first) + lines_per_page - 1;
  Select(first, Screen(1).LineStart(last_line) + 3);
  CtrlP();
  pages = OnlyPrint();
  ASSERT_EQ(pages.size(), 2u);
  ASSERT_EQ(pages[0].lines.size(), static_cast<std::size_t>(lines_per_page));
  EXPECT_EQ(pages[0].lines.front().text, "ROW 001 ABCDEFGHIJKLMNOP");
  EXPECT_EQ(pages[0].lines.back().text, Words(Line(1, last_line).substr(0, 3)));
  EXPECT_NEAR((pages[0].lines.back().y - pages[0].lines.front().y) / kPointsPerDot, (lines_per_page - 1) * line_height,
              2);
  EXPECT_TRUE(pages[1].lines.empty());

  // One line more goes on to the second page, at the top again.
  std::filesystem::remove(Printed().at(0));
  Select(first, Screen(1).LineStart(last_line + 1) + 3);
  CtrlP();
  pages = OnlyPrint();
  ASSERT_EQ(pages.size(), 2u);
  ASSERT_EQ(pages[1].lines.size(), 1u);
  EXPECT_NEAR(pages[1].lines[0].y, pages[0].lines[0].y, 0.5);
}

TEST_F(PrintTest, DialogsPrintSetUpAndTWA) {
  WriteRows(3);
  platform::SendMessage(Hwnd(1), EM_LINESCROLL, 0, -10);
  // Cancel prints nothing and says nothing.
  print_dialogs->SetAnswer(IDCANCEL);
  CtrlP();
  EXPECT_TRUE(Printed().empty());
  EXPECT_TRUE(boxes->boxes().empty());

  // The print dialog's printer holds for that print only.
  print_dialogs->ClearAnswer();
  print_dialogs->ChoosePrinter("NO SUCH PRINTER");
  CtrlP();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Printing Error: Cannot access printer device context."});
  CtrlP();
  EXPECT_EQ(Printed().size(), 1u);
  EXPECT_EQ(print_dialogs->dialogs().back().settings.printer, "PDF");

  // PrintSetUp's choice is kept; with TWA on, prints go there with no dialog.
  print_dialogs->ChoosePrinter("NO SUCH PRINTER");
  Call("PrintSetUp");
  EXPECT_TRUE(print_dialogs->dialogs().back().setup);
  EXPECT_EQ(print_dialogs->dialogs().back().flags,
            PD_PRINTSETUP | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION);
  Put("TWA", B(TRUE));
  print_dialogs->Clear();
  boxes->Clear();
  CtrlP();
  EXPECT_TRUE(print_dialogs->dialogs().empty());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Printing Error: Cannot access printer device context."});
  print_dialogs->ChoosePrinter("PDF");
  Call("PrintSetUp");
  CtrlP();
  EXPECT_EQ(Printed().size(), 2u);
  for (const std::filesystem::path& pdf : Printed()) EXPECT_EQ(ReadPdf(pdf).at(0).lines.at(1).text.substr(0, 7), "ROW 002");
  Put("TWA", B(FALSE));
}

TEST_F(PrintTest, APrinterThatCannotStartAPage) {
  // The PDF printer's folder cannot be made: below a plain file.
  zv::testing::WriteText(home.dir.path() / "file", "x");
  zv::testing::ScopedEnv folder("ZVEMUL_PRINT_DIR", (home.dir.path() / "file" / "prints").native());
  WriteRows(3);
  boxes->SetAnswer(IDNO);
  CtrlP();
  ASSERT_EQ(boxes->boxes().size(), 1u);
  EXPECT_EQ(boxes->boxes()[0].text, "Printing Error: Start Page failed.\n Continue to Print?");
  EXPECT_EQ(boxes->boxes()[0].type & MB_TYPEMASK, MB_YESNO);
  // Yes draws on regardless and ends as usual.
  boxes->SetAnswer(IDYES);
  Select(5, 5);
  CtrlP();
  EXPECT_EQ(boxes->boxes().size(), 2u);
  EXPECT_EQ(Screen(1).Selection().cpMin, 5);

  boxes->Clear();
  Select(PositionOf("ROW 001"), PositionOf("ROW 003"));
  CtrlP();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Printing Error: Start Page failed."});
  EXPECT_FALSE(std::filesystem::exists(home.dir.path() / "file" / "prints"));
}

}  // namespace
}  // namespace zv::testing
