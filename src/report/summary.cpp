#include "report/summary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/text.h"
#include "platform/files.h"
#include "report/report_layouts.h"

namespace vexa {

namespace {

std::string trimmed(std::string_view text) {
  return std::string(trimSpaces(text));
}

// The climate family's boxes in the order of the table's columns, which is
// the order of the line's values too.
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

// A cell of the report's table, or nothing beyond it.
std::string_view cellOf(const TextTable& table, int row, int column) {
  return row >= 1 && row <= table.rows() && column >= 1 && column <= table.columns()
             ? table.at(row, column)
             : std::string_view();
}

// The series a report shows, named as its table heads them.
std::vector<SummarySeries> reportSeries(int count, const TextTable& Arr, const Session& session,
                                        const ReportControls& controls) {
  std::vector<SummarySeries> all;
  if (isClimateFamily(count)) {
    int tableColumn = 1;
    const std::vector<int> boxes = climateBoxes(count);
    for (std::size_t c = 0; c < boxes.size(); ++c) {
      if (!boxTicked(controls, boxes[c])) {
        continue;
      }
      SummarySeries series;
      series.key = climateSeriesKey(boxes[c]);
      series.box = boxes[c];
      series.column = c;
      series.name = trimmed(cellOf(Arr, 1, ++tableColumn));
      series.temperature =
          series.key == "temperature" || (series.key == "humidity" && session.ref == "#");
      all.push_back(std::move(series));
    }
  } else if (isPairedColumns(count)) {
    const bool temperatures = count == kPairedNumeric && pairedTemperatures(controls);
    for (int j = 1; j <= session.datc; ++j) {
      SummarySeries series;
      series.name = trimmed(cellOf(session.Arr2, 1, 2 * j));
      series.key = series.name;
      series.kind =
          count == kPairedState ? SummarySeries::Kind::States : SummarySeries::Kind::Measurement;
      series.temperature = temperatures;
      series.column = static_cast<std::size_t>(j - 1);
      all.push_back(std::move(series));
    }
  } else if (count == kMotionEvents) {
    SummarySeries events;
    events.key = "events";
    events.name = "События";
    events.kind = SummarySeries::Kind::Events;
    all.push_back(std::move(events));
  }
  return all;
}

// The rows of the summary, filled series by series.
class RowTable {
 public:
  explicit RowTable(std::size_t series) : series_(series) {}
  void set(const std::string& figure, FigureKind kind, std::size_t series,
           std::optional<double> value) {
    row(figure, kind).values[series] = value;
  }
  void setText(const std::string& figure, FigureKind kind, std::size_t series, std::string text) {
    row(figure, kind).texts[series] = std::move(text);
  }
  std::vector<SummaryRow> take() { return std::move(rows_); }

