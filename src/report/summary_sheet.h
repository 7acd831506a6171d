// The summary on the workbook's third sheet "Лист3": a formatted table of
// what happened in the report's window, headed by the export's name and the
// window, as numbers and date-times (never formulas); and, when limits are
// set, their lines on the report's chart, drawn from a small table of their
// own below the summary.
#pragma once

#include <string>
#include <vector>

#include "report/automation.h"
#include "report/excel_report.h"
#include "report/report_layouts.h"
#include "report/summary.h"

namespace vexa {

// The rows of the summary table: the heading rows, then one row per figure;
// the limit lines' table two rows below it.
inline constexpr int kSummaryHeadingRow = 5;

// The cells of the third sheet, as texts the spreadsheet reads as a user
// types them (numbers with a decimal comma and every digit, date-times
// "YYYY-MM-DD HH:MM:SS"); with the decimal places each cell's number is
// shown with (-1 for a text or a date-time), for `decimals` value places.
struct SummaryCells {
  TextTable texts{1, 1};
  std::vector<std::vector<int>> shownDecimals;  // [row - 1][column - 1]
  int lastFigureRow = 0;
  int linesRow = 0;  // the limit lines' title, 0 without lines
};
SummaryCells summaryCells(const ReportSummary& summary, int decimals);

// Writes `summary` on the workbook's third sheet of the report that
// `layout` made, with its decimal places, and its limit lines on its chart
// (when it has one), each on its series' value axis.
void writeSummary(const LayoutContext& layout, const ReportSummary& summary);

}  // namespace vexa
