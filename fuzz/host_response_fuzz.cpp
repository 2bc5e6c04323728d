// Any host response, control characters and very long rows included, handed
// to the control by dispatch id as a container does: it is shown without a
// crash, and every row of the screen stays within 64 characters and its
// wrap marker.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "apps/zvemul-script/headless_control.h"
#include "fuzz/fuzz_support.h"
#include "platform/code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using zv::platform::Variant;
  static zv::script::HeadlessControl* control = [] {
    zv::fuzz::PrivateProfile();
    return new zv::script::HeadlessControl;
  }();
  static const zv::platform::DISPID response = control->Id("DataSourceResponse");
  zv::fuzz::Check(control->ok() && response >= 0);

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  control->Call(response, {Variant::String(zv::platform::Cp1252ToUtf16(bytes))});

  const zv::platform::TextEngine& screen = *control->control().View().windows.at(0).engine;
  for (LONG line = 0; line < screen.LineCount(); ++line) {
    zv::fuzz::Check(screen.LineLength(screen.LineStart(line)) <= 65);
  }
  return 0;
}
