// The desk's message boxes: each box is a modal dialog over the desk, with
// the buttons of its type, answered by a key or a click. While a box is up
// only the terminal is read; the exit keys or a signal close it (with
// Cancel, No or OK) and leave the desk once the control's call returns.
#pragma once

#include "apps/zvemul/terminal.h"
#include "platform/services.h"

namespace zv::desk {

class CursesMessageBoxes final : public platform::MessageBoxService {
 public:
  explicit CursesMessageBoxes(Terminal& terminal) : terminal_(terminal) {}

  int Show(std::string_view text, std::string_view caption, UINT type) override;

  bool quit_requested() const { return quit_requested_; }
  int shown() const { return shown_; }

 private:
  Terminal& terminal_;
  bool quit_requested_ = false;
  int shown_ = 0;
};

}  // namespace zv::desk
