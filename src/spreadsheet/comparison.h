// The workbook of several tags side by side: the sheet «Сводка» with the
// overview (a row per export) and a chart per quantity (one line per tag
// on a common time axis, the limits' lines where all tags share them), then
// a sheet per export holding its table as its own report has it.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "plot/chart.h"
#include "report/excel_report.h"
#include "report/overview.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

inline constexpr const char* kOverviewSheet = "Сводка";

// A sheet name from a file name: its stem, without the characters a sheet
// name cannot hold, at most 31 characters, and distinct (whatever the case)
// from the names in `taken`, which it joins.
std::string sheetNameFor(const std::string& fileName, std::set<std::string>& taken);

class ComparisonBook {
 public:
  // With `figures`, each export's own chart is kept as the plot draws it
  // (for the comparison's PDF).
  explicit ComparisonBook(bool figures = false);

  // One export, the `order`-th of the comparison (the order of its files):
  // its summary, and the workbook its own report built (the table is
  // copied from it, the chart's lines taken as they are; the report's
  // workbook may go once this returns). Exports may be added from several
  // threads, in any order.
  void add(std::size_t order, const std::string& fileName, int layout, ReportSummary summary,
           const WorkbookModel& report);

  // The finished workbook: «Сводка» first, the exports' sheets after it, in
  // their order, each named after its file.
  const WorkbookModel& finish(const DocumentProperties& properties);

  // Once finished: the exports in their order with their summaries, the
  // overview of «Сводка», and each export's own chart (when kept).
  const std::vector<OverviewExport>& exports() const { return exports_; }
  const Overview& overview() const { return overview_; }
  const std::vector<std::optional<plot::ChartFigure>>& figures() const { return figures_; }

 private:
  // A line of an export's chart: its quantity (the series' key and name),
  // the value axis its report drew it on, and the line.
  struct Line {
    std::string key;
    std::string name;
    ChartAxis axis;
    ChartSeries series;
  };
  struct Added {
    std::size_t order = 0;
    std::string fileName;
    std::shared_ptr<SheetModel> sheet;
    std::vector<Line> lines;
    std::optional<ChartAxis> time;
    OverviewExport overview;
    std::optional<plot::ChartFigure> figure;
  };
  // A quantity's chart: a line per tag, on the first tag's value axis
  // widened to every tag's bounds.
  struct QuantityLines {
    std::string key;
    std::string name;
    std::vector<ChartSeries> lines;
    ChartAxis axis;
  };
  std::mutex lock_;
  bool keepFigures_;
  WorkbookModel model_;
  std::vector<Added> added_;
  std::vector<OverviewExport> exports_;
  Overview overview_;
  std::vector<std::optional<plot::ChartFigure>> figures_;
};

// The report of one export for a comparison: its workbook built as the
// report builds it, in memory and never saved; `taker` gets it with the
// summary, and takes the table and the chart's lines into the comparison.
class ComparedReport final : public ReportBuilder {
 public:
  using Taker = std::function<void(const WorkbookModel& report, ReportSummary summary)>;
  ComparedReport(xl::AutomationServer& server, const Session& session, ReportHost& host,
                 Taker taker)
      : server_(server), session_(session), host_(host), taker_(std::move(taker)) {}
  void Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) override;
  bool done = false;

 private:
  xl::AutomationServer& server_;
  const Session& session_;
  ReportHost& host_;
  Taker taker_;
};

// The comparison's workbook name: «Сравнение-ddmmyy_hhmmss» in `folder`.
std::string comparisonBaseName(const std::string& folder, const CivilDateTime& now);

}  // namespace vexa::sheet
