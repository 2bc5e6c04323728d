// RTF out and in of a full screen: 350 rows of 64 columns, a few colour runs
// per row, as a saved screen file or a highlighted response holds them.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/rtf_reader.h"
#include "platform/rtf_writer.h"

namespace zv::platform {
namespace {

FormattedText Screen(int rows) {
  CharFormat host;
  host.color = RGB(0, 128, 0);
  CharFormat red = host;
  red.color = RGB(255, 0, 0);
  CharFormat blue = host;
  blue.color = RGB(0, 0, 255);
  blue.underline = true;
  blue.auto_back_color = false;
  blue.back_color = RGB(255, 255, 0);
  FormattedText t;
  for (int r = 0; r < rows; ++r) {
    std::string row = std::to_string(r) + " LH 400 F" + std::to_string(r % 7) + " FRAJFK 0915 1130 A320 0 M Y B H Q ";
    row.resize(64, '.');
    const std::size_t start = t.text.size();
    t.text += row;
    t.text += '\r';
    // host text, a red flight number, host text, a marked class, host text and the row end
    for (const auto& [length, format] : {std::pair{std::size_t{3}, &host}, {6, &red}, {20, &host}, {5, &blue}}) {
      t.runs.push_back({length, *format});
    }
    t.runs.push_back({t.text.size() - start - 34, host});
  }
  return t;
}

void BM_WriteScreen(benchmark::State& state) {
  const FormattedText screen = Screen(350);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string rtf = WriteRtf(screen);
    bytes = rtf.size();
    benchmark::DoNotOptimize(rtf.data());
  }
  state.counters["rtf_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * screen.text.size()));
}
BENCHMARK(BM_WriteScreen);

void BM_ReadScreen(benchmark::State& state) {
  const std::string rtf = WriteRtf(Screen(350));
  FormattedText out;
  for (auto _ : state) {
    ReadRtf(rtf, CharFormat{}, out, {.last_par_is_final_mark = true});
    benchmark::DoNotOptimize(out.text.data());
  }
  state.counters["runs"] = static_cast<double>(out.runs.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_ReadScreen);

// One 15-row response, as the highlighter hands it over for insertion.
void BM_WriteAndReadResponse(benchmark::State& state) {
  const FormattedText response = Screen(15);
  FormattedText out;
  for (auto _ : state) {
    std::string rtf = WriteRtf(response);
    rtf.resize(rtf.size() - 9);
    rtf += '}';
    ReadRtf(rtf, CharFormat{}, out);
    benchmark::DoNotOptimize(out.text.data());
  }
}
BENCHMARK(BM_WriteAndReadResponse);

}  // namespace
}  // namespace zv::platform
