// Start to saved workbook, without the window: extraction, the report
// builder, the engine and both saves, chart included.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_support.h"
#include "input/open_export.h"
#include "input/start.h"
#include "report/excel_report.h"
#include "spreadsheet/engine.h"

namespace vexa::bench {
namespace {

void runReport(benchmark::State& state, ExportKind kind, std::size_t lines, int series) {
  SilentWindow host;
  Session session;
  const std::string path = exportFile(kind, lines, series);
  openExport(path, session, host);
  host.values.Edit1 = path;
  host.values.OpenDialog1FileName = path;
  host.values.CheckBox1 = false;
  host.values.CheckBox2 = host.values.CheckBox3 = host.values.CheckBox4 = true;
  host.values.CheckBox5 = host.values.CheckBox6 = true;
  StartChoices choices;
  choices.CheckBox2 = choices.CheckBox3 = choices.CheckBox4 = choices.CheckBox5 = true;
  choices.start = decodeDateTime(session.OsMin1);
  choices.end = decodeDateTime(session.OsMax1);
  sheet::Engine engine(sheet::EngineOptions{.deflateLevel = static_cast<int>(state.range(0))});
  std::vector<AutomationComponents> owner;
  const CivilDateTime stamp = decodeDateTime(parseDateTime("2021-01-07 15:30:45"));
  ExcelReport report(engine, host, session, owner, [&] { return stamp; });
  for (auto _ : state) {
    StartChoices run = choices;
    runStart(session, run, host, report);
  }
  const std::string saved = path.substr(0, path.rfind('.')) + "-070121_153045.xlsx";
  state.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(saved)) / (1024.0 * 1024.0);
  std::filesystem::remove(saved);
}

void BM_ReportClimateLight32k(benchmark::State& state) {
  runReport(state, ExportKind::ClimateLight, 1'000'000, 0);  // thinned to 31251 lines
}
void BM_ReportPaired32k8(benchmark::State& state) {
  runReport(state, ExportKind::PairedNumeric, 32'000, 8);
}

// Argument: the deflate level.
BENCHMARK(BM_ReportClimateLight32k)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReportPaired32k8)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vexa::bench

BENCHMARK_MAIN();
