// The summary on the workbook's third sheet "Лист3", laid out to be printed,
// filed and signed: the export, its window and SHA-256 at the top; the
// verdict as the first figure, then the figures of each series; the
// excursions and the gaps listed; the journal of the window day by day;
// the sign-off lines. A4 portrait, one page wide, the row labels on every
// page, the export in the header and «Стр. N из M» in the footer. Figures
// are numbers and date-times, never formulas. When limits are set, their
// lines go on the report's chart, drawn from a small table below the
// printed area.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "report/automation.h"
#include "report/excel_report.h"
#include "report/report_layouts.h"
#include "report/summary.h"

namespace vexa {

// How a block of the sheet looks.
struct SheetStyle {
  enum class Format { None, Count, Value, DateTime, Date, Hours };
  int firstRow = 1;
  int firstColumn = 1;
  int lastRow = 1;
  int lastColumn = 1;
  Format format = Format::None;
  bool bold = false;
  bool border = false;
  bool wrap = false;
  bool center = false;
  int fill = -1;  // 0xBBGGRR; -1: none
};

// The cells of the third sheet, as texts the spreadsheet reads as a user
// types them (numbers with a decimal comma and every digit, date-times
// "YYYY-MM-DD HH:MM:SS"); with the decimal places each cell's number is
// shown with (-1 for a text or a date-time), for `decimals` value places;
// and how each block looks.
struct SummaryCells {
  TextTable texts{1, 1};
  std::vector<std::vector<int>> shownDecimals;  // [row - 1][column - 1]
  std::vector<SheetStyle> styles;
  std::map<int, double> rowHeights;  // rows whose labels wrap, in points
  int verdictRow = 0;                // «Итог»
  int printLastRow = 0;              // the printed area: rows 1..this
  int printLastColumn = 0;
  int linesRow = 0;  // the limit lines' title, 0 without lines
};
SummaryCells summaryCells(const ReportSummary& summary, int decimals);

// The fill of a verdict: green, red or grey (0xBBGGRR); -1 for none.
int verdictFill(std::string_view verdict);

// Writes `summary` on the workbook's third sheet of the report that
// `layout` made, with its decimal places, and its limit lines on its chart
// (when it has one), each on its series' value axis.
void writeSummary(const LayoutContext& layout, const ReportSummary& summary);

}  // namespace vexa
