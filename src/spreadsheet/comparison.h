// The workbook of several tags side by side: the sheet «Сводка» with the
// overview (a row per export) and a chart per quantity (one line per tag
// on a common time axis, the limits' lines where all tags share them), then
// a sheet per export holding its table as its own report has it.
#pragma once

#include <set>
#include <string>
#include <vector>

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
  ComparisonBook();

  // One export: its summary, and the workbook its own report built (the
  // table is copied from it, the chart's series taken as they are; the
  // report's workbook may go once this returns).
  void add(const std::string& fileName, int layout, ReportSummary summary,
           const WorkbookModel& report);

  // The overview as it stands.
  Overview overview() const;

  // The finished workbook: «Сводка» first, the exports' sheets after it.
  const WorkbookModel& finish(const DocumentProperties& properties);

 private:
  // A quantity's chart: its series' key, the name the first export gives
  // it, a line per tag, and the value axis the tags' reports drew it on.
  struct QuantityLines {
    std::string key;
    std::string name;
    std::vector<ChartSeries> lines;
    ChartAxis axis;
  };
  WorkbookModel model_;
  std::set<std::string> taken_;
  std::vector<OverviewExport> exports_;
  std::vector<QuantityLines> quantities_;
  ChartAxis timeAxis_;
  bool timeAxisSet_ = false;
};

}  // namespace vexa::sheet
