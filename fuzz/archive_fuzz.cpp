// Any settings-file bytes given to the archive's readers: the entry history
// and a saved screen loaded into a res window. A bad record is refused with
// the archive's exception, never a crash; a loaded history holds no more
// than the input could carry; a loaded screen ends ready for typing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "apps/zvemul-script/headless_control.h"
#include "fuzz/fuzz_support.h"
#include "platform/archive.h"
#include "reswindow/input_recall.h"
#include "reswindow/res_rich.h"

namespace {

using zv::fuzz::Check;

void LoadHistory(const std::string& bytes) {
  zv::platform::Archive in(bytes);
  zv::CInputRecall history(50);
  try {
    history.Serialize(in);
  } catch (const zv::platform::ArchiveException&) {
    return;
  }
  // Each string costs at least its one length byte.
  Check(static_cast<std::size_t>(history.GetCount()) <= bytes.size());
}

void LoadScreen(const std::string& bytes) {
  static zv::script::HeadlessControl* control = [] {
    zv::fuzz::PrivateProfile();
    return new zv::script::HeadlessControl;
  }();
  Check(control->ok());
  auto& window = dynamic_cast<zv::CResRichEdit&>(*zv::platform::FromHandle(control->Window(1)));
  zv::platform::Archive in(bytes);
  try {
    window.Serialize(in);
  } catch (const zv::platform::FileException&) {
    return;
  }
  const std::string text = control->control().View().windows.at(0).engine->Text();
  Check(!text.empty() && text.back() == '>');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the reader.
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    LoadHistory(bytes);
  } else {
    LoadScreen(bytes);
  }
  return 0;
}
