#include "report/summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/numbers.h"
#include "input/text.h"
#include "platform/files.h"
#include "report/report_layouts.h"

namespace vexa {

namespace {

std::string trimmed(std::string_view text) {
  return std::string(trimSpaces(text));
}

// A cell's text without its quotes; the text itself (no copy) when it has
// none, as the table's cells mostly do.
std::string_view withoutQuotes(std::string_view text, std::string& scratch) {
  if (text.find('"') == std::string_view::npos) {
    return text;
  }
  scratch = unquote(text);
  return scratch;
}

bool numberOf(std::string_view text, double& value) {
  std::string scratch;
  return tryParseDecimalComma(trimSpaces(withoutQuotes(text, scratch)), value) &&
         std::isfinite(value);
}

// The climate family's boxes in the order of the table's columns.
std::vector<int> climateBoxes(int count) {
  std::vector<int> boxes = {2};
  if (count != kTemperature) {
    boxes.push_back(3);
  }
  if (count == kClimateLight) {
    boxes.push_back(5);
  }
  boxes.push_back(4);
  return boxes;
}

// The report's paired columns hold temperatures when their file's name
// titles the value axis so.
bool pairedTemperatures(const ReportControls& controls) {
  return pairedValueTitle(controls.OpenDialog1FileName) == "Температура (ºС)";
}

// What one series holds in the window.
struct SeriesData {
  SummarySeries series;
  std::vector<Reading> readings;     // measurements
  std::vector<StateReading> states;  // states and events
};

// A cell of the report's table, or nothing beyond it.
std::string_view cellOf(const TextTable& table, int row, int column) {
  return row >= 1 && row <= table.rows() && column >= 1 && column <= table.columns()
             ? table.at(row, column)
             : std::string_view();
}

std::vector<SeriesData> climateData(int count, const TextTable& Arr, const Session& session,
                                    const ReportControls& controls) {
  std::vector<SeriesData> all;
  // Each line's time, read once for all the series (none where it does not
  // read).
  const int last = std::min(session.countsttr, Arr.rows());
  std::vector<std::optional<double>> times;
  times.reserve(static_cast<std::size_t>(std::max(last - 1, 0)));
  std::string scratch;
  for (int r = 2; r <= last; ++r) {
    double time = 0;
    times.push_back(tryParseDateTime(withoutQuotes(cellOf(Arr, r, 1), scratch), time)
                        ? std::optional<double>(time)
                        : std::nullopt);
  }
  int column = 1;
  for (const int box : climateBoxes(count)) {
    if (!boxTicked(controls, box)) {
      continue;
    }
    ++column;
    SeriesData data;
    data.series.key = climateSeriesKey(box);
    data.series.box = box;
    data.series.name = trimmed(cellOf(Arr, 1, column));
    data.series.temperature = data.series.key == std::string("temperature") ||
                              (data.series.key == std::string("humidity") && session.ref == "#");
    data.readings.reserve(times.size());
    for (int r = 2; r <= last; ++r) {
      const std::optional<double>& time = times[static_cast<std::size_t>(r - 2)];
      double value = 0;
      if (time && numberOf(cellOf(Arr, r, column), value)) {
        data.readings.push_back({*time, value});
      }
    }
    all.push_back(std::move(data));
  }
  return all;
}

std::vector<SeriesData> pairedData(int count, const Session& session,
                                   const ReportControls& controls) {
  std::vector<SeriesData> all;
  const bool states = count == kPairedState;
  const bool temperatures = !states && pairedTemperatures(controls);
  const int rows = session.Arr2.rows();
  for (int j = 1; j <= session.datc; ++j) {
    SeriesData data;
    data.series.name = trimmed(cellOf(session.Arr2, 1, 2 * j));
    data.series.key = data.series.name;
    data.series.kind = states ? SummarySeries::Kind::States : SummarySeries::Kind::Measurement;
    data.series.temperature = temperatures;
    for (int r = 2; r <= rows; ++r) {
      const std::string_view stamp = cellOf(session.Arr2, r, 2 * j - 1);
      const std::string_view value = cellOf(session.Arr2, r, 2 * j);
      double time = 0;
      if (stamp.empty() || value.empty() || !tryParseDateTime(stamp, time)) {
        continue;
      }
      double number = 0;
      if (states) {
        data.states.push_back({time, trimmed(value)});
      } else if (numberOf(value, number)) {
        data.readings.push_back({time, number});
      }
    }
    all.push_back(std::move(data));
  }
  return all;
}

std::vector<SeriesData> motionData(const TextTable& Arr, const Session& session) {
  SeriesData data;
  data.series.key = "events";
  data.series.name = "События";
  data.series.kind = SummarySeries::Kind::Events;
  const int rows = std::min(Arr.rows(), static_cast<int>(session.List.size()));
  for (int r = 2; r <= rows; ++r) {
    int seconds = 0;
    try {
      const double day = parseMonthDayYear(unquote(cellOf(Arr, r, 1)));
      if (tryParseTimeOfDay(unquote(cellOf(Arr, r, 2)), seconds)) {
        data.states.push_back({day + seconds / 86400.0, trimmed(cellOf(Arr, r, 3))});
      }
    } catch (const std::exception&) {
      // a line whose date does not read is no event of the summary
    }
  }
  return {data};
}

std::vector<SeriesData> seriesData(int count, const TextTable& Arr, const Session& session,
                                   const ReportControls& controls) {
  switch (count) {
    case kClimate:
    case kTemperature:
    case kClimateLight:
      return climateData(count, Arr, session, controls);
    case kPairedNumeric:
    case kPairedState:
      return pairedData(count, session, controls);
    case kMotionEvents:
      return motionData(Arr, session);
    default:
      return {};
  }
}

// The rows of the summary, filled series by series.
class RowTable {
 public:
  explicit RowTable(std::size_t series) : series_(series) {}
  void set(const std::string& figure, FigureKind kind, std::size_t series,
           std::optional<double> value) {
    auto row = std::find_if(rows_.begin(), rows_.end(),
                            [&](const SummaryRow& r) { return r.figure == figure; });
    if (row == rows_.end()) {
      rows_.push_back({figure, kind, std::vector<std::optional<double>>(series_)});
      row = rows_.end() - 1;
    }
    row->values[series] = value;
  }
  std::vector<SummaryRow> take() { return std::move(rows_); }

