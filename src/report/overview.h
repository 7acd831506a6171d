// Several tags' exports side by side: one row per export with the figures
// of each quantity that its own report's summary gives, and marks on the
// rows that hold the highest maximum and the lowest minimum of a quantity.
#pragma once

#include <string>
#include <vector>

#include "report/summary.h"

namespace vexa {

struct OverviewExport {
  std::string tag;  // the export's file name
  int layout = 0;   // its format code
  ReportSummary summary;
};

struct Overview {
  std::vector<std::string> headings;
  std::vector<std::vector<std::string>> rows;  // one per export, as the summary's text writes
};

// The layout as the overview names it («климат», «парные столбцы», ...).
std::string layoutName(int count);

// The overview of `exports`, in their order. A quantity is a measured
// series of one key (temperature, humidity, a paired column's heading);
// its columns follow in the order the exports first give them.
Overview overviewOf(const std::vector<OverviewExport>& exports);

// What a cell of the overview shows besides its value: the highest maximum
// or the lowest minimum of its quantity, a verdict, or nothing.
enum class OverviewMark { None, HighestMaximum, LowestMinimum, Verdict };
OverviewMark overviewMark(const Overview& overview, std::size_t row, std::size_t column);

// The overview as tab-separated text: the headings, then a line per export.
std::string overviewText(const Overview& overview);

}  // namespace vexa
