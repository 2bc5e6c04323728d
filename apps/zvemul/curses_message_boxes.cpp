#include "apps/zvemul/curses_message_boxes.h"

#include <string>

#include "apps/zvemul/message_dialog.h"
#include "apps/zvemul/modal_loop.h"

namespace zv::desk {

int CursesMessageBoxes::Show(std::string_view text, std::string_view caption, UINT type) {
  ++shown_;
  MessageDialog dialog{std::string(text), std::string(caption), type};
  return RunModal(terminal_, dialog, quit_requested_);
}

}  // namespace zv::desk