 private:
  std::size_t series_;
  std::vector<SummaryRow> rows_;
};

std::optional<double> some(bool given, double value) {
  return given ? std::optional<double>(value) : std::nullopt;
}

void excursionRows(RowTable& rows, std::size_t s, bool high, double limit, const Excursions& e,
                   double windowDays) {
  const std::string side = high ? "Выше верхнего предела" : "Ниже нижнего предела";
  rows.set(high ? "Верхний предел" : "Нижний предел", FigureKind::Value, s, limit);
  rows.set(side + ": выходов", FigureKind::Count, s, e.count);
  rows.set(side + ": всего, ч", FigureKind::Hours, s, hoursOf(e.total));
  rows.set(side + ": дольше всего, ч", FigureKind::Hours, s, hoursOf(e.longest));
  rows.set(side + ": начало первого выхода", FigureKind::DateTime, s, e.firstStart);
  rows.set(side + ": начало самого долгого", FigureKind::DateTime, s, e.longestStart);
  const double windowHours = hoursOf(windowDays);
  rows.set(side + ": доля времени, %", FigureKind::Percent, s,
           e.share && windowHours > 0 ? std::optional<double>(hoursOf(e.total) / windowHours * 100)
                                      : std::nullopt);
}

// The figures of a state, in the words of a door for "Opened" and "Closed".
struct StateWords {
  std::string entries;
  std::string total;
  std::string longest;
  std::string first;
};

StateWords wordsFor(const std::string& state) {
  if (state == "Opened") {
    return {"Открываний", "Открыта всего, ч", "Открыта дольше всего, ч", "Первое открывание"};
  }
  if (state == "Closed") {
    return {"Закрываний", "Закрыта всего, ч", "Закрыта дольше всего, ч", "Первое закрывание"};
  }
  const std::string quoted = "«" + state + "»";
  return {quoted + ": раз", quoted + ": всего, ч", quoted + ": дольше всего, ч",
          quoted + ": впервые"};
}

// A number printed with `format`, its decimal point written as `point`.
std::string numberText(double value, const char* format, char point) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  std::string number = text;
  std::replace(number.begin(), number.end(), '.', point);
  return number;
}

// As few digits as give the number back (limits are typed by hand).
std::string shortNumber(double value, char point) {
  return numberText(value, "%.15g", point);
}

}  // namespace

