#include "platform/print_dialog_recorder.h"

#include <utility>

namespace zv::platform {

int PrintDialogRecorder::Show(HWND /*owner*/, PrintDialogData& data) {
  const int answer = answer_.value_or(IDOK);
  Dialog dialog;
  dialog.setup = (data.flags & PD_PRINTSETUP) != 0;
  dialog.flags = data.flags;
  dialog.answer = answer;
  if (answer == IDOK && next_printer_) data.settings.printer = std::move(*next_printer_);
  next_printer_.reset();
  dialog.settings = data.settings;
  dialog.selection = (data.flags & PD_SELECTION) != 0;
  dialogs_.push_back(std::move(dialog));
  return answer;
}

}  // namespace zv::platform
