#include "input/preview.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/text.h"

namespace vexa {

namespace {

// A measured value as the export writes it ("21.41"), or NaN.
double numberOf(std::string_view field) {
  while (!field.empty() && (field.front() == ' ' || field.front() == '"')) {
    field.remove_prefix(1);
  }
  while (!field.empty() && (field.back() == ' ' || field.back() == '"')) {
    field.remove_suffix(1);
  }
  double value = NAN;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size() && std::isfinite(value) ? value
                                                                                            : NAN;
}

void add(PreviewSeries& series, double time, double value) {
  if (std::isfinite(value)) {
    series.time.push_back(time);
    series.value.push_back(value);
  }
}

// The level of a state, new states taking the next one.
double levelOf(std::vector<std::string>& levels, const std::string& state) {
  const auto found = std::find(levels.begin(), levels.end(), state);
  if (found != levels.end()) {
    return static_cast<double>(found - levels.begin());
  }
  levels.push_back(state);
  return static_cast<double>(levels.size() - 1);
}

void climateSeries(const Session& session, PreviewData& data) {
  const bool probes = session.ref == "#";
  // The value columns of each layout, in the order of the line, with the
  // box that adds each and its heading in the report.
  struct Column {
    int box;
    const char* name;
  };
  std::vector<Column> columns;
  const Column temperature{2, probes ? "Температура зонда (°C)" : "Температура (ºС)"};
  const Column humidity{3, probes ? "Температура корпуса (°C)" : "Влажность (%)"};
  const Column battery{4, "Напряжение (В)"};
  switch (session.count) {
    case kClimate:
      columns = {temperature, humidity, battery};
      break;
    case kTemperature:
      columns = {temperature, battery};
      break;
    default:
      columns = {temperature, humidity, {5, "Освещённость (Лк)"}, battery};
  }
  for (const Column& column : columns) {
    data.series.push_back({column.name, column.box, false, {}, {}});
  }
  for (std::size_t i = 1; i < session.List.size(); ++i) {
    const std::string_view line = session.List[i];
    double time = 0;
    if (!tryParseDateTime(normaliseTimeStamp(line), time)) {
      continue;
    }
    data.stamps.push_back(time);
    std::string_view rest = remainder(line);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const bool last = c + 1 == columns.size();
      add(data.series[c], time, numberOf(last ? rest : head(rest)));
      rest = remainder(rest);
    }
  }
}

void pairedSeries(const Session& session, PreviewData& data) {
  const bool states = session.count == kPairedState;
  // The series' names: the value headings of the header line.
  walkPairedLine(session.List.front(), session.datc, [&](int, const PairFields& pair) {
    std::string name = pairValue(pair);
    name.erase(0, name.find_first_not_of(' '));
    data.series.push_back({name, 0, states, {}, {}});
  });
  data.series.resize(static_cast<std::size_t>(std::max(session.datc, 0)));
  std::string stamp;
  for (std::size_t i = 1; i < session.List.size(); ++i) {
    const std::string_view line = session.List[i];
    const std::string_view date = head(line);
    walkPairedLine(line, session.datc, [&](int p, const PairFields& pair) {
      if (pair.time.empty()) {
        return;
      }
      stamp.assign(date);
      stamp.push_back(' ');
      stamp.append(pair.time);
      double time = 0;
      if (!tryParseDateTime(stamp, time)) {
        return;
      }
      data.stamps.push_back(time);
      PreviewSeries& series = data.series[static_cast<std::size_t>(p - 1)];
      const std::string value = pairValue(pair);
      if (states) {
        if (!value.empty()) {
          add(series, time, levelOf(data.levels, value));
        }
      } else {
        add(series, time, numberOf(value));
      }
    });
  }
}

void motionSeries(const Session& session, PreviewData& data) {
  PreviewSeries events{"События", 0, true, {}, {}};
  data.levels = {"Выключен", "Включён", "Сдвиг"};
  for (std::size_t i = 1; i < session.List.size(); ++i) {
    const std::string_view line = session.List[i];
    double day = 0;
    int seconds = 0;
    try {
      day = parseMonthDayYear(unquote(head(line)));
    } catch (const std::exception&) {
      continue;
    }
    const std::string_view rest = remainder(line);
    if (!tryParseTimeOfDay(unquote(head(rest)), seconds)) {
      continue;
    }
    const double time = day + seconds / 86400.0;
    std::string type = unquote(head(remainder(rest)));
    replaceAllIn(type, "Disarmed", "Выключен");
    replaceAllIn(type, "Armed", "Включён");
    replaceAllIn(type, "Moved", "Сдвиг");
    data.stamps.push_back(time);
    add(events, time, levelOf(data.levels, type));
  }
  data.series.push_back(std::move(events));
}

}  // namespace

PreviewData previewOf(const Session& session) {
  PreviewData data;
  data.count = session.count;
  if (session.List.empty()) {
    return data;
  }
  switch (session.count) {
    case kClimate:
    case kTemperature:
    case kClimateLight:
      climateSeries(session, data);
      break;
    case kPairedNumeric:
    case kPairedState:
      pairedSeries(session, data);
      break;
    case kMotionEvents:
      motionSeries(session, data);
      break;
    default:
      return data;
  }
  std::sort(data.stamps.begin(), data.stamps.end());
  data.stamps.erase(std::unique(data.stamps.begin(), data.stamps.end()), data.stamps.end());
  if (!data.stamps.empty()) {
    data.first = data.stamps.front();
    data.last = data.stamps.back();
  }
  return data;
}

std::vector<SeriesPlace> placesOf(const PreviewData& data, const PreviewBoxes& boxes) {
  std::vector<SeriesPlace> places(data.series.size());
  const auto ticked = [&](int box) {
    switch (box) {
      case 2:
        return boxes.CheckBox2;
      case 3:
        return boxes.CheckBox3;
      case 4:
        return boxes.CheckBox4;
      case 5:
        return boxes.CheckBox5;
      default:
        return true;
    }
  };
  int shown = 0;
  int lastShown = -1;
  int light = -1;
  for (std::size_t i = 0; i < places.size(); ++i) {
    places[i].shown = ticked(data.series[i].box);
    if (places[i].shown) {
      ++shown;
      lastShown = static_cast<int>(i);
      if (data.series[i].box == 5) {
        light = static_cast<int>(i);
      }
    }
  }
  switch (data.count) {
    case kPairedNumeric:
      for (SeriesPlace& place : places) {
        place.logarithmic = boxes.CheckBox7;
      }
      break;
    case kClimate:
    case kTemperature:
    case kClimateLight:
      if (light >= 0 && shown > 1) {
        // Light beside other series goes to the secondary axis.
        places[static_cast<std::size_t>(light)].axis = 2;
        places[static_cast<std::size_t>(light)].logarithmic = boxes.CheckBox6;
      } else if (light >= 0) {
        places[static_cast<std::size_t>(light)].logarithmic = boxes.CheckBox6;
      } else if (shown > 1) {
        // The last of the series shown goes to the secondary axis.
        places[static_cast<std::size_t>(lastShown)].axis = 2;
      }
      break;
    default:
      break;
  }
  return places;
}

double nearestStamp(const PreviewData& data, double time) {
  if (data.stamps.empty()) {
    return time;
  }
  const auto after = std::lower_bound(data.stamps.begin(), data.stamps.end(), time);
  if (after == data.stamps.begin()) {
    return *after;
  }
  if (after == data.stamps.end()) {
    return data.stamps.back();
  }
  const double before = *(after - 1);
  return time - before <= *after - time ? before : *after;
}

}  // namespace vexa
