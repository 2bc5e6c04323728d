#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "platform/text_engine.h"

namespace zv::platform {
namespace {

constexpr COLORREF kResponseColor = 0x0000FFFF;
constexpr COLORREF kInputColor = 0x00FFFFFF;

CHARFORMAT2A ColorRecord(COLORREF color) {
  CHARFORMAT2A r;
  r.dwMask = CFM_COLOR;
  r.crTextColor = color;
  return r;
}

// Screen rows of 64 characters, every fourth one broken by the wrap marker.
std::string Rows(int count, char fill) {
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 67);
  for (int i = 0; i < count; ++i) {
    text.append(64, static_cast<char>(fill + i % 20));
    text += i % 4 == 3 ? "\t\r" : "\r\n";
  }
  text += ">";
  return text;
}

void LoadScreen(TextEngine& e, int rows) {
  e.SetClientHeight(16 * 30);
  e.SetSelectionCharFormat(ColorRecord(kResponseColor));
  e.ReplaceSelection(Rows(rows, 'A'));
}

// One typed character in the middle of a row of a full res window, and the
// backspace that takes it out again so that the buffer stays the same.
void BM_TypeCharMiddleOfRow(benchmark::State& state) {
  TextEngine e;
  LoadScreen(e, 350);
  const LONG pos = e.LineStart(175) + 32;
  e.SetSelection(pos, pos);
  for (auto _ : state) {
    e.HandleChar('Q');
    e.HandleKey(VK_BACK, false, false);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_TypeCharMiddleOfRow);

// Overtype: one edit per iteration, the caret put back each time.
void BM_OvertypeCharMiddleOfRow(benchmark::State& state) {
  TextEngine e;
  LoadScreen(e, 350);
  e.SetOvertype(true);
  const LONG pos = e.LineStart(175) + 32;
  for (auto _ : state) {
    e.SetSelection(pos, pos);
    e.HandleChar('Q');
  }
}
BENCHMARK(BM_OvertypeCharMiddleOfRow);

// The res window's own round per key: input format on the caret, the
// caret put back, the character, and the row arithmetic it reads after.
void BM_TypeCharWithInputFormat(benchmark::State& state) {
  TextEngine e;
  LoadScreen(e, 350);
  const LONG pos = e.LineStart(175) + 32;
  e.SetSelection(pos, pos);
  const CHARFORMATA input = [] {
    CHARFORMATA r;
    r.dwMask = CFM_COLOR;
    r.crTextColor = kInputColor;
    return r;
  }();
  LONG sink = 0;
  for (auto _ : state) {
    const CHARRANGE sel = e.Selection();
    e.SetHideSelection(true);
    e.SetSelectionCharFormat(input);
    e.SetSelection(sel);
    e.SetHideSelection(false);
    e.HandleChar('Q');
    sink += e.LineStart(-1) + e.LineLength(-1) + e.LineFromChar(e.Selection().cpMin);
    e.HandleKey(VK_BACK, false, false);
  }
  benchmark::DoNotOptimize(sink);
}
BENCHMARK(BM_TypeCharWithInputFormat);

// Typing alternately on two rows far apart: the pending line shift moves.
void BM_TypeCharAlternatingRows(benchmark::State& state) {
  TextEngine e;
  LoadScreen(e, 350);
  const LONG positions[2] = {e.LineStart(20) + 10, e.LineStart(330) + 10};
  int which = 0;
  for (auto _ : state) {
    e.SetSelection(positions[which], positions[which]);
    e.HandleChar('Q');
    e.HandleKey(VK_BACK, false, false);
    which ^= 1;
  }
}
BENCHMARK(BM_TypeCharAlternatingRows);

// A 15 x 64 response written at the end in the response colour.
void BM_AppendResponseBlock(benchmark::State& state) {
  TextEngine e;
  LoadScreen(e, 250);
  std::string block;
  for (int i = 0; i < 15; ++i) {
    block.append(64, static_cast<char>('a' + i));
    block += "\r\n";
  }
  for (auto _ : state) {
    const LONG end = e.TextLength();
    e.SetSelection(end, end);
    e.SetSelectionCharFormat(ColorRecord(kResponseColor));
    e.SetSelection(end, end);
    e.ReplaceSelection(block);
    if (e.LineCount() > 350) {
      // What the res window does before a response: cut back to 250 lines.
      state.PauseTiming();
      e.SetSelection(0, e.LineStart(e.LineCount() - 250) - 1);
      e.DeleteSelection();
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_AppendResponseBlock);

std::string OneMegabyte() { return Rows((1 << 20) / 66, 'A'); }

void LoadMegabyte(TextEngine& e) {
  static const std::string text = OneMegabyte();
  e.SetSelection(0, -1);
  e.ReplaceSelection(text);
}

void BM_LineFromChar1MB(benchmark::State& state) {
  TextEngine e;
  LoadMegabyte(e);
  std::mt19937 rng(1);
  std::vector<LONG> positions(4096);
  for (LONG& p : positions) p = static_cast<LONG>(rng() % static_cast<unsigned>(e.TextLength()));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(e.LineFromChar(positions[i]));
    i = (i + 1) % positions.size();
  }
  state.counters["lines"] = e.LineCount();
}
BENCHMARK(BM_LineFromChar1MB);

void BM_LineStart1MB(benchmark::State& state) {
  TextEngine e;
  LoadMegabyte(e);
  std::mt19937 rng(2);
  std::vector<LONG> lines(4096);
  for (LONG& l : lines) l = static_cast<LONG>(rng() % static_cast<unsigned>(e.LineCount()));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(e.LineStart(lines[i]));
    i = (i + 1) % lines.size();
  }
}
BENCHMARK(BM_LineStart1MB);

// Replacing the whole text by 1 MB.
void BM_Load1MB(benchmark::State& state) {
  TextEngine e;
  for (auto _ : state) LoadMegabyte(e);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(e.TextLength()));
}
BENCHMARK(BM_Load1MB)->Unit(benchmark::kMillisecond);

void BM_TypeCharIn1MB(benchmark::State& state) {
  TextEngine e;
  LoadMegabyte(e);
  const LONG pos = e.LineStart(e.LineCount() / 2) + 32;
  e.SetSelection(pos, pos);
  for (auto _ : state) {
    e.HandleChar('Q');
    e.HandleKey(VK_BACK, false, false);
  }
}
BENCHMARK(BM_TypeCharIn1MB);

// Reading the format of a select-all over 1 MB with two colours in it.
void BM_SelectAllFormat1MB(benchmark::State& state) {
  TextEngine e;
  LoadMegabyte(e);
  e.SetSelection(1000, 2000);
  e.SetSelectionCharFormat(ColorRecord(kInputColor));
  e.SetSelection(0, -1);
  CHARFORMAT2A r;
  for (auto _ : state) benchmark::DoNotOptimize(e.GetSelectionCharFormat(r));
}
BENCHMARK(BM_SelectAllFormat1MB)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zv::platform
