// Printing a res window: the selected lines across pages, or the screen
// from its first visible line on one page, one screen line per printed line
// in the printer's default font.
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/catch_all.h"
#include "platform/desktop.h"
#include "platform/printing.h"
#include "platform/window.h"
#include "reswindow/res_rich.h"
#include "reswindow/res_window_host.h"

namespace zv {
namespace {

constexpr char kNoDefaultPrinter[] = "Printing Error: Cannot access default printer information.";
constexpr char kNoDeviceContext[] = "Printing Error: Cannot access printer device context.";
constexpr char kCannotAttach[] = "Printing Error: Cannot attach printer device context.";
constexpr char kStartPageFailed[] = "Printing Error: Start Page failed.";
constexpr char kStartPageContinue[] = "Printing Error: Start Page failed.\n Continue to Print?";
// The document-information record's size in its 32-bit layout.
constexpr int kDocInfoSize = 20;

void RemoveAll(std::string& text, std::string_view what) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) text.erase(at, what.size());
}

// The print job's device context, released when the job ends however it
// ends; a document not ended by then is discarded.
class PrintJob {
 public:
  explicit PrintJob(platform::HPRINTDC dc) : dc_(dc) {}
  ~PrintJob() {
    if (dc_ != 0) platform::DeletePrinterDC(dc_);
  }
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;
  platform::HPRINTDC handle() const { return dc_; }

 private:
  platform::HPRINTDC dc_;
};

}  // namespace

void CResRichEdit::Print() {
  platform::CatchAll([&] {
    platform::PrintDialogData dialog;
    if (!platform::GetPrinterDeviceDefaults(dialog.settings)) {
      m_pCtrl->ShowMessage(kNoDefaultPrinter);
      return;
    }
    const CHARRANGE sel = GetSel();
    const LONG s0 = sel.cpMin;
    const LONG s1 = sel.cpMax;
    dialog.flags = s1 - s0 > 1 ? (PD_SELECTION | PD_NOPAGENUMS) : (PD_NOSELECTION | PD_NOPAGENUMS);
    dialog.settings.copies = 1;
    // The dialog's choice holds for this print only; PrintSetUp's is the one kept.
    if (!m_pCtrl->GetTWA() && platform::PrintDlg(handle(), dialog) != IDOK) return;

    const PrintJob job(platform::CreatePrinterDC(dialog.settings));
    if (job.handle() == 0) {
      m_pCtrl->ShowMessage(kNoDeviceContext);
      return;
    }
    platform::PrinterDC* dc = platform::PrinterDCFromHandle(job.handle());
    if (dc == nullptr) {
      m_pCtrl->ShowMessage(kCannotAttach);
      return;
    }

    TEXTMETRICA metrics;
    dc->GetTextMetrics(&metrics);
    const int lineHeight = metrics.tmHeight + 1;
    // A page too short for three lines still takes one line per page.
    const LONG linesPerPage = std::max(1, dc->GetDeviceCaps(VERTRES) / lineHeight - 2);
    const int top = 3 * metrics.tmHeight + 3;
    DOCINFOA info;
    info.cbSize = kDocInfoSize;
    dc->StartDoc(info);

    const platform::TextEngine& text = engine();
    int y = top;
    if ((dialog.flags & PD_SELECTION) != 0) {
      LONG first = text.LineFromChar(s0);
      LONG count = text.LineFromChar(s1) - first + 1;
      const LONG pages = count / linesPerPage + 1;
      for (LONG page = 0; page < pages; ++page) {
        const LONG pageLast = std::min(first + count - 1, first + linesPerPage - 1);
        if (dc->StartPage() <= 0) {
          m_pCtrl->ShowMessage(kStartPageFailed);
          return;
        }
        SetRedraw(false);
        for (LONG n = first; n <= pageLast; ++n) {
          const LONG lineStart = text.LineStart(n);
          const LONG from = std::max(lineStart, s0);
          const LONG to = std::min(lineStart + text.LineLength(from), s1);
          SetSel(from, to);
          std::string line = GetSelText();
          RemoveAll(line, "\r");
          RemoveAll(line, "\n");
          dc->TextOut((from - lineStart) * metrics.tmAveCharWidth, y, line);
          y += lineHeight;
        }
        SetCaretToEnd();
        SetRedraw(true);
        count -= linesPerPage;
        first += linesPerPage;
        y = top;
        dc->EndPage();
      }
    } else {
      if (dc->StartPage() <= 0 && m_pCtrl->ShowMessage(kStartPageContinue, MB_YESNO) != IDYES) return;
      const LONG first = text.FirstVisibleLine();
      const LONG last = text.LineFromChar(GetTextEnd());
      SetRedraw(false);
      // Every line to the end goes on this page; those past its end fall below it.
      for (LONG n = first; n <= last; ++n) {
        const LONG lineStart = text.LineStart(n);
        SetSel(lineStart, lineStart + text.LineLength(lineStart));
        std::string line = GetSelText();
        RemoveAll(line, "\r\r\n");
        dc->TextOut(0, y, line);
        y += lineHeight;
      }
      SetCaretToEnd();
      SetRedraw(true);
      dc->EndPage();
    }

    dc->EndDoc();
    SetSel(s0, s1);
    platform::InvalidateRect(handle(), nullptr, TRUE);
    RefreshCaret(0, TRUE);
  });
}

}  // namespace zv
