// The control measured through the paths a container uses: responses handed
// over by dispatch id, keys typed through the platform's key helper, and the
// error log written by several writers at once. Ends with a table of each
// figure beside its target.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <vterm.h>
}

#include "apps/zvemul-script/headless_control.h"
#include "components/keymap/keymap.h"
#include "diagnostics/error_log.h"
#include "diagnostics/error_log_reader.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/key_input.h"
#include "platform/object_registry.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "reswindow/res_rich.h"

namespace zv {
namespace {

using platform::Variant;
using Clock = std::chrono::steady_clock;

const std::string& Profile() { return script::PrivateProfile(); }

// `rows` rows of 64 characters, as a host sends them ("|" between rows).
std::string HostRows(int rows) {
  std::string text;
  text.reserve(static_cast<std::size_t>(rows) * 65);
  for (int row = 0; row < rows; ++row) {
    if (row > 0) text += '|';
    for (int col = 0; col < 64; ++col) text += static_cast<char>('A' + (row + col) % 26);
  }
  return text;
}

Variant ResponseOf(const std::string& rows) { return Variant::String(platform::Cp1252ToUtf16("A\x01" + rows)); }

struct Control {
  Control() : respond(harness.Id("DataSourceResponse")) {}
  void Respond(const Variant& response) { harness.Call(respond, {response}); }
  CResRichEdit& Res(int window) {
    return dynamic_cast<CResRichEdit&>(*platform::FromHandle(harness.Window(window)));
  }
  const std::string& profile = Profile();  // before the control looks for its folders
  script::HeadlessControl harness;
  platform::DISPID respond;
};

// ---- Responses -----------------------------------------------------------------------------------------

void BM_Response15x64(benchmark::State& state) {
  Control control;
  const Variant response = ResponseOf(HostRows(15));
  for (auto _ : state) control.Respond(response);
}
BENCHMARK(BM_Response15x64);

// The agent has scrolled window 1 back to its first line: the response
// still costs what it writes, not the 350 lines above it.
void BM_Response15x64ScrolledToTop(benchmark::State& state) {
  Control control;
  const Variant response = ResponseOf(HostRows(15));
  const HWND window = control.harness.Window(1);
  for (auto _ : state) {
    platform::SendMessage(window, WM_VSCROLL, SB_TOP);
    control.Respond(response);
  }
}
BENCHMARK(BM_Response15x64ScrolledToTop);

// The same rows written by libvterm into an 80 x 24 screen, lines ended as
// a terminal expects them.
void BM_LibvtermSameBytes(benchmark::State& state) {
  std::string bytes = "\r\n" + HostRows(15);
  std::replace(bytes.begin(), bytes.end(), '|', '\n');
  std::string crlf;
  for (char c : bytes) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  VTerm* vt = vterm_new(24, 80);
  vterm_set_utf8(vt, 0);
  VTermScreen* screen = vterm_obtain_screen(vt);
  vterm_screen_reset(screen, 1);
  for (auto _ : state) vterm_input_write(vt, crlf.data(), crlf.size());
  vterm_free(vt);
}
BENCHMARK(BM_LibvtermSameBytes);

// A 1 MB response in a control that has shown nothing yet.
void BM_FirstMegabyteResponse(benchmark::State& state) {
  const Variant response = ResponseOf(HostRows(1 << 14));
  for (auto _ : state) {
    state.PauseTiming();
    auto control = std::make_unique<Control>();
    state.ResumeTiming();
    control->Respond(response);
    state.PauseTiming();
    control.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstMegabyteResponse)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RepeatedMegabyteResponse(benchmark::State& state) {
  Control control;
  const Variant response = ResponseOf(HostRows(1 << 14));
  control.Respond(response);
  for (auto _ : state) control.Respond(response);
}
BENCHMARK(BM_RepeatedMegabyteResponse)->Unit(benchmark::kMillisecond)->Iterations(5);

// ---- Typed characters ----------------------------------------------------------------------------------

// One character typed after the SOM of window 1, which holds `rows` rows;
// every 256 characters the typed text is taken out again (not timed).
void TypeCharacters(benchmark::State& state, int rows, const char* mapping = nullptr) {
  Control control;
  if (mapping != nullptr) {
    control.harness.Call(control.harness.Id("LoadKeyboardMapping"),
                         {Variant::String(platform::Cp1252ToUtf16(mapping))});
  }
  control.Respond(ResponseOf(HostRows(rows)));
  const HWND window = control.harness.Window(1);
  platform::SetFocus(window);
  CResRichEdit& res = control.Res(1);
  const LONG start = res.GetSel().cpMin;
  int typed = 0;
  for (auto _ : state) {
    platform::PressKey('A');
    if (++typed % 256 == 0) {
      state.PauseTiming();
      res.SetSel(start, -1);
      res.ReplaceSel("");
      state.ResumeTiming();
    }
  }
}

void BM_TypedCharMappingMissing(benchmark::State& state) { TypeCharacters(state, 349); }
BENCHMARK(BM_TypedCharMappingMissing)->Repetitions(5)->ReportAggregatesOnly(true);

// The keyboard mapper registered, as an installer leaves it, with the German
// mapping loaded. Once made it serves the process, so this runs after the
// benchmarks without it.
void BM_TypedCharMappingRegistered(benchmark::State& state) {
  Profile();
  static const bool registered =
      platform::RegisterServerClass(platform::CurrentRegistryStore(),
                                    {keymap::CLSID_KeyboardMapper, keymap::kKeyboardMapperProgId,
                                     "ZVEmul Keyboard Mapper", platform::LogicPath(ZV_KEYMAP_LIBRARY)}) ==
      ERROR_SUCCESS;
  if (!registered) {
    state.SkipWithError("the keyboard mapper cannot be registered");
    return;
  }
  TypeCharacters(state, 349, ZV_KEYMAP_MAPPINGS "/de.kbm");
}
BENCHMARK(BM_TypedCharMappingRegistered)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_TypedCharAfterMegabyte(benchmark::State& state) { TypeCharacters(state, 1 << 14); }
BENCHMARK(BM_TypedCharAfterMegabyte)->Repetitions(5)->ReportAggregatesOnly(true);

// ---- The error log under several writers ---------------------------------------------------------------

struct LogRun {
  double records_per_second = 0;
  long dropped = 0;
  bool verified = false;
};

constexpr char kLogMessage[] = "Error in Initializing Keyboard Mapping Object";

void WriteRecords(int count) {
  CErrorLog log(nullptr, u"Taloon! Res", u"ZVEmul.ocx", nullptr);
  for (int i = 0; i < count; ++i) log.GetErrorWrite2Log(2, i, "bench", "CResRichEdit::OnChar", kLogMessage);
}

LogRun RunLogWriters(int writers, bool processes, int records_each) {
  const std::string path = Profile() + "/log-" + std::to_string(writers) + (processes ? "p" : "t") + ".log";
  std::filesystem::remove(path);
  ::setenv("ZVEMUL_LOGFILE", path.c_str(), 1);
  { CErrorLog create; }
  const Clock::time_point start = Clock::now();
  if (processes) {
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
      const pid_t pid = ::fork();
      if (pid == 0) {
        WriteRecords(records_each);
        ::_exit(0);
      }
      children.push_back(pid);
    }
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  } else {
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) threads.emplace_back(WriteRecords, records_each);
    for (std::thread& t : threads) t.join();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  LogRun run;
  ErrorLogReader reader;
  if (reader.Load(path) == ErrorLogReader::LoadResult::kOk) {
    const long written = static_cast<long>(reader.header().sequence);
    run.records_per_second = static_cast<double>(written) / seconds;
    run.dropped = static_cast<long>(writers) * records_each - written;
    run.verified = reader.Verify().problems.empty();
  }
  return run;
}

// ---- The table of figures and targets ------------------------------------------------------------------

class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string name = run.benchmark_name();
      // Per-iteration processor time in microseconds: on a machine shared
      // with other work the wall time says more about the others.
      const double us = run.GetAdjustedCPUTime() *
                        (run.time_unit == benchmark::kMillisecond ? 1000.0
                         : run.time_unit == benchmark::kNanosecond ? 0.001
                                                                   : 1.0);
      times[name] = us;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Us(const std::string& name) const {
    const auto it = times.find(name);
    return it == times.end() ? -1 : it->second;
  }
  std::map<std::string, double> times;
};

void Row(const char* figure, const std::string& measured, const char* target, bool met) {
  std::printf("%-44s %-18s %-22s %s\n", figure, measured.c_str(), target, met ? "met" : "NOT MET");
}

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), format, value);
  return buffer;
}

}  // namespace
}  // namespace zv

