// The print and print-setup dialogs as the desk shows them: the printers to
// choose from, all or the selection (when the print offers a selection),
// the copies, and OK and Cancel.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apps/zvemul/cell_grid.h"
#include "apps/zvemul/key_decoder.h"
#include "apps/zvemul/terminal.h"
#include "platform/printing.h"

namespace zv::desk {

class PrintDialog {
 public:
  static constexpr int kMaxCopies = 99;

  // Starts on the printer of `data` (added to the list when it is not in it).
  PrintDialog(platform::PrintDialogData data, std::vector<std::string> printers);

  // Up and Down choose the printer, A and S all or the selection, + and -
  // the copies; Enter answers OK, Esc Cancel. The answer, when it closes.
  std::optional<int> Handle(const DeskAction& action);
  int DismissAnswer() const { return IDCANCEL; }
  void Paint(CellGrid& grid);
  // A click on a printer chooses it; on a button, answers.
  std::optional<int> Click(int row, int column);

  // The choice: printer, copies, PD_SELECTION.
  const platform::PrintDialogData& data() const { return data_; }
  bool offers_selection() const;

 private:
  struct Zone {
    int row = 0;
    int first_column = 0;
    int end_column = 0;
    int printer = -1;  // a printer's index, or -1 for a button
    int answer = 0;
  };

  void ChoosePrinter(int index);
  std::vector<std::string> Lines() const;
  int ShownPrinters() const;
  int FirstShown() const;

  platform::PrintDialogData data_;
  std::vector<std::string> printers_;
  int chosen_ = 0;
  std::vector<Zone> zones_;
};

// The desk's print dialogs: each a modal PrintDialog over the desk.
class CursesPrintDialogs final : public platform::PrintDialogService {
 public:
  explicit CursesPrintDialogs(Terminal& terminal) : terminal_(terminal) {}

  int Show(HWND owner, platform::PrintDialogData& data) override;

  bool quit_requested() const { return quit_requested_; }

 private:
  Terminal& terminal_;
  bool quit_requested_ = false;
};

}  // namespace zv::desk