std::string climateSeriesKey(int box) {
  static constexpr const char* kKeys[] = {"temperature", "humidity", "battery", "light"};
  return box >= 2 && box <= 5 ? kKeys[box - 2] : "";
}

bool boxTicked(const ReportControls& controls, int box) {
  switch (box) {
    case 2:
      return controls.CheckBox2;
    case 3:
      return controls.CheckBox3;
    case 4:
      return controls.CheckBox4;
    case 5:
      return controls.CheckBox5;
    default:
      return false;
  }
}

std::vector<SummarySeries> seriesOffered(int count, const Session& session) {
  std::vector<SummarySeries> offered;
  if (count == kClimate || count == kTemperature || count == kClimateLight) {
    for (const int box : climateBoxes(count)) {
      SummarySeries series;
      series.key = climateSeriesKey(box);
      series.name = series.key;
      series.box = box;
      offered.push_back(series);
    }
    return offered;
  }
  if ((count == kPairedNumeric || count == kPairedState) && !session.List.empty()) {
    // The value headings of the header line, as the report's table heads them.
    walkPairedLine(session.List.front(), CountPos("Time", session.List.front()),
                   [&](int, const PairFields& pair) {
                     SummarySeries series;
                     series.name = trimmed(decimalComma(pairValue(pair)));
                     series.key = series.name;
                     series.kind = count == kPairedState ? SummarySeries::Kind::States
                                                         : SummarySeries::Kind::Measurement;
                     offered.push_back(series);
                   });
  }
  return offered;
}

