// Printing: the printers of the system, printer device contexts that draw
// pages of text, and the print and print-setup dialogs. The printers and
// the dialogs are desktop services (desktop.h); the functions at the end
// reach them on the current desktop, desktop-style.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace zv::platform {

// A printer and the copies asked for: the desktop's device names and
// device mode in one.
struct PrinterSettings {
  std::string printer;
  WORD copies = 1;
  friend bool operator==(const PrinterSettings&, const PrinterSettings&) = default;
};

// What a print dialog is shown with and answers (PRINTDLG): the PD_* flags
// and the printer settings in; on OK the settings chosen, and PD_SELECTION
// in flags when the agent chose to print the selection.
struct PrintDialogData {
  DWORD flags = 0;
  PrinterSettings settings;
};

// The print dialog, or the print-setup dialog when flags hold
// PD_PRINTSETUP. Answers IDOK or IDCANCEL; data changes only on IDOK.
class PrintDialogService {
 public:
  virtual ~PrintDialogService() = default;
  virtual int Show(HWND owner, PrintDialogData& data) = 0;
};

// A printer device context. Positions are device units from the top left
// of the printable area; TextOut places the top of the text cell at y.
// Text is Windows-1252, drawn in the context's font.
class PrinterDC {
 public:
  virtual ~PrinterDC() = default;
  virtual BOOL GetTextMetrics(TEXTMETRICA* metrics) = 0;
  virtual int GetDeviceCaps(int index) = 0;
  // Each answers a positive value, or SP_ERROR (zero or less) on failure.
  virtual int StartDoc(const DOCINFOA& info) = 0;
  virtual int StartPage() = 0;
  virtual int EndPage() = 0;
  virtual int EndDoc() = 0;
  virtual BOOL TextOut(int x, int y, std::string_view text) = 0;
};

class PrinterService {
 public:
  virtual ~PrinterService() = default;
  // Every printer's name, the default among them.
  virtual std::vector<std::string> PrinterNames() = 0;
  // The system's default printer; empty when there is no printer.
  virtual std::string DefaultPrinter() = 0;
  // A device context for the printer; null when there is no such printer or
  // it cannot be reached.
  virtual std::unique_ptr<PrinterDC> CreateDC(const PrinterSettings& settings) = 0;
};

// ---- On the current desktop ---------------------------------------------------------------------
// A printer device context handle; 0 is none. A handle lives until
// DeletePrinterDC, which discards a document that was not ended.
using HPRINTDC = UINT_PTR;

// The application's printer settings, taken from the system's default
// printer the first time; FALSE when there is no printer.
BOOL GetPrinterDeviceDefaults(PrinterSettings& settings);
void SetPrinterDeviceDefaults(const PrinterSettings& settings);
// Shows the print (or print-setup) dialog of the desktop.
int PrintDlg(HWND owner, PrintDialogData& data);
// 0 when the context cannot be created.
HPRINTDC CreatePrinterDC(const PrinterSettings& settings);
// The context of a handle; null for a handle that is no live context.
PrinterDC* PrinterDCFromHandle(HPRINTDC handle);
void DeletePrinterDC(HPRINTDC handle);

}  // namespace zv::platform
