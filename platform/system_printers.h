// The printers of this system: the CUPS destinations, where there are any,
// and always "PDF", which writes each job as a PDF file into the folder
// $ZVEMUL_PRINT_DIR names, or else "zvemul-prints" in the user's home
// folder. "PDF" is the default printer unless CUPS names a default
// destination; a CUPS destination that is itself named "PDF" is left out.
//
// Every printer draws pages with cairo into a PDF document: 300 dots per
// inch, the system's default monospaced font (fontconfig's "monospace") at
// 10 points, on the printable area of the sheet: for "PDF" an A4 sheet less
// a quarter of an inch all round, for a CUPS destination its default media
// (as "PDF" when it names none). Text drawn beyond the printable area shows
// up to the sheet's edge. A CUPS destination gets the finished document as
// one job with its copies; the PDF printer writes one file whatever the
// copies.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/printing.h"

namespace zv::platform {

class SystemPrinters : public PrinterService {
 public:
  static constexpr char kPdfPrinter[] = "PDF";
  static constexpr char kPrintDirVariable[] = "ZVEMUL_PRINT_DIR";
  static constexpr char kProfilePrintFolder[] = "zvemul-prints";
  static constexpr int kDotsPerInch = 300;
  static constexpr double kFontPoints = 10.0;
  // The PDF printer's unprintable edge, all round.
  static constexpr double kPdfMarginPoints = 18.0;

  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinter() override;
  std::unique_ptr<PrinterDC> CreateDC(const PrinterSettings& settings) override;

  // Where the PDF printer writes: $ZVEMUL_PRINT_DIR, else the home folder's
  // "zvemul-prints".
  static std::filesystem::path PdfFolder();
};

}  // namespace zv::platform
