#include "apps/zvemul/curses_message_boxes.h"

#include <string>

#include "apps/zvemul/message_dialog.h"

namespace zv::desk {

int CursesMessageBoxes::Show(std::string_view text, std::string_view caption, UINT type) {
  ++shown_;
  MessageDialog dialog{std::string(text), std::string(caption), type};
  // Without a terminal (before start or after the end) nobody can answer.
  if (!terminal_.active() || quit_requested_) return dialog.DismissAnswer();
  CellGrid backdrop = terminal_.shown();
  for (;;) {
    CellGrid grid = backdrop;
    dialog.Paint(grid);
    terminal_.Show(grid, std::nullopt);
    terminal_.Wait(-1);
    const Terminal::Signals signals = terminal_.TakeSignals();
    if (signals.quit) quit_requested_ = true;
    if (signals.resized) {
      terminal_.UpdateSize();
      backdrop = CellGrid(terminal_.rows(), terminal_.columns());
    }
    for (const TerminalInput& input : terminal_.ReadInput()) {
      const DeskAction action = DecodeInput(input);
      if (action.kind == DeskAction::Kind::kQuit) quit_requested_ = true;
      if (quit_requested_) break;
      if (action.kind == DeskAction::Kind::kMouse) {
        if (action.released) continue;
        if (auto answer = dialog.Click(action.row, action.column)) return *answer;
        continue;
      }
      if (auto answer = dialog.Handle(action)) return *answer;
    }
    if (quit_requested_) return dialog.DismissAnswer();
  }
}

}  // namespace zv::desk
