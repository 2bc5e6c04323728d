// A control made as a container makes it: on the headless desktop, created
// by its ProgID, its window made top-level and given the focus. For programs
// that drive the control's surface directly rather than through request
// lines (benchmarks, fuzz targets). The process's HOME and XDG folders are
// the caller's to set first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "apps/zvemul-script/headless_desktop.h"
#include "control/zvemul_surface.h"

namespace zv::script {

// HOME, the XDG folders and the error log inside one fresh folder, made and
// set in the environment on the first call (left for the system to clean
// up); its path. For programs that must never touch the real home.
const std::string& PrivateProfile();

class HeadlessControl {
 public:
  // Registers the control's class objects; ok() says whether the control
  // and its window were made.
  HeadlessControl(int width = 1024, int height = 768);
  ~HeadlessControl();
  HeadlessControl(const HeadlessControl&) = delete;
  HeadlessControl& operator=(const HeadlessControl&) = delete;

  bool ok() const { return ok_; }
  IZVEmulControl& control() { return *control_.Get(); }
  HeadlessDesktop& desktop() { return desktop_; }

  // A member's dispatch id by name, as a container binds once; -1 unknown.
  platform::DISPID Id(std::string_view name);
  platform::InvokeResult Call(platform::DISPID id, std::vector<platform::Variant> args = {});
  platform::InvokeResult Put(platform::DISPID id, const platform::Variant& value);
  // The window's handle, 1..10.
  HWND Window(int number);

 private:
  HeadlessDesktop desktop_;
  platform::ComPtr<IZVEmulControl> control_;
  bool ok_ = false;
};

}  // namespace zv::script