 private:
  SummaryRow& row(const std::string& figure, FigureKind kind) {
    auto found = std::find_if(rows_.begin(), rows_.end(),
                              [&](const SummaryRow& r) { return r.figure == figure; });
    if (found == rows_.end()) {
      rows_.push_back({figure, kind, std::vector<std::optional<double>>(series_),
                       std::vector<std::optional<std::string>>(series_)});
      found = rows_.end() - 1;
    }
    return *found;
  }
  std::size_t series_;
  std::vector<SummaryRow> rows_;
};

std::optional<double> some(bool given, double value) {
  return given ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> serialOrNone(const std::optional<Seconds>& time) {
  return time ? std::optional<double>(serialOf(*time)) : std::nullopt;
}

const char* sideText(bool high) {
  return high ? "Выше верхнего предела" : "Ниже нижнего предела";
}

void limitRows(RowTable& rows, std::size_t s, const LimitFigures& limit, Seconds window) {
  const std::string side = sideText(limit.high);
  rows.set(limit.high ? "Верхний предел" : "Нижний предел", FigureKind::Value, s, limit.limit);
  rows.set(side + ": задержка тревоги, мин", FigureKind::Minutes, s,
           limit.rule.delayMinutes.value_or(0));
  rows.setText(side + ": вид тревоги", FigureKind::Text, s,
               std::string(alarmKindText(limit.rule.kind)));
  rows.set(side + ": выходов", FigureKind::Count, s, limit.count);
  rows.set(side + ": всего, ч", FigureKind::Hours, s, hoursOfSeconds(limit.total));
  rows.set(side + ": дольше всего, ч", FigureKind::Hours, s, hoursOfSeconds(limit.longest));
  rows.set(side + ": начало первого выхода", FigureKind::DateTime, s,
           serialOrNone(limit.firstStart));
  rows.set(side + ": начало самого долгого", FigureKind::DateTime, s,
           serialOrNone(limit.longestStart));
  rows.set(side + ": доля времени, %", FigureKind::Percent, s,
           some(window > 0, static_cast<double>(limit.total) / static_cast<double>(window) * 100));
  rows.set(side + ": тревог", FigureKind::Count, s, limit.alarms);
  rows.set(side + ": начало тревоги", FigureKind::DateTime, s, serialOrNone(limit.alarmAt));
  rows.setText(side + ": итог", FigureKind::Verdict, s, std::string(verdictText(limit.verdict)));
}

void measurementRows(RowTable& rows, std::size_t s, const SummarySeries& series,
                     const SeriesFigures& m) {
  const bool any = m.readings > 0;
  rows.set("Показаний", FigureKind::Count, s, m.readings);
  rows.set("Первое показание", FigureKind::DateTime, s, some(any, serialOf(m.first)));
  rows.set("Последнее показание", FigureKind::DateTime, s, some(any, serialOf(m.last)));
  rows.set("Минимум", FigureKind::Value, s, some(any, m.minimum));
  rows.set("Время минимума", FigureKind::DateTime, s, some(any, serialOf(m.minimumAt)));
  rows.set("Максимум", FigureKind::Value, s, some(any, m.maximum));
  rows.set("Время максимума", FigureKind::DateTime, s, some(any, serialOf(m.maximumAt)));
  rows.set("Среднее по показаниям", FigureKind::Value, s, some(any, m.mean));
  rows.set("Среднее по времени", FigureKind::Value, s, some(any, m.timeWeightedMean));
  if (series.temperature) {
    rows.set("Средняя кинетическая температура", FigureKind::Value, s, m.kineticMean);
  }
  rows.set("Порог пропуска, мин", FigureKind::Minutes, s, static_cast<double>(m.threshold) / 60);
  rows.set("Пропусков", FigureKind::Count, s, m.gaps);
  rows.set("Пропуски: всего, ч", FigureKind::Hours, s, hoursOfSeconds(m.gapTotal));
  rows.set("Пропуски: дольше всего, ч", FigureKind::Hours, s, hoursOfSeconds(m.gapLongest));
  rows.set("Пропуски: начало самого долгого", FigureKind::DateTime, s,
           serialOrNone(m.longestGapStart));
  rows.set("Без данных, ч", FigureKind::Hours, s, hoursOfSeconds(m.noData));
  const Seconds window = m.windowEnd - m.windowStart;
  if (m.below) {
    limitRows(rows, s, *m.below, window);
  }
  if (m.above) {
    limitRows(rows, s, *m.above, window);
  }
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

void stateRows(RowTable& rows, std::size_t s, const StateStatistics& st) {
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
}

// The first `count` of the items of every series, in time order.
template <class Item, class Start>
std::vector<Item> firstInTime(std::vector<Item> items, std::size_t count, Start start) {
  std::stable_sort(items.begin(), items.end(),
                   [&](const Item& a, const Item& b) { return start(a) < start(b); });
  if (items.size() > count) {
    items.resize(count);
  }
  return items;
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
  if (isClimateFamily(count)) {
    const std::vector<int> boxes = climateBoxes(count);
    for (std::size_t c = 0; c < boxes.size(); ++c) {
      SummarySeries series;
      series.key = climateSeriesKey(boxes[c]);
      series.name = series.key;
      series.box = boxes[c];
      series.column = c;
      offered.push_back(series);
    }
    return offered;
  }
  if (isPairedColumns(count) && !session.List.empty()) {
    // The value headings of the header line, as the report's table heads them.
    walkPairedLine(session.List.front(), CountPos("Time", session.List.front()),
                   [&](int p, const PairFields& pair) {
                     SummarySeries series;
                     series.name = trimmed(decimalComma(pairValue(pair)));
                     series.key = series.name;
                     series.kind = count == kPairedState ? SummarySeries::Kind::States
                                                         : SummarySeries::Kind::Measurement;
                     series.column = static_cast<std::size_t>(p - 1);
                     offered.push_back(series);
                   });
  }
  return offered;
}

ReportSummary summarize(int count, const TextTable& Arr, const Session& session,
                        const ReportControls& controls, double windowStart, double windowEnd,
                        const std::map<std::string, Limits>& limits) {
  ReportSummary summary = summarizeSeries(session, reportSeries(count, Arr, session, controls),
                                          windowStart, windowEnd, limits, controls.gapMinutes);
  summary.exportName = std::string(platform::fileNameOf(
      controls.OpenDialog1FileName.empty() ? controls.Edit1 : controls.OpenDialog1FileName));
  const bool charted = isClimateFamily(count) || count == kPairedNumeric;
  if (!charted) {
    summary.limitLines.clear();
  }
  return summary;
}

std::vector<std::pair<std::string, long long>> joinFigures(const JoinFacts& joined) {
  if (joined.files == 0) {
    return {};
  }
  return {{"Объединено выгрузок", joined.files},
          {"Отметок времени в нескольких выгрузках", joined.repeatedStamps},
          {"Из них с разными показаниями (взяты из выгрузки, названной позже)",
           joined.differingStamps}};
}

ReportSummary summarizeSeries(const Session& session, std::vector<SummarySeries> series,
                              double windowStart, double windowEnd,
                              const std::map<std::string, Limits>& limits,
                              std::optional<double> gapMinutes, const SummaryDetail& detail) {
  ReportSummary summary;
  summary.sha256 = session.sha256;
  summary.windowStart = windowStart;
  summary.windowEnd = windowEnd;
  summary.thinning = session.thinning;
  summary.joined = session.joined;
  const std::shared_ptr<const ExportReadings> readings =
      session.readings ? session.readings
                       : std::make_shared<const ExportReadings>(readingsOfLines(session.List));
  summary.unreadableLines = static_cast<long long>(readings->unreadableLines);
  const Seconds w0 = secondsOfSerial(windowStart);
  const Seconds w1 = std::max(secondsOfSerial(windowEnd), w0);
  const auto limitsOf = [&](const SummarySeries& s) {
    const auto found = limits.find(s.key);
    return found == limits.end() ? Limits() : found->second;
  };

  // The measured series in one pass over the readings.
  std::vector<SeriesRequest> requests;
  std::vector<std::size_t> requested;
  for (std::size_t s = 0; s < series.size(); ++s) {
    if (series[s].kind == SummarySeries::Kind::Measurement &&
        series[s].column < readings->columns.size()) {
      requests.push_back({series[s].column,
                          limitsOf(series[s]),
                          {series[s].temperature, detail.journal, detail.listed}});
      requested.push_back(s);
    }
  }
  std::vector<SeriesFigures> measured =
      measureColumns(*readings, session.snapshot, requests, w0, w1, gapMinutes);

  RowTable rows(series.size());
  bool anyLimit = false;
  bool alarm = false;
  bool noData = false;
  long long excursionsTotal = 0;
  long long gapsTotal = 0;
  std::vector<ListedExcursion> excursions;
  std::vector<ListedGap> gaps;
  for (std::size_t s = 0; s < series.size(); ++s) {
    const SummarySeries& one = series[s];
    if (one.column >= readings->columns.size() && one.kind != SummarySeries::Kind::Measurement) {
      rows.set(one.kind == SummarySeries::Kind::Events ? "Событий" : "Показаний", FigureKind::Count,
               s, 0);
      continue;
    }
    switch (one.kind) {
      case SummarySeries::Kind::Measurement: {
        // A series the export has no column for has no reading.
        const auto at = std::find(requested.begin(), requested.end(), s);
        SeriesFigures none;
        if (at == requested.end()) {
          none = measureSeries({}, w0, w1, kMinimumGapThreshold, limitsOf(one),
                               {one.temperature, detail.journal, detail.listed});
        }
        SeriesFigures& m = at == requested.end()
                               ? none
                               : measured[static_cast<std::size_t>(at - requested.begin())];
        measurementRows(rows, s, one, m);
        summary.readings += m.readings;
        for (const auto* limit : {&m.below, &m.above}) {
          if (!*limit) {
            continue;
          }
          const LimitFigures& l = **limit;
          anyLimit = true;
          alarm = alarm || l.verdict == Verdict::Alarm;
          noData = noData || l.verdict == Verdict::NoData;
          excursionsTotal += l.count;
          for (const Excursion& x : l.listed) {
            excursions.push_back({s, l.high, l.limit, x});
          }
          summary.limitLines.push_back(
              {static_cast<int>(s), l.high, l.limit, limitLabel(l.high, l.limit)});
        }
        gapsTotal += m.gaps;
        for (const Gap& gap : m.listedGaps) {
          gaps.push_back({s, gap});
        }
        if (detail.journal) {
          if (summary.journalDays.empty()) {
            for (const DayFigures& day : m.days) {
              summary.journalDays.push_back(day.day);
            }
            summary.journalDaysLeftOut = static_cast<long long>(m.daysLeftOut);
          }
          summary.journal.push_back(
              {s, m.below.has_value(), m.above.has_value(), std::move(m.days)});
        }
        break;
      }
      case SummarySeries::Kind::States: {
        const StateStatistics st = stateStatistics(
            stateReadingsOf(*readings, session.snapshot, one.column, w0, w1, false), windowEnd);
        stateRows(rows, s, st);
        summary.readings += st.readings;
        break;
      }
      case SummarySeries::Kind::Events: {
        const EventCounts counts =
            countEvents(stateReadingsOf(*readings, session.snapshot, one.column, w0, w1, true));
        const bool any = counts.events > 0;
        rows.set("Событий", FigureKind::Count, s, counts.events);
        rows.set("Первое событие", FigureKind::DateTime, s, some(any, counts.first));
        rows.set("Последнее событие", FigureKind::DateTime, s, some(any, counts.last));
        for (const auto& [type, number] : counts.byType) {
          rows.set("«" + type + "»", FigureKind::Count, s, number);
        }
        summary.readings += counts.events;
        if (any) {
          summary.windowStart = counts.first;
          summary.windowEnd = counts.last;
        }
        break;
      }
    }
  }
  summary.verdict = !anyLimit ? Verdict::NoLimits
                    : alarm   ? Verdict::Alarm
                    : noData  ? Verdict::NoData
                              : Verdict::Normal;
  summary.excursions = firstInTime(std::move(excursions), detail.listed,
                                   [](const ListedExcursion& x) { return x.excursion.start; });
  summary.excursionsLeftOut = excursionsTotal - static_cast<long long>(summary.excursions.size());
  summary.gaps =
      firstInTime(std::move(gaps), detail.listed, [](const ListedGap& g) { return g.gap.start; });
  summary.gapsLeftOut = gapsTotal - static_cast<long long>(summary.gaps.size());
  summary.series = std::move(series);
  summary.rows = rows.take();
  return summary;
}

const SummaryRow* findRow(const ReportSummary& summary, std::string_view figure) {
  for (const SummaryRow& row : summary.rows) {
    if (row.figure == figure) {
      return &row;
    }
  }
  return nullptr;
}

std::string shortestNumber(double value, char point) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  std::string number(text, result.ptr);
  std::replace(number.begin(), number.end(), '.', point);
  return number;
}

std::string limitLabel(bool high, double value) {
  return std::string(high ? "Верхний предел: " : "Нижний предел: ") + shortestNumber(value, ',');
}

std::string summaryNumber(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.17G", value);
  std::string number = text;
  std::replace(number.begin(), number.end(), '.', ',');
  return number;
}

// The text of one figure's value.
std::string figureText(const SummaryRow& row, std::size_t s) {
  if (row.kind == FigureKind::Verdict || row.kind == FigureKind::Text) {
    return row.texts[s].value_or("");
  }
  const double value = *row.values[s];
  switch (row.kind) {
    case FigureKind::Count:
      return std::to_string(static_cast<long long>(std::llround(value)));
    case FigureKind::DateTime:
      return formatDateTime(value);
    default:
      return shortestNumber(value, '.');
  }
}

bool given(const SummaryRow& row, std::size_t s) {
  return row.kind == FigureKind::Verdict || row.kind == FigureKind::Text
             ? row.texts[s].has_value()
             : row.values[s].has_value();
}

namespace {

std::string hoursText(Seconds seconds) {
  return shortestNumber(std::round(hoursOfSeconds(seconds) * 100) / 100, '.');
}

}  // namespace

std::string summaryText(const ReportSummary& summary) {
  std::string out;
  const auto line = [&out](std::initializer_list<std::string> fields) {
    bool first = true;
    for (const std::string& field : fields) {
      out += (first ? "" : "\t") + field;
      first = false;
    }
    out += '\n';
  };
  line({"", "Итог", std::string(verdictText(summary.verdict))});
  line({"", "Выгрузка", summary.exportName});
  if (!summary.sha256.empty()) {
    line({"", "SHA-256 выгрузки", summary.sha256});
  }
  line({"", "Начало интервала", formatDateTime(summary.windowStart)});
  line({"", "Конец интервала", formatDateTime(summary.windowEnd)});
  line({"", "Показаний в сводке", std::to_string(summary.readings)});
  if (summary.thinning > 1) {
    line({"", kThinningFigure, std::to_string(summary.thinning)});
  }
  if (summary.unreadableLines > 0) {
    line({"", "Строк без читаемого времени", std::to_string(summary.unreadableLines)});
  }
  for (const auto& [figure, value] : joinFigures(summary.joined)) {
    line({"", figure, std::to_string(value)});
  }
  for (std::size_t s = 0; s < summary.series.size(); ++s) {
    for (const SummaryRow& row : summary.rows) {
      if (given(row, s)) {
        line({summary.series[s].name, row.figure, figureText(row, s)});
      }
    }
  }
  if (!summary.excursions.empty()) {
    out += '\n';
    line({"Выходы за пределы"});
    line({"Ряд", "Предел", "Начало", "Конец", "Длительность, ч", "Экстремум", "Тревога"});
    for (const ListedExcursion& x : summary.excursions) {
      line({summary.series[x.series].name, limitLabel(x.high, x.limit),
            formatDateTime(serialOf(x.excursion.start)), formatDateTime(serialOf(x.excursion.end)),
            hoursText(x.excursion.end - x.excursion.start), shortestNumber(x.excursion.extreme),
            x.excursion.alarm ? "да" : "нет"});
    }
    if (summary.excursionsLeftOut > 0) {
      line({"… и ещё выходов: " + std::to_string(summary.excursionsLeftOut)});
    }
  }
  if (!summary.gaps.empty()) {
    out += '\n';
    line({"Пропуски"});
    line({"Ряд", "Начало", "Конец", "Длительность, ч"});
    for (const ListedGap& g : summary.gaps) {
      line({summary.series[g.series].name, formatDateTime(serialOf(g.gap.start)),
            formatDateTime(serialOf(g.gap.end)), hoursText(g.gap.end - g.gap.start)});
    }
    if (summary.gapsLeftOut > 0) {
      line({"… и ещё пропусков: " + std::to_string(summary.gapsLeftOut)});
    }
  }
  if (!summary.journal.empty()) {
    out += '\n';
    line({"Журнал по дням"});
    line({"Дата", "Ряд", "Показаний", "Минимум", "Максимум", "Среднее", "Ниже нижнего, ч",
          "Выше верхнего, ч", "Выходов", "Тревог", "Без данных, ч"});
    for (std::size_t d = 0; d < summary.journalDays.size(); ++d) {
      const std::string date =
          formatDateTime(serialOf(summary.journalDays[d] * kSecondsPerDay)).substr(0, 10);
      for (const JournalSeries& j : summary.journal) {
        const DayFigures& day = j.days[d];
        const bool any = day.readings > 0;
        line({date, summary.series[j.series].name, std::to_string(day.readings),
              any ? shortestNumber(day.minimum) : "", any ? shortestNumber(day.maximum) : "",
              any ? shortestNumber(dayMean(day)) : "", j.low ? hoursText(day.beyond[0]) : "",
              j.high ? hoursText(day.beyond[1]) : "",
              j.low || j.high ? std::to_string(day.excursions[0] + day.excursions[1]) : "",
              j.low || j.high ? std::to_string(day.alarms[0] + day.alarms[1]) : "",
              hoursText(day.noData)});
      }
    }
    if (summary.journalDaysLeftOut > 0) {
      line({"… и ещё дней: " + std::to_string(summary.journalDaysLeftOut)});
    }
  }
  return out;
}

}  // namespace vexa
