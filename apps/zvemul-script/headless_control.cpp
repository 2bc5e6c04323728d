#include "apps/zvemul-script/headless_control.h"

#include <stdlib.h>

#include "apps/zvemul-script/driver.h"

namespace zv::script {

const std::string& PrivateProfile() {
  static const std::string root = [] {
    char pattern[] = "/tmp/zv-private-XXXXXX";
    const std::string path = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    ::setenv("HOME", path.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (path + "/state").c_str(), 1);
    ::setenv("ZVEMUL_LOGFILE", (path + "/logfile.log").c_str(), 1);
    return path;
  }();
  return root;
}

HeadlessControl::HeadlessControl(int width, int height) {
  RegisterZVEmulClassObjects();
  if (FAILED(CreateControl(&control_))) return;
  ok_ = control_->CreateControlWindow(nullptr, RECT{0, 0, width, height});
  if (ok_) {
    if (platform::Window* window = control_->ControlWindow()) platform::SetFocus(window->handle());
  }
}

HeadlessControl::~HeadlessControl() {
  if (ok_) control_->DestroyControlWindow();
}

platform::DISPID HeadlessControl::Id(std::string_view name) {
  return control_->Automation().IdOfName(name).value_or(-1);
}

platform::InvokeResult HeadlessControl::Call(platform::DISPID id, std::vector<platform::Variant> args) {
  return control_->Automation().Invoke(id, platform::InvokeKind::kMethod, args);
}

platform::InvokeResult HeadlessControl::Put(platform::DISPID id, const platform::Variant& value) {
  return control_->Automation().Invoke(id, platform::InvokeKind::kPropertyPut, {}, &value);
}

HWND HeadlessControl::Window(int number) { return control_->View().windows.at(static_cast<std::size_t>(number - 1)).hwnd; }

}  // namespace zv::script
