// Any settings file: reading never throws, never keeps more entries than the
// input could hold, and a record read whole reads back the same once written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "control/settings_record.h"
#include "fuzz/fuzz_support.h"
#include "macros/macro_array.h"
#include "reswindow/input_recall.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zv;
  using zv::fuzz::Check;
  std::string input(reinterpret_cast<const char*>(data), size);
  CInputRecall history(50);
  CMacroArray macros;
  SettingsRecord record;
  record.history = &history;
  record.macros = &macros;
  platform::Archive ar(input);
  const std::vector<SettingsFailure> failures = SerializeSettings(ar, record, 0x00FF0000);
  // Every string and every macro entry costs at least one byte of input.
  Check(static_cast<std::size_t>(history.GetCount()) <= size);
  Check(static_cast<std::size_t>(macros.GetSize()) <= size);
  if (!failures.empty()) return 0;

  // Read whole: written again (as the newest version) and read back, every
  // field is as it was read.
  platform::Archive out;
  SerializeSettings(out, record, 0x00FF0000);
  CInputRecall history2(50);
  CMacroArray macros2;
  SettingsRecord again;
  again.history = &history2;
  again.macros = &macros2;
  platform::Archive in(out.Buffer());
  Check(SerializeSettings(in, again, 0x00FF0000).empty());
  Check(in.Remaining() == 0);
  Check(again.colors == record.colors && again.fontName == record.fontName && again.fontSize == record.fontSize);
  Check(macros2.GetSize() == macros.GetSize() && history2.GetCount() == history.GetCount());
  return 0;
}
