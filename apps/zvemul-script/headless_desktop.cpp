#include "apps/zvemul-script/headless_desktop.h"

#include <memory>

namespace zv::script {
namespace {

platform::DesktopServices MakeServices(platform::ManualClock*& clock, platform::MessageBoxRecorder*& boxes,
                                       platform::PrintDialogRecorder*& dialogs) {
  platform::DesktopServices services;
  auto manual_clock = std::make_unique<platform::ManualClock>();
  auto recorder = std::make_unique<platform::MessageBoxRecorder>();
  auto dialog_recorder = std::make_unique<platform::PrintDialogRecorder>();
  clock = manual_clock.get();
  boxes = recorder.get();
  dialogs = dialog_recorder.get();
  services.clock = std::move(manual_clock);
  services.message_boxes = std::move(recorder);
  services.print_dialogs = std::move(dialog_recorder);
  return services;
}

}  // namespace

HeadlessDesktop::HeadlessDesktop() : desktop_(MakeServices(clock_, boxes_, dialogs_)), scope_(desktop_) {}

}  // namespace zv::script
