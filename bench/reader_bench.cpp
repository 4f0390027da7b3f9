// Conversions per second: answered, dropped and corrected reading lines, and the
// whole receive path fed one byte per event.

#include <benchmark/benchmark.h>

#include <string>

#include "reader/line_assembly.h"
#include "reader/reading_conversion.h"

namespace {

using rc::reader::ConvertReading;
using rc::reader::LineAssembler;

// Two different lines in turn, so that the repeat rule never drops them.
const std::string kLines[] = {"  12345,  23456   0\r", "  50000,  12346   3\r"};

void Convert(benchmark::State& state, const std::string* lines, std::size_t count, double angle, const wchar_t* ratio) {
  std::string last_line;
  std::size_t i = 0;
  for (auto _ : state) {
    std::string line = lines[i++ % count];
    auto reply = ConvertReading(line, last_line, angle, ratio).reply;
    benchmark::DoNotOptimize(reply);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ConvertValid(benchmark::State& state) { Convert(state, kLines, 2, 0, L"0,0"); }
BENCHMARK(BM_ConvertValid);

void BM_ConvertCorrected(benchmark::State& state) { Convert(state, kLines, 2, 30, L"2,0.5"); }
BENCHMARK(BM_ConvertCorrected);

void BM_ConvertDroppedStatus(benchmark::State& state) {
  const std::string line = "  12345,  23456   5\r";
  Convert(state, &line, 1, 0, L"0,0");
}
BENCHMARK(BM_ConvertDroppedStatus);

void BM_ConvertDroppedRepeat(benchmark::State& state) { Convert(state, kLines, 1, 0, L"0,0"); }
BENCHMARK(BM_ConvertDroppedRepeat);

void BM_ReceiveByteByByte(benchmark::State& state) {
  LineAssembler assembler;
  std::string last_line;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& sent = kLines[i++ % 2];
    for (char c : sent) {
      if (auto line = assembler.Append(std::string_view(&c, 1))) {
        auto reply = ConvertReading(*line, last_line, 0, L"0,0").reply;
        benchmark::DoNotOptimize(reply);
      }
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReceiveByteByByte);

}  // namespace
