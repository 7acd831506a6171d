// The summary of a report: what happened in its window, series by series,
// as the figures the third sheet and the batch program's --summary-only
// show (input/statistics.h computes them). Built from the report input that
// Start leaves in the session.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "input/session.h"
#include "input/statistics.h"
#include "report/excel_report.h"

namespace vexa {

// The series of a layout by the names the user gives limits under: the
// batch program's series names for the climate family ("temperature",
// "humidity", "battery", "light"), a paired column's heading otherwise.
// For the climate family only the ticked ones, in the table's order.
struct SummarySeries {
  std::string key;
  std::string name;  // as the report's table heads it
  enum class Kind { Measurement, States, Events } kind = Kind::Measurement;
  bool temperature = false;  // its mean kinetic temperature is given
  int box = 0;               // the climate family's box that adds it (2 to 5); 0: none
};

// The key of the series that the climate family's box `box` (CheckBox2 to
// CheckBox5) adds to the report, and whether the box is ticked.
std::string climateSeriesKey(int box);
bool boxTicked(const ReportControls& controls, int box);

// How a figure is shown: a count, a value of the series (the report's
// decimals), a date and time, hours, or a percentage.
enum class FigureKind { Count, Value, DateTime, Hours, Percent };

struct SummaryRow {
  std::string figure;  // "Минимум"
  FigureKind kind = FigureKind::Value;
  std::vector<std::optional<double>> values;  // one per series; none: not given
};

// A limit drawn on the chart: a line across the window at `value`.
struct LimitLine {
  int series = 0;  // index in ReportSummary::series
  bool high = false;
  double value = 0;
  std::string label;  // "Верхний предел: -15"
};

// The figure that says the export was thinned on Open, and by how much: the
// summary, like the table, is of the lines kept.
inline constexpr const char* kThinningFigure = "Коэффициент сжатия";

struct ReportSummary {
  std::string exportName;  // the export's file name
  double windowStart = 0;  // the report's window (motion events: their span)
  double windowEnd = 0;
  int thinning = 1;  // the figures are of every thinning-th line of the export
  std::vector<SummarySeries> series;
  std::vector<SummaryRow> rows;
  std::vector<LimitLine> limitLines;
};

// The series that layout `count` of the export in `session` offers for
// limits: for the climate family the series the layout has, ticked or not;
// for paired columns the columns' headings.
std::vector<SummarySeries> seriesOffered(int count, const Session& session);

// The summary of the report of layout `count` whose table Start built in
// `Arr` (and, for paired columns, in the session's staging array), for the
// window
// [windowStart, windowEnd]; limits by series key (none for a series the
// layout does not have: the caller checks with seriesOffered).
ReportSummary summarize(int count, const TextTable& Arr, const Session& session,
                        const ReportControls& controls, double windowStart, double windowEnd,
                        const std::map<std::string, Limits>& limits);

// "Верхний предел: -15,5": a limit as the chart's legend names it.
std::string limitLabel(bool high, double value);

// A number as the summary writes it for the spreadsheet to read: a decimal
// comma and every digit a double holds.
std::string summaryNumber(double value);

// The summary as tab-separated text, one row per figure: the series, the
// figure and its value (a decimal point, date-times "YYYY-MM-DD HH:MM:SS").
std::string summaryText(const ReportSummary& summary);

}  // namespace vexa
