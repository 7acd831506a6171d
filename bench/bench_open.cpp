// Open: read, decode, recognise, thin and scan an export.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "input/open_export.h"

namespace vexa::bench {
namespace {

void runOpen(benchmark::State& state, ExportKind kind, std::size_t lines, int series) {
  const std::string path = exportFile(kind, lines, series);
  SilentWindow observer;
  for (auto _ : state) {
    Session session;
    openExport(path, session, observer);
    benchmark::DoNotOptimize(session.List.data());
  }
  state.counters["peak_MB"] = peakMegabytesOf({VEXA_OPEN_PROBE, path});
}

void BM_OpenClimate1M(benchmark::State& state) {
  runOpen(state, ExportKind::Climate, 1'000'000, 0);
}
void BM_OpenClimateLight1M(benchmark::State& state) {
  runOpen(state, ExportKind::ClimateLight, 1'000'000, 0);
}
void BM_OpenPaired200k4(benchmark::State& state) {
  runOpen(state, ExportKind::PairedNumeric, 200'000, 4);
}
void BM_OpenClimate32k(benchmark::State& state) {
  runOpen(state, ExportKind::Climate, 32'000, 0);
}

BENCHMARK(BM_OpenClimate1M)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenClimateLight1M)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenPaired200k4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenClimate32k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vexa::bench

BENCHMARK_MAIN();
