// The desk's modal loop for its dialogs (message boxes, print dialogs):
// the dialog is painted over what the terminal shows and fed keys and clicks
// until it answers. While it is up only the terminal is read; the exit key,
// Ctrl+C or a signal close it with its dismiss answer and ask the desk to
// stop once the control's call returns.
#pragma once

#include <optional>

#include "apps/zvemul/key_decoder.h"
#include "apps/zvemul/terminal.h"

namespace zv::desk {

// Dialog: Paint(CellGrid&), Handle(const DeskAction&) and Click(row, column)
// answering std::optional<int>, DismissAnswer().
template <class Dialog>
int RunModal(Terminal& terminal, Dialog& dialog, bool& quit_requested) {
  // Without a terminal (before start or after the end) nobody can answer.
  if (!terminal.active() || quit_requested) return dialog.DismissAnswer();
  CellGrid backdrop = terminal.shown();
  for (;;) {
    CellGrid grid = backdrop;
    dialog.Paint(grid);
    terminal.Show(grid, std::nullopt);
    terminal.Wait(-1);
    const Terminal::Signals signals = terminal.TakeSignals();
    if (signals.quit) quit_requested = true;
    if (signals.resized) {
      terminal.UpdateSize();
      backdrop = CellGrid(terminal.rows(), terminal.columns());
    }
    for (const TerminalInput& input : terminal.ReadInput()) {
      const DeskAction action = DecodeInput(input);
      if (action.kind == DeskAction::Kind::kQuit) quit_requested = true;
      if (quit_requested) break;
      if (action.kind == DeskAction::Kind::kMouse) {
        if (action.released) continue;
        if (std::optional<int> answer = dialog.Click(action.row, action.column)) return *answer;
        continue;
      }
      if (std::optional<int> answer = dialog.Handle(action)) return *answer;
    }
    if (quit_requested) return dialog.DismissAnswer();
  }
}

}  // namespace zv::desk
