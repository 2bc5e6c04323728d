#include "apps/zvemul-script/headless_desktop.h"

#include <memory>

namespace zv::script {
namespace {

platform::DesktopServices MakeServices(platform::ManualClock*& clock, platform::MessageBoxRecorder*& boxes) {
  platform::DesktopServices services;
  auto manual_clock = std::make_unique<platform::ManualClock>();
  auto recorder = std::make_unique<platform::MessageBoxRecorder>();
  clock = manual_clock.get();
  boxes = recorder.get();
  services.clock = std::move(manual_clock);
  services.message_boxes = std::move(recorder);
  return services;
}

}  // namespace

HeadlessDesktop::HeadlessDesktop() : desktop_(MakeServices(clock_, boxes_)), scope_(desktop_) {}

}  // namespace zv::script
