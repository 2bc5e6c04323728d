// The driver's desktop: the deterministic services (a manual clock that only
// the script moves, message boxes and print dialogs that are recorded and
// answered, menus that stay open until the script chooses, an in-process
// clipboard) and the system's printers, made current on this thread for the
// desktop's lifetime.
#pragma once

#include "platform/clocks.h"
#include "platform/desktop.h"
#include "platform/held_menu.h"
#include "platform/in_process_clipboard.h"
#include "platform/message_box_recorder.h"
#include "platform/print_dialog_recorder.h"

namespace zv::script {

class HeadlessDesktop {
 public:
  HeadlessDesktop();
  HeadlessDesktop(const HeadlessDesktop&) = delete;
  HeadlessDesktop& operator=(const HeadlessDesktop&) = delete;

  platform::Desktop& desktop() { return desktop_; }
  platform::ManualClock& clock() { return *clock_; }
  platform::MessageBoxRecorder& boxes() { return *boxes_; }
  platform::PrintDialogRecorder& print_dialogs() { return *dialogs_; }
  platform::HeldMenu& menus() { return *menus_; }
  platform::InProcessClipboard& clipboard() { return *clipboard_; }

 private:
  platform::DesktopServices MakeServices();

  // Owned by desktop_; declared first so that they are set before it is made.
  platform::ManualClock* clock_ = nullptr;
  platform::MessageBoxRecorder* boxes_ = nullptr;
  platform::PrintDialogRecorder* dialogs_ = nullptr;
  platform::HeldMenu* menus_ = nullptr;
  platform::InProcessClipboard* clipboard_ = nullptr;
  platform::Desktop desktop_;
  platform::DesktopScope scope_;
};

}  // namespace zv::script
