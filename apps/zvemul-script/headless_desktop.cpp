#include "apps/zvemul-script/headless_desktop.h"

#include <memory>

namespace zv::script {
namespace {

// Makes the service, keeps a plain pointer to it and hands it to the desktop.
template <class Service, class Slot>
void Provide(Slot& slot, Service*& kept) {
  auto service = std::make_unique<Service>();
  kept = service.get();
  slot = std::move(service);
}

}  // namespace

platform::DesktopServices HeadlessDesktop::MakeServices() {
  platform::DesktopServices services;
  Provide(services.clock, clock_);
  Provide(services.message_boxes, boxes_);
  Provide(services.print_dialogs, dialogs_);
  Provide(services.menus, menus_);
  Provide(services.clipboard, clipboard_);
  return services;
}

HeadlessDesktop::HeadlessDesktop() : desktop_(MakeServices()), scope_(desktop_) {}

}  // namespace zv::script
