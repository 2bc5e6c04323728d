// The headless print dialogs: each dialog shown is kept, in order, and
// answered at once without showing anything.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/printing.h"

namespace zv::platform {

class PrintDialogRecorder : public PrintDialogService {
 public:
  struct Dialog {
    bool setup = false;  // the print-setup dialog
    DWORD flags = 0;     // as shown
    // What the dialog answered with (on Cancel: what it was shown with).
    PrinterSettings settings;
    bool selection = false;  // the selection was chosen (PD_SELECTION)
    int answer = IDOK;
  };

  // Answers IDOK unless an answer is set; on OK returns the settings it was
  // shown with, the printer replaced by the one chosen for the next dialog.
  int Show(HWND owner, PrintDialogData& data) override;

  void SetAnswer(int answer) { answer_ = answer; }
  void ClearAnswer() { answer_.reset(); }
  // The printer the next dialog returns, whatever its name.
  void ChoosePrinter(std::string name) { next_printer_ = std::move(name); }

  const std::vector<Dialog>& dialogs() const { return dialogs_; }
  void Clear() { dialogs_.clear(); }

 private:
  std::vector<Dialog> dialogs_;
  std::optional<int> answer_;
  std::optional<std::string> next_printer_;
};

}  // namespace zv::platform