ReportSummary summarize(int count, const TextTable& Arr, const Session& session,
                        const ReportControls& controls, double windowStart, double windowEnd,
                        const std::map<std::string, Limits>& limits) {
  ReportSummary summary;
  summary.exportName = std::string(platform::fileNameOf(
      controls.OpenDialog1FileName.empty() ? controls.Edit1 : controls.OpenDialog1FileName));
  summary.windowStart = windowStart;
  summary.windowEnd = windowEnd;
  summary.thinning = session.thinning;
  std::vector<SeriesData> data = seriesData(count, Arr, session, controls);
  RowTable rows(data.size());
  const bool charted = count == kClimate || count == kTemperature || count == kClimateLight ||
                       count == kPairedNumeric;
  for (std::size_t s = 0; s < data.size(); ++s) {
    const SummarySeries& series = data[s].series;
    switch (series.kind) {
      case SummarySeries::Kind::Measurement: {
        const auto found = limits.find(series.key);
        const Limits limit = found == limits.end() ? Limits() : found->second;
        const MeasurementStatistics m =
            measure(std::move(data[s].readings), windowStart, windowEnd, series.temperature, limit);
        const bool any = m.readings > 0;
        rows.set("Показаний", FigureKind::Count, s, m.readings);
        rows.set("Первое показание", FigureKind::DateTime, s, some(any, m.first));
        rows.set("Последнее показание", FigureKind::DateTime, s, some(any, m.last));
        rows.set("Минимум", FigureKind::Value, s, some(any, m.minimum));
        rows.set("Время минимума", FigureKind::DateTime, s, some(any, m.minimumAt));
        rows.set("Максимум", FigureKind::Value, s, some(any, m.maximum));
        rows.set("Время максимума", FigureKind::DateTime, s, some(any, m.maximumAt));
        rows.set("Среднее по показаниям", FigureKind::Value, s, some(any, m.mean));
        rows.set("Среднее по времени", FigureKind::Value, s, some(any, m.timeWeightedMean));
        if (series.temperature) {
          rows.set("Средняя кинетическая температура", FigureKind::Value, s, m.kineticMean);
        }
        if (m.below) {
          excursionRows(rows, s, false, *limit.low, *m.below, windowEnd - windowStart);
        }
        if (m.above) {
          excursionRows(rows, s, true, *limit.high, *m.above, windowEnd - windowStart);
        }
        for (const bool high : {false, true}) {
          const std::optional<double>& value = high ? limit.high : limit.low;
          if (value && charted) {
            summary.limitLines.push_back(
                {static_cast<int>(s), high, *value, limitLabel(high, *value)});
          }
        }
        break;
      }
      case SummarySeries::Kind::States: {
        const StateStatistics st = stateStatistics(std::move(data[s].states), windowEnd);
        const bool any = st.readings > 0;
        rows.set("Показаний", FigureKind::Count, s, st.readings);
        rows.set("Первое показание", FigureKind::DateTime, s, some(any, st.first));
        rows.set("Последнее показание", FigureKind::DateTime, s, some(any, st.last));
        for (const StateTime& time : st.states) {
          const StateWords words = wordsFor(time.state);
          rows.set(words.entries, FigureKind::Count, s, time.entries);
          rows.set(words.total, FigureKind::Hours, s, hoursOf(time.total));
          rows.set(words.longest, FigureKind::Hours, s, hoursOf(time.longest));
          rows.set(words.first, FigureKind::DateTime, s, time.firstStart);
        }
        break;
      }
      case SummarySeries::Kind::Events: {
        const EventCounts counts = countEvents(data[s].states);
        const bool any = counts.events > 0;
        rows.set("Событий", FigureKind::Count, s, counts.events);
        rows.set("Первое событие", FigureKind::DateTime, s, some(any, counts.first));
        rows.set("Последнее событие", FigureKind::DateTime, s, some(any, counts.last));
        for (const auto& [type, count] : counts.byType) {
          rows.set("«" + type + "»", FigureKind::Count, s, count);
        }
        if (any) {
          summary.windowStart = counts.first;
          summary.windowEnd = counts.last;
        }
        break;
      }
    }
  }
  for (SeriesData& d : data) {
    summary.series.push_back(std::move(d.series));
  }
  summary.rows = rows.take();
  return summary;
}

std::string limitLabel(bool high, double value) {
  return std::string(high ? "Верхний предел: " : "Нижний предел: ") + shortNumber(value, ',');
}

std::string summaryNumber(double value) {
  return numberText(value, "%.17G", ',');
}

std::string summaryText(const ReportSummary& summary) {
  const auto line = [](std::string& out, const std::string& series, const std::string& figure,
                       const std::string& value) {
    out += series + '\t' + figure + '\t' + value + '\n';
  };
  std::string out;
  line(out, "", "Выгрузка", summary.exportName);
  line(out, "", "Начало интервала", formatDateTime(summary.windowStart));
  line(out, "", "Конец интервала", formatDateTime(summary.windowEnd));
  if (summary.thinning > 1) {
    line(out, "", kThinningFigure, std::to_string(summary.thinning));
  }
  for (std::size_t s = 0; s < summary.series.size(); ++s) {
    for (const SummaryRow& row : summary.rows) {
      if (!row.values[s]) {
        continue;
      }
      const double value = *row.values[s];
      std::string text;
      switch (row.kind) {
        case FigureKind::Count:
          text = std::to_string(static_cast<long long>(std::llround(value)));
          break;
        case FigureKind::DateTime:
          text = formatDateTime(value);
          break;
        default:
          text = shortNumber(value, '.');
      }
      line(out, summary.series[s].name, row.figure, text);
    }
  }
  return out;
}

}  // namespace vexa
