// Any request lines given to the scripting driver over the real control:
// each line gets one reply line, a JSON object, and nothing crashes.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "apps/zvemul-script/driver.h"
#include "apps/zvemul-script/headless_desktop.h"
#include "fuzz/fuzz_support.h"

namespace {

// One control and driver for the whole run, as one script session; both stay
// reachable from these statics until the process ends.
zv::script::Driver& SharedDriver() {
  static zv::platform::ComPtr<zv::IZVEmulControl>* control = nullptr;
  static zv::script::Driver* driver = [] {
    zv::fuzz::PrivateProfile();
    zv::RegisterZVEmulClassObjects();
    auto* desktop = new zv::script::HeadlessDesktop;
    control = new zv::platform::ComPtr<zv::IZVEmulControl>;
    zv::fuzz::Check(SUCCEEDED(zv::script::CreateControl(control)));
    auto* made = new zv::script::Driver(*control->Get(), *desktop);
    zv::fuzz::Check(made->Start(1024, 768));
    return made;
  }();
  return *driver;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zv::script::Driver& driver = SharedDriver();
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string reply = driver.HandleLine(rest.substr(0, end));
    const nlohmann::json parsed = nlohmann::json::parse(reply, nullptr, false);
    zv::fuzz::Check(!parsed.is_discarded() && parsed.is_object());
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return 0;
}