int main(int argc, char** argv) {
  using namespace zv;
  benchmark::Initialize(&argc, argv);
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);

  std::printf("\n%-44s %-18s %-22s %s\n", "figure", "measured", "target", "");
  const double control = collector.Us("BM_Response15x64");
  const double vterm = collector.Us("BM_LibvtermSameBytes");
  if (control > 0 && vterm > 0) {
    Row("15x64 response: control vs libvterm",
        Format("%.1fx faster", vterm / control) + Format(" (%.1f us)", control), ">= 4x (aim 6x)",
        vterm / control >= 4);
  }
  if (const double top = collector.Us("BM_Response15x64ScrolledToTop"); top > 0 && control > 0) {
    Row("15x64 response, scrolled to the top", Format("%.1f us", top), "about the same as at the end",
        top < 2 * control);
  }
  if (const double us = collector.Us("BM_TypedCharMappingMissing/repeats:5_median"); us > 0) {
    Row("typed char, 350 lines, mapping missing", Format("%.1f us median", us), "(logs a record)", true);
  }
  if (const double us = collector.Us("BM_TypedCharMappingRegistered/repeats:5_median"); us > 0) {
    Row("typed char, 350 lines, mapping registered", Format("%.1f us median", us), "<= 5 us median", us <= 5);
  }
  if (const double us = collector.Us("BM_FirstMegabyteResponse/iterations:5"); us > 0) {
    Row("first 1 MB response", Format("%.1f ms", us / 1000), "< 50 ms", us < 50'000);
  }
  if (const double us = collector.Us("BM_RepeatedMegabyteResponse/iterations:5"); us > 0) {
    Row("repeated 1 MB response", Format("%.1f ms", us / 1000), "(no target)", true);
  }
  if (const double us = collector.Us("BM_TypedCharAfterMegabyte/repeats:5_median"); us > 0) {
    Row("typed char after a 1 MB response", Format("%.1f us median", us), "(as in 350 lines)", true);
  }
  for (const bool processes : {false, true}) {
    for (const int writers : {1, 4, 8}) {
      const LogRun run = RunLogWriters(writers, processes, writers == 1 ? 20000 : 4000);
      const std::string figure =
          "error log, " + std::to_string(writers) + (processes ? " processes" : " threads");
      if (writers == 1) {
        Row((figure + ": records/s").c_str(), Format("%.0f", run.records_per_second), ">= 20000",
            run.records_per_second >= 20000);
      } else {
        Row((figure + ": records/s").c_str(), Format("%.0f", run.records_per_second), "(no target)", true);
      }
      Row((figure + ": dropped").c_str(), std::to_string(run.dropped), writers == 1 ? "(no target)" : "0",
          writers == 1 || run.dropped == 0);
      Row((figure + ": --verify").c_str(), run.verified ? "consistent" : "INCONSISTENT", "consistent",
          run.verified);
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(Profile(), ignored);
  return 0;
}
