#include "input/start.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "input/formats.h"
#include "input/messages.h"
#include "input/numbers.h"
#include "input/text.h"

namespace vexa {

namespace {

// A field as the report writes it: quotes deleted (when asked), the English
// heading replaced by its Russian text, and (when asked) a decimal comma.
// Builds into `out` to spare an allocation per cell.
void cleanField(std::string& out, std::string_view field, bool removeQuotes,
                std::string_view heading, std::string_view russian, bool comma) {
  out.clear();
  for (const char c : field) {
    if (!(removeQuotes && c == '"')) {
      out.push_back(c == '.' && comma ? ',' : c);
    }
  }
  // The replacement texts hold no ".", so replacing after the comma step is
  // the same as replacing before it; headings hold no "." either.
  if (!heading.empty() && out.find(heading) != std::string::npos) {
    out = replaceAll(out, heading, russian);
  }
}

// The time stamp of a climate-family line: "Date/Time" in Russian, every "T"
// a blank, "+03:00" deleted.
void timeStampInto(std::string& out, std::string_view line) {
  const std::string_view field = head(line);
  if (field == "Date/Time") {
    out = "Дата/Время";
    return;
  }
  out.assign(field);
  if (field.find("Date/Time") != std::string_view::npos) {
    out = replaceAll(out, "Date/Time", "Дата/Время");
  }
  std::replace(out.begin(), out.end(), 'T', ' ');
  if (out.find("+03:00") != std::string::npos) {
    out = replaceAll(out, "+03:00", "");
  }
}

void removeQuotes(std::string& text) {
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
}

int ticked(std::initializer_list<bool> boxes) {
  return static_cast<int>(std::count(boxes.begin(), boxes.end(), true));
}

int lineCount(const Session& session) {
  return static_cast<int>(session.List.size());
}

// The fields of a line after its first, one after another: each is the head
// of what is left; the last is the whole rest, not cut at a further comma.
class Fields {
 public:
  explicit Fields(std::string_view line) : rest_(remainder(line)) {}
  std::string_view next() {
    const std::string_view field = head(rest_);
    rest_ = remainder(rest_);
    return field;
  }
  std::string_view last() const { return rest_; }

 private:
  std::string_view rest_;
};

// Writes the measured values of one taken line into the next columns of its
// row: quotes deleted, the heading in Russian, a decimal comma; a value goes
// in only when its series box is ticked.
class MeasurementRow {
 public:
  MeasurementRow(TextTable& table, int row) : table_(table), row_(row) {}
  void add(std::string_view field, std::string_view heading, std::string_view russian,
           bool ticked) {
    cleanField(buffer_, field, true, heading, russian, true);
    if (ticked) {
      table_.set(row_, column_++, buffer_);
    }
  }

