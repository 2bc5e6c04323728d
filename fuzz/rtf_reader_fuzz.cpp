// Any input: the reader returns well-formed text no longer than the input,
// and what it read survives our own writer and reader unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"

using zv::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zv::platform;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  FormattedText out;
  CharFormat end;
  const bool ok = ReadRtf(input, CharFormat{}, out, {.last_par_is_final_mark = size % 2 == 0}, &end);
  Check(ok || (out.text.empty() && out.runs.empty()));
  Check(out.text.size() <= size);
  std::size_t covered = 0;
  for (const FormatRun& run : out.runs) {
    Check(run.length > 0);
    covered += run.length;
  }
  Check(covered == out.text.size());

  FormattedText again;
  Check(ReadRtf(WriteRtf(out), CharFormat{}, again, {.last_par_is_final_mark = true}));
  Check(again.text == out.text);
  Check(again.runs.size() == out.runs.size());
  for (std::size_t i = 0; i < out.runs.size(); ++i) {
    Check(again.runs[i].length == out.runs[i].length && again.runs[i].format == out.runs[i].format);
  }
  return 0;
}
