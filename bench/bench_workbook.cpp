// The engine writing a report-sized workbook: a 32000 x 5 table of date-times
// and numbers, saved as the report does (SaveAs of the new workbook, the
// table, then Save).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "input/datetime.h"
#include "spreadsheet/engine.h"

namespace vexa::bench {
namespace {

TextTable climateTable(int rows) {
  TextTable table(rows, 5);
  table.set(1, 1, "Дата/Время");
  table.set(1, 2, "Температура (ºС)");
  table.set(1, 3, "Влажность (%)");
  table.set(1, 4, "Освещённость (Лк)");
  table.set(1, 5, " Напряжение (В)");
  char buffer[32];
  for (int r = 2; r <= rows; ++r) {
    table.set(r, 1, formatDateTime(44197.0 + r / 1440.0));
    std::snprintf(buffer, sizeof buffer, "%d,%02d", 15 + r % 10, r % 100);
    table.set(r, 2, buffer);
    std::snprintf(buffer, sizeof buffer, "%d,%d", 40 + r % 30, r % 10);
    table.set(r, 3, buffer);
    std::snprintf(buffer, sizeof buffer, "%d", (r * 37) % 3000);
    table.set(r, 4, buffer);
    std::snprintf(buffer, sizeof buffer, "3,%03d", 50 - r % 50);
    table.set(r, 5, buffer);
  }
  return table;
}

void BM_Workbook32000x5(benchmark::State& state) {
  const int rows = 32000;
  const TextTable table = climateTable(rows);
  const auto folder = std::filesystem::temp_directory_path();
  const std::string base = (folder / "vexa-bench-workbook").string();
  sheet::Engine engine(sheet::EngineOptions{.deflateLevel = static_cast<int>(state.range(0))});
  for (auto _ : state) {
    const auto app = engine.attach();
    const auto book = app->Workbooks()->Add();
    book->SaveAs(base, xl::xlWorkbookNormal, xl::xlNoChange);
    const auto sheet = app->Sheets(2);
    const auto block = [&](int r1, int c1, int r2, int c2) {
      return sheet->Range(*sheet->Cells(r1, c1), *sheet->Cells(r2, c2));
    };
    block(1, 1, rows, 5)->setHorizontalAlignment(3);
    block(1, 1, 1, 5)->Font()->setBold(true);
    block(1, 1, 1, 5)->setColumnWidth(17);
    block(2, 2, rows, 5)->setNumberFormat("0,000000");
    block(2, 1, rows, 1)->setNumberFormatLocal("ДД/ММ/ГГ Ч:ММ:СС;@");
    const auto range = block(1, 1, rows, 5);
    range->setFormulaR1C1Local(table);
    range->Borders()->setLineStyle(1);
    range->Borders()->setWeight(2);
    book->Save();
    book->Close();
  }
  state.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(base + ".xlsx")) / (1024.0 * 1024.0);
  std::filesystem::remove(base + ".xlsx");
}

BENCHMARK(BM_Workbook32000x5)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vexa::bench

BENCHMARK_MAIN();