 private:
  TextTable& table_;
  int row_;
  int column_ = 2;
  std::string buffer_;
};

// Climate (3) and temperature (9): one row per line in the window.
int extractClimate(Session& session, const StartChoices& choices) {
  const int s = 1 + ticked({choices.CheckBox2, choices.CheckBox3, choices.CheckBox4});
  const int N = lineCount(session);
  const bool twoProbe = session.ref == "#";
  // The temperature layout heads its columns without blanks.
  const bool temperature = session.count == kTemperature;
  session.Arr = TextTable(N, s);
  TextTable& Arr = session.Arr;
  std::string stamp;
  for (int i = 1; i <= N; ++i) {
    const std::string_view line = session.List[static_cast<std::size_t>(i - 1)];
    timeStampInto(stamp, line);
    removeQuotes(stamp);
    if (i > 1) {
      const double dat1 = parseDateTime(stamp);
      if (dat1 < session.OsMin1 || dat1 > session.OsMax1) {
        continue;
      }
    }
    const int r = ++session.countsttr;
    Arr.set(r, 1, stamp);
    Fields fields(line);
    MeasurementRow row(Arr, r);
    row.add(fields.next(), temperature ? "Temperature(C)" : "Temperature (C)",
            twoProbe ? "Температура зонда (°C)" : "Температура (ºС)", choices.CheckBox2);
    row.add(fields.next(), "Moisture (%)", twoProbe ? "Температура корпуса (°C)" : "Влажность (%)",
            choices.CheckBox3);
    row.add(fields.last(), temperature ? "Battery(Volts)" : "Battery (Volts)", "Напряжение (В)",
            choices.CheckBox4);
  }
  return s;
}

// Climate and light (6): the light column comes before the battery column, and
// the time axis takes the first and last line's stamps when they are taken.
int extractClimateLight(Session& session, const StartChoices& choices) {
  const int s =
      1 + ticked({choices.CheckBox2, choices.CheckBox3, choices.CheckBox4, choices.CheckBox5});
  const int N = lineCount(session);
  session.Arr = TextTable(N, s);
  TextTable& Arr = session.Arr;
  std::string stamp;
  for (int i = 1; i <= N; ++i) {
    const std::string_view line = session.List[static_cast<std::size_t>(i - 1)];
    timeStampInto(stamp, line);
    // Read before quotes are deleted: a quoted stamp does not convert.
    if (i > 1) {
      const double dat1 = parseDateTime(stamp);
      if (dat1 < session.OsMin1 || dat1 > session.OsMax1) {
        continue;
      }
    }
    const int r = ++session.countsttr;
    removeQuotes(stamp);
    Arr.set(r, 1, stamp);
    if (i == 2) {
      session.OsMin1 = parseDateTime(stamp);
    }
    if (i == N) {
      session.OsMax1 = parseDateTime(stamp);
    }
    Fields fields(line);
    MeasurementRow row(Arr, r);
    row.add(fields.next(), "Temperature (C)", "Температура (ºС)", choices.CheckBox2);
    row.add(fields.next(), "Moisture (%)", "Влажность (%)", choices.CheckBox3);
    row.add(fields.next(), "Brightness (lux)", "Освещённость (Лк)", choices.CheckBox5);
    // The heading's blank before "Battery(Volts)" goes with it.
    row.add(fields.last(), " Battery(Volts)", "Напряжение (В)", choices.CheckBox4);
  }
  return s;
}

// Motion events (5): every line, as text, five columns.
void extractMotionEvents(Session& session) {
  const int N = lineCount(session);
  session.Arr = TextTable(N, 5);
  TextTable& Arr = session.Arr;
  std::string field;
  for (int i = 1; i <= N; ++i) {
    const std::string_view line = session.List[static_cast<std::size_t>(i - 1)];
    // The heading is translated before the quotes go.
    field = unquote(replaceAll(head(line), "Date", "Дата"));
    Arr.set(i, 1, field);
    if (i == 2) {
      session.OsMin1 = parseMonthDayYear(field);
    }
    if (i == N) {
      session.OsMax1 = parseMonthDayYear(field);
    }
    Fields fields(line);
    cleanField(field, fields.next(), true, "Time", "Время", false);
    Arr.set(i, 2, field);
    cleanField(field, fields.next(), true, "Type", "Тип", false);
    field = replaceAll(field, "Armed", "Включён");
    field = replaceAll(field, "Moved", "Сдвиг");
    field = replaceAll(field, "Disarmed", "Выключен");
    Arr.set(i, 3, field);
    cleanField(field, fields.next(), true, "Duration(seconds)", "Продолжительность (секунд)",
               false);
    Arr.set(i, 4, field);
    cleanField(field, fields.last(), false, "Angle(degrees)", "Угол (градусов)", false);
    Arr.set(i, 5, field);
  }
}

// The progress bar of a run of many steps: the bar counts in int, so a run
// of more steps than that moves it in larger ones; it never goes past its
// maximum, where a progress bar would not move at all.
class Progress {
 public:
  Progress(StartObserver& observer, std::int64_t steps)
      : observer_(observer),
        steps_(std::max<std::int64_t>(steps, 1)),
        scale_(steps_ / kBarSteps + 1) {
    observer_.progressMaximum(bar(steps_));
  }
  void at(std::int64_t step) { observer_.progressPosition(bar(std::min(step, steps_))); }

