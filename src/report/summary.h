// The summary of a report: the answer to "was it within limits, and if not,
// when and for how long", worked out from every reading of the export in
// the window (input/statistics.h), as the third sheet, the batch program's
// --summary-only and the window's band statistics show it: a verdict, the
// figures of each series, the excursions and the gaps listed, and a
// journal of the window day by day.
#pragma once

#include <cstddef>
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
  std::size_t column = 0;    // its column of the export's readings
};

// The key of the series that the climate family's box `box` (CheckBox2 to
// CheckBox5) adds to the report, and whether the box is ticked.
std::string climateSeriesKey(int box);
bool boxTicked(const ReportControls& controls, int box);

// How a figure is shown: a count, a value of the series (the report's
// decimals), a date and time, hours, minutes, a percentage, a verdict, or a
// text.
enum class FigureKind { Count, Value, DateTime, Hours, Minutes, Percent, Verdict, Text };

struct SummaryRow {
  std::string figure;  // "Минимум"
  FigureKind kind = FigureKind::Value;
  std::vector<std::optional<double>> values;      // one per series; none: not given
  std::vector<std::optional<std::string>> texts;  // Verdict and Text rows
};

// A limit drawn on the chart: a line across the window at `value`.
struct LimitLine {
  int series = 0;  // index in ReportSummary::series
  bool high = false;
  double value = 0;
  std::string label;  // "Верхний предел: -15"
};

// An excursion or a gap of one series, as the lists give them.
struct ListedExcursion {
  std::size_t series = 0;
  bool high = false;
  double limit = 0;
  Excursion excursion;
};
struct ListedGap {
  std::size_t series = 0;
  Gap gap;
};

// The journal's figures of one series: one entry per day of the window.
struct JournalSeries {
  std::size_t series = 0;
  bool low = false;  // a limit on that side is set
  bool high = false;
  std::vector<DayFigures> days;
};

// The figure that says the export's table was thinned on Open, and by how
// much; the summary itself is of every reading.
inline constexpr const char* kThinningFigure = "Коэффициент сжатия таблицы";

// The figures of a joined export, as the summary names them; none for one
// export.
std::vector<std::pair<std::string, long long>> joinFigures(const JoinFacts& joined);

struct ReportSummary {
  std::string exportName;  // the export's file name
  std::string sha256;      // of the export's bytes
  double windowStart = 0;  // the report's window (motion events: their span)
  double windowEnd = 0;
  int thinning = 1;               // the table and the chart show every thinning-th line
  long long readings = 0;         // every reading the figures cover
  long long unreadableLines = 0;  // lines whose time stamp does not read
  JoinFacts joined;               // the downloads a joined export holds
  Verdict verdict = Verdict::NoLimits;
  std::vector<SummarySeries> series;
  std::vector<SummaryRow> rows;
  std::vector<LimitLine> limitLines;
  std::vector<ListedExcursion> excursions;  // the first kListedItems in time order
  long long excursionsLeftOut = 0;
  std::vector<ListedGap> gaps;
  long long gapsLeftOut = 0;
  std::vector<long long> journalDays;  // the days of the window, as dayOf() counts them
  std::vector<JournalSeries> journal;  // measured series only
  long long journalDaysLeftOut = 0;
};

// How much of the summary to work out: the window's band statistics need
// the figures only.
struct SummaryDetail {
  bool journal = true;
  std::size_t listed = kListedItems;
};

// The series that layout `count` of the export in `session` offers for
// limits: for the climate family the series the layout has, ticked or not;
// for paired columns the columns' headings.
std::vector<SummarySeries> seriesOffered(int count, const Session& session);

// The summary of the report of layout `count` whose table Start built in
// `Arr` (and, for paired columns, in the session's staging array), which
// name the series, for the window [windowStart, windowEnd]; limits by
// series key (none for a series the layout does not have: the caller
// checks with seriesOffered). The gap threshold is the controls' own.
ReportSummary summarize(int count, const TextTable& Arr, const Session& session,
                        const ReportControls& controls, double windowStart, double windowEnd,
                        const std::map<std::string, Limits>& limits);

// The summary of `series` of the export in `session` (their names and
// columns given) for a window, from every reading.
ReportSummary summarizeSeries(const Session& session, std::vector<SummarySeries> series,
                              double windowStart, double windowEnd,
                              const std::map<std::string, Limits>& limits,
                              std::optional<double> gapMinutes, const SummaryDetail& detail = {});

// The row of a figure, or null.
const SummaryRow* findRow(const ReportSummary& summary, std::string_view figure);

// "Верхний предел: -15,5": a limit as the chart's legend names it.
std::string limitLabel(bool high, double value);

// A number as the summary writes it for the spreadsheet to read: a decimal
// comma and every digit a double holds.
std::string summaryNumber(double value);

// The shortest text that reads back as the same number, with a decimal
// point or comma.
std::string shortestNumber(double value, char point = '.');

// Whether `row` gives a value for series `s`, and its text as the summary's
// text shows it (a decimal point, date-times "YYYY-MM-DD HH:MM:SS").
bool given(const SummaryRow& row, std::size_t s);
std::string figureText(const SummaryRow& row, std::size_t s);

// The summary as tab-separated text: first the verdict («Итог»), then one
// row per figure: the series, the figure and its value (a decimal point,
// date-times "YYYY-MM-DD HH:MM:SS"); then, after a blank line each, the
// excursions, the gaps and the journal as tables with a heading line.
std::string summaryText(const ReportSummary& summary);

}  // namespace vexa
