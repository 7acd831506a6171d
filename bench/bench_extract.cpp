// Start's extraction: the report input of a thinned export, without the window
// and without the report.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "input/open_export.h"
#include "input/start.h"

namespace vexa::bench {
namespace {

struct NoReport final : ReportBuilder {
  void Excel(int, const TextTable& Arr, double, double, int) override {
    benchmark::DoNotOptimize(Arr.rows());
  }
};

void runExtraction(benchmark::State& state, ExportKind kind, std::size_t lines, int series) {
  SilentWindow quiet;
  Session session;
  openExport(exportFile(kind, lines, series), session, quiet);
  StartChoices choices;
  choices.CheckBox2 = choices.CheckBox3 = choices.CheckBox4 = choices.CheckBox5 = true;
  choices.start = decodeDateTime(session.OsMin1);
  choices.end = decodeDateTime(session.OsMax1);
  NoReport report;
  for (auto _ : state) {
    StartChoices run = choices;
    runStart(session, run, quiet, report);
  }
  state.counters["lines"] = static_cast<double>(session.List.size());
}

void BM_ExtractClimateLight32k(benchmark::State& state) {
  runExtraction(state, ExportKind::ClimateLight, 1'000'000, 0);  // thinned to 31251 lines
}
void BM_ExtractPaired32k8(benchmark::State& state) {
  runExtraction(state, ExportKind::PairedNumeric, 32'000, 8);
}
void BM_ExtractClimate32k(benchmark::State& state) {
  runExtraction(state, ExportKind::Climate, 32'000, 0);
}

BENCHMARK(BM_ExtractClimateLight32k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractPaired32k8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractClimate32k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vexa::bench

BENCHMARK_MAIN();