 private:
  static constexpr std::int64_t kBarSteps = 1'000'000'000;
  int bar(std::int64_t step) const { return static_cast<int>(step / scale_); }
  StartObserver& observer_;
  std::int64_t steps_;
  std::int64_t scale_;
};

// Paired columns (100, 101): spread the pairs in the window over the staging
// array, then move each staging column's cells up into the report array.
void extractPairedColumns(Session& session, const Interval& interval, StartObserver& observer) {
  const int N = lineCount(session);
  const bool numeric = session.count == kPairedNumeric;
  session.OsMin21 = kValueMinStart;
  session.OsMax21 = kValueMaxStart;
  session.countm = 0;
  session.datc = CountPos("Time", session.List.front());
  const int datc = session.datc;
  if (2 * static_cast<std::int64_t>(datc) > kMaxSheetColumns) {
    throw StopWithMessage(tooManyColumnsMessage(2 * static_cast<std::int64_t>(datc)));
  }
  const int columns = 2 * datc;
  Progress progress(observer, N + 2 * static_cast<std::int64_t>(N) * datc);
  std::int64_t position = 1;
  progress.at(position);

  session.Arr2 = TextTable(N, columns);
  TextTable& Arr2 = session.Arr2;
  // Per staging column: how many cells it holds, and its last one.
  std::vector<int> cells(static_cast<std::size_t>(columns) + 1, 0);
  std::vector<std::string_view> lastCell(static_cast<std::size_t>(columns) + 1);
  const auto stage = [&](int i, int k, std::string_view text) {
    if (text.empty()) {
      return;  // an empty cell stays unwritten
    }
    const std::string_view stored = Arr2.arena()->store(text);
    Arr2.setStored(i, k, stored);
    ++cells[static_cast<std::size_t>(k)];
    lastCell[static_cast<std::size_t>(k)] = stored;
    if (static_cast<std::int64_t>(Arr2.written()) > kMaxReportCells) {
      throw StopWithMessage(tooMuchDataMessage(N, columns));
    }
  };

  std::string date;
  std::string time;
  std::string stamp;
  std::string value;
  for (int i = 1; i <= N; ++i) {
    progress.at(++position);
    const std::string_view line = session.List[static_cast<std::size_t>(i - 1)];
    cleanField(date, head(line), false, "Date", "Дата", true);
    // Every pair of a line shares its date: read it once, when first needed.
    bool dateRead = false;
    long long days = 0;
    int k = 1;
    std::string_view str;
    for (int j = 1; j <= datc; ++j) {
      bool taken = true;
      str = j == 1 ? remainder(line) : remainder(str);
      if (str.empty()) {
        // Nothing more on the line: the remaining pairs are all empty.
        session.countm += datc - j + 1;
        break;
      }
      cleanField(time, head(str), false, "Time", "Время", true);
      if (time.empty()) {
        ++session.countm;
      } else {
        stamp = date;
        stamp.push_back(' ');
        stamp.append(time);
        if (i > 1) {
          int seconds = 0;
          if (!dateRead) {
            dateRead = tryParseDate(date, days);
          }
          if (!dateRead || !tryParseTimeOfDay(time, seconds)) {
            throw DateTimeConversionError(stamp);
          }
          const double dat1 = combineDateTime(days, seconds);
          taken = dat1 >= interval.start && dat1 <= interval.end;
        }
        if (taken) {
          stage(i, k, stamp);
        }
      }
      ++k;
      str = remainder(str);
      if (j == datc) {
        cleanField(value, withoutCommas(str), false, {}, {}, true);
      } else {
        cleanField(value, head(str), false, {}, {}, true);
      }
      if (taken) {
        stage(i, k, value);
        if (numeric && i > 1 && !value.empty()) {
          const double v = parseDecimalComma(value);
          session.OsMin21 = std::min(session.OsMin21, v);
          session.OsMax21 = std::max(session.OsMax21, v);
        }
      }
      ++k;
    }
  }

  // Column compaction. Staging column g moves to report column target[g]; a
  // column that kept exactly one cell (in practice its heading alone) is not
  // kept, and the next column is written over it from row 1; a column with
  // no cell at all still moves on. So a report column receives a run of such
  // one-cell columns followed by at most one other: rows from 2 on come from
  // that last column alone, and row 1 from the last of the run that has a cell.
  session.countstt = 1;
  session.coung = 1;
  std::vector<int> target(static_cast<std::size_t>(columns) + 1, 0);
  for (int g = 1; g <= columns; ++g) {
    const int k = cells[static_cast<std::size_t>(g)] + 1;
    target[static_cast<std::size_t>(g)] = session.coung;
    if (k != 2) {
      ++session.coung;
    }
    session.countstt = std::max(session.countstt, k);
  }
  --session.coung;
  // The table the report writes and formats, every cell of it.
  if (static_cast<std::int64_t>(session.countstt) * session.coung > kMaxReportCells) {
    throw StopWithMessage(tooMuchDataMessage(session.countstt, session.coung));
  }

  // The report array shares the staging array's texts; rows are walked in
  // storage order, each over its written cells only.
  session.Arr = TextTable(N, columns, Arr2.arena());
  TextTable& Arr = session.Arr;
  for (int g = 1; g <= columns; ++g) {
    if (cells[static_cast<std::size_t>(g)] == 1) {
      Arr.setStored(1, target[static_cast<std::size_t>(g)], lastCell[static_cast<std::size_t>(g)]);
    }
  }
  std::vector<int> nextRow(static_cast<std::size_t>(columns) + 1, 1);
  for (int i = 1; i <= N; ++i) {
    Arr2.forEachWritten(i, [&](int column, std::string_view text) {
      const auto g = static_cast<std::size_t>(column);
      if (cells[g] >= 2) {
        Arr.setStored(nextRow[g]++, target[g], text);
      }
    });
    if (i % 4096 == 0 || i == N) {
      progress.at(position + static_cast<std::int64_t>(columns) * i);
    }
  }
}

}  // namespace

Interval readInterval(const StartChoices& choices) {
  for (const CivilDateTime* value : {&choices.start, &choices.end}) {
    if (!isValidCivil(*value)) {
      throw DateTimeConversionError(formatDateTime(encodeDateTime(*value)));
    }
  }
  const Interval interval{encodeDateTime(choices.start), encodeDateTime(choices.end)};
  if (interval.start > interval.end) {
    throw StopWithMessage(kBadIntervalMessage, kAttentionCaption);
  }
  return interval;
}

void runStart(Session& session, StartChoices& choices, StartObserver& observer,
              ReportBuilder& builder) {
  const auto takeInterval = [&] {
    const Interval interval = readInterval(choices);
    session.OsMin1 = interval.start;
    session.OsMax1 = interval.end;
    return interval;
  };
  switch (session.count) {
    case kPairedNumeric:
    case kPairedState: {
      observer.progressShown(kProgressTop);
      const Interval interval = takeInterval();
      extractPairedColumns(session, interval, observer);
      builder.Excel(session.count, session.Arr, session.OsMin1, session.OsMax1, 0);
      return;
    }
    case kClimate:
    case kTemperature: {
      if (!choices.CheckBox2 && !choices.CheckBox3 && !choices.CheckBox4) {
        throw StopWithMessage(kNoDataMessage);
      }
      observer.progressShown(kProgressTop);
      session.countsttr = 0;
      takeInterval();
      if (session.count == kTemperature) {
        choices.CheckBox3 = false;
        observer.humidityCleared();
      }
      const int s = extractClimate(session, choices);
      observer.progressPosition(2);
      builder.Excel(session.count, session.Arr, session.OsMin1, session.OsMax1, s);
      return;
    }
    case kClimateLight: {
      observer.progressShown(kProgressTopClimateLight);
      if (!choices.CheckBox2 && !choices.CheckBox3 && !choices.CheckBox4 && !choices.CheckBox5) {
        throw StopWithMessage(kNoDataMessage);
      }
      session.countsttr = 0;
      takeInterval();
      const int s = extractClimateLight(session, choices);
      observer.progressPosition(2);
      builder.Excel(session.count, session.Arr, session.OsMin1, session.OsMax1, s);
      return;
    }
    case kMotionEvents:
      observer.progressShown(kProgressTop);
      extractMotionEvents(session);
      observer.progressPosition(2);
      builder.Excel(session.count, session.Arr, session.OsMin1, session.OsMax1, 5);
      return;
    default:
      throw StopWithMessage(kUnknownFormatMessage);
  }
}

}  // namespace vexa
