#include "app/form/preview_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/statistics.h"
#include "input/text.h"
#include "spreadsheet/chart_writer.h"

namespace vexa::form {

Colour colourOf(std::string_view hex) {
  const auto part = [&](std::size_t at) {
    int value = 0;
    for (std::size_t i = at; i < at + 2 && i < hex.size(); ++i) {
      const char c = hex[i];
      value = value * 16 + (c >= '0' && c <= '9'   ? c - '0'
                            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                   : 0);
    }
    return static_cast<std::uint8_t>(value);
  };
  return {part(0), part(2), part(4), 255};
}

std::string previewNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return decimalComma(text);
}

namespace {

const Colour kBand{0, 120, 215, 45};
const Colour kBandEdge{0, 120, 215, 170};
const Colour kGrid{226, 226, 226};
const Colour kFrame{160, 160, 160};
const Colour kWhite{255, 255, 255};
const Colour kReadoutBack{255, 255, 255, 230};
const Colour kHighLimit{192, 0, 0};  // as the report's chart draws the limits
const Colour kLowLimit{0, 112, 192};

// The font's measures before a view gives its own: about Tahoma 8 pt.
class PlainMeasure final : public TextMeasure {
 public:
  double textWidth(std::string_view text) const override {
    double width = 0;
    for (std::size_t i = 0; i < text.size();
         i += std::max<std::size_t>(utf8SequenceAt(text, i), 1)) {
      width += 6;
    }
    return width;
  }
  double lineHeight() const override { return 13; }
  double ascent() const override { return 11; }
};

const PlainMeasure kPlainMeasure;

std::string trimmed(std::string text) {
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string twoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// The points of a series thinned to `columns` columns across [first, last]:
// in each column its first, lowest, highest and last point, so that every
// peak stays in view whatever the number of lines. States are drawn as steps;
// a logarithmic axis takes positive values only.
std::vector<Point> thinned(const PreviewSeries& series, double first, double last, int columns,
                           bool logarithmic) {
  std::vector<Point> points;
  points.reserve(series.time.size() * (series.states ? 2 : 1));
  for (std::size_t i = 0; i < series.time.size(); ++i) {
    if (logarithmic && series.value[i] <= 0) {
      continue;
    }
    if (series.states && !points.empty()) {
      points.push_back({series.time[i], points.back().y});
    }
    points.push_back({series.time[i], series.value[i]});
  }
  const double span = std::max(last - first, 1e-9);
  const auto column = [&](const Point& point) {
    return static_cast<int>((point.x - first) / span * columns);
  };
  std::vector<Point> out;
  out.reserve(std::min<std::size_t>(points.size(), 4 * static_cast<std::size_t>(columns)));
  std::size_t start = 0;
  while (start < points.size()) {
    const int here = column(points[start]);
    std::size_t end = start;
    std::size_t low = start;
    std::size_t high = start;
    while (end < points.size() && column(points[end]) == here) {
      low = points[end].y < points[low].y ? end : low;
      high = points[end].y > points[high].y ? end : high;
      ++end;
    }
    for (const std::size_t i : {start, std::min(low, high), std::max(low, high), end - 1}) {
      if (out.empty() || out.back() != points[i]) {
        out.push_back(points[i]);
      }
    }
    start = end;
  }
  return out;
}

// Steps of a value axis: 1, 2 or 5 times a power of ten, about `ticks` of
// them across the range.
double niceStep(double range, int ticks) {
  const double raw = range / std::max(ticks, 1);
  const double power = std::pow(10, std::floor(std::log10(raw)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (raw <= factor * power) {
      return factor * power;
    }
  }
  return 10 * power;
}

// Steps of the time axis, in days.
constexpr double kTimeSteps[] = {1.0 / 86400, 5.0 / 86400, 10.0 / 86400, 30.0 / 86400,
                                 1.0 / 1440,  2.0 / 1440,  5.0 / 1440,   10.0 / 1440,
                                 15.0 / 1440, 30.0 / 1440, 1.0 / 24,     2.0 / 24,
                                 3.0 / 24,    6.0 / 24,    12.0 / 24,    1,
                                 2,           7,           14,           30,
                                 61,          91,          182,          365};

std::string timeLabel(double serial, double step) {
  const CivilDateTime at = decodeDateTime(serial);
  const std::string day = twoDigits(at.day) + '.' + twoDigits(at.month);
  if (step >= 1) {
    return day + '.' + twoDigits(at.year % 100);
  }
  const std::string clock = twoDigits(at.hour) + ':' + twoDigits(at.minute);
  if (step < 1.0 / 1440) {
    return clock + ':' + twoDigits(at.second);
  }
  return day + ' ' + clock;
}

bool levelsOf(const PreviewData& data) {
  return data.count == kPairedState || data.count == kMotionEvents;
}

// `text` broken at its separators into lines no wider than `room` (a piece
// wider than that alone keeps its line); the lines after the first begin
// with `indent`.
std::vector<std::string> wrapAt(const std::string& text, std::string_view separator, double room,
                                const TextMeasure& measure, std::string_view indent) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t found = text.find(separator, from);
    const std::size_t end = found == std::string::npos ? text.size() : found;
    const std::string piece = text.substr(from, end - from);
    std::string joined = line.empty() ? piece : line;
    if (!line.empty()) {
      joined.append(separator).append(piece);
    }
    if (!line.empty() && measure.textWidth(joined) > room) {
      lines.push_back(std::move(line));
      line = std::string(indent) + piece;
    } else {
      line = std::move(joined);
    }
    from = found == std::string::npos ? text.size() : found + separator.size();
  }
  lines.push_back(std::move(line));
  return lines;
}

}  // namespace

PreviewPlot::PreviewPlot() : measure_(&kPlainMeasure) {}

void PreviewPlot::setData(PreviewData data) {
  data_ = std::move(data);
  // Every series in time order, for the values under the mouse.
  for (PreviewSeries& series : data_.series) {
    if (!std::is_sorted(series.time.begin(), series.time.end())) {
      std::vector<std::size_t> order(series.time.size());
      std::iota(order.begin(), order.end(), std::size_t{0});
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return series.time[a] < series.time[b];
      });
      PreviewSeries sorted = series;
      for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.time[i] = series.time[order[i]];
        sorted.value[i] = series.value[order[i]];
      }
      series = std::move(sorted);
    }
  }
  places_.assign(data_.series.size(), SeriesPlace{true, 1, false});
  limits_.assign(data_.series.size(), Limits());
  band_ = {data_.first, data_.last};
  readoutShown_ = false;
  dragging_ = false;
  arrange();
  summarize();
  layOut();
  thin();
  changed();
}

void PreviewPlot::clear() {
  setData(PreviewData());
}

void PreviewPlot::setPlaces(std::vector<SeriesPlace> places) {
  if (places.size() != data_.series.size() || places == places_) {
    return;
  }
  // A logarithmic scale drops the values below zero from a series' points.
  bool samePoints = true;
  for (std::size_t i = 0; i < places.size(); ++i) {
    samePoints = samePoints && places[i].logarithmic == places_[i].logarithmic;
  }
  places_ = std::move(places);
  arrange();
  summarize();
  layOut();
  if (!samePoints) {
    thin();
  }
  changed();
}

void PreviewPlot::setBand(double start, double end) {
  band_ = {std::min(start, end), std::max(start, end)};
  const std::size_t lines = statisticsLines_.size();
  summarize();
  wrapStatistics();
  if (statisticsLines_.size() != lines) {
    layOut();  // the statistics take more or fewer lines
    changed();
  }
}

void PreviewPlot::wrapStatistics() {
  // Each line broken between its figures where it is wider than the
  // preview; what follows is indented and keeps the line's mark.
  statisticsLines_.clear();
  const double room = std::max(width_ - plot_.left - 4, 100.0);
  for (const StatisticsLine& statistic : statisticsMarked_) {
    for (std::string& line : wrapAt(statistic.text, " · ", room, *measure_, "    ")) {
      statisticsLines_.push_back({std::move(line), statistic.mark});
    }
  }
}

void PreviewPlot::setBandStatistics(BandStatistics statistics) {
  bandStatistics_ = std::move(statistics);
  refreshStatistics();
}

void PreviewPlot::refreshStatistics() {
  const std::size_t lines = statisticsLines_.size();
  summarize();
  wrapStatistics();
  if (statisticsLines_.size() != lines) {
    layOut();
  }
  changed();
}

bool PreviewPlot::hasBand() const {
  return hasData() && data_.count != kMotionEvents;
}

void PreviewPlot::setLimits(std::vector<Limits> limits) {
  if (limits.size() != data_.series.size() || limits == limits_) {
    return;
  }
  limits_ = std::move(limits);
  arrange();
  summarize();
  layOut();
  changed();
}

void PreviewPlot::summarize() {
  statisticsMarked_.clear();
  if (hasData() && bandStatistics_) {
    statisticsMarked_ = bandStatistics_(band_.first, band_.second);
  }
  statistics_.clear();
  for (const StatisticsLine& line : statisticsMarked_) {
    statistics_.push_back(line.text);
  }
}

void PreviewPlot::setMeasure(const TextMeasure* measure) {
  measure_ = measure != nullptr ? measure : &kPlainMeasure;
  layOut();
  thin();
  changed();
}

void PreviewPlot::setSize(double width, double height) {
  if (width == width_ && height == height_) {
    return;
  }
  width_ = width;
  height_ = height;
  const double before = plot_.width;
  layOut();
  // Thinned to the new width when it changed much.
  if (std::abs(plot_.width - before) * 10 > std::max(before, 1.0)) {
    thin();
  }
  changed();
}

std::pair<double, double> PreviewPlot::axisSpan() const {
  // A file of one moment still gets an hour of axis around it.
  const double pad = data_.last > data_.first ? 0 : 1.0 / 48;
  return {data_.first - pad, data_.last + pad};
}

void PreviewPlot::thin() {
  const auto [first, last] = axisSpan();
  const int columns = std::max(static_cast<int>(plot_.width), 200);
  thinned_.clear();
  for (std::size_t i = 0; i < data_.series.size(); ++i) {
    thinned_.push_back(thinned(data_.series[i], first, last, columns, places_[i].logarithmic));
  }
}

void PreviewPlot::arrange() {
  const bool levels = levelsOf(data_);
  for (int a = 0; a < 2; ++a) {
    ValueAxis& axis = axes_[a];
    axis = ValueAxis();
    double low = INFINITY;
    double high = -INFINITY;
    for (std::size_t i = 0; i < places_.size(); ++i) {
      if (!places_[i].shown || places_[i].axis != a + 1) {
        continue;
      }
      axis.used = true;
      axis.logarithmic = places_[i].logarithmic && !levels;
      for (const double value : data_.series[i].value) {
        if (!axis.logarithmic || value > 0) {
          low = std::min(low, value);
          high = std::max(high, value);
        }
      }
      // The limits' lines in view too.
      for (const std::optional<double>& limit : {limits_[i].low, limits_[i].high}) {
        if (limit && (!axis.logarithmic || *limit > 0) && !levels) {
          low = std::min(low, *limit);
          high = std::max(high, *limit);
        }
      }
    }
    if (!axis.used) {
      continue;
    }
    if (levels) {
      axis.low = -0.5;
      axis.high = std::max<double>(static_cast<double>(data_.levels.size()), 1) - 0.5;
    } else if (axis.logarithmic) {
      if (!(low > 0)) {
        low = 1;
        high = 10;
      }
      axis.low = std::pow(10, std::floor(std::log10(low)));
      axis.high = std::pow(10, std::ceil(std::log10(std::max(high, low * 10))));
    } else {
      if (!(low <= high)) {
        low = 0;
        high = 1;
      }
      const double pad = high > low ? (high - low) * 0.05 : 1;
      const double step = niceStep(high - low + 2 * pad, 5);
      axis.low = std::floor((low - pad) / step) * step;
      axis.high = std::ceil((high + pad) / step) * step;
    }
  }
}

double PreviewPlot::yOf(double value, const ValueAxis& axis) const {
  double share = 0;
  if (axis.logarithmic) {
    share =
        (std::log10(value) - std::log10(axis.low)) / (std::log10(axis.high) - std::log10(axis.low));
  } else {
    share = (value - axis.low) / (axis.high - axis.low);
  }
  return plot_.bottom() - share * plot_.height;
}

double PreviewPlot::xOf(double time) const {
  const auto [first, last] = axisSpan();
  return plot_.left + (time - first) / (last - first) * plot_.width;
}

double PreviewPlot::timeAt(double x) const {
  const auto [first, last] = axisSpan();
  const double share = plot_.width > 0 ? (x - plot_.left) / plot_.width : 0;
  return std::clamp(first + share * (last - first), data_.first, data_.last);
}

void PreviewPlot::layOut() {
  const TextMeasure& metrics = *measure_;
  const auto labelsWidth = [&](const ValueAxis& axis) {
    if (!axis.used) {
      return 0.0;
    }
    double widest = 0;
    if (levelsOf(data_)) {
      for (const std::string& level : data_.levels) {
        widest = std::max(widest, std::ceil(metrics.textWidth(level)));
      }
    } else {
      for (const double value : {axis.low, axis.high, (axis.low + axis.high) / 2}) {
        widest = std::max(widest, std::ceil(metrics.textWidth(previewNumber(value))) + 6);
      }
    }
    return widest + 8;
  };
  const double line = std::ceil(metrics.lineHeight());
  const double left = std::max(labelsWidth(axes_[0]), 24.0);
  const double right = std::max(labelsWidth(axes_[1]), 30.0);
  // The legend above the plot, a name for every series shown: a name that
  // does not fit on the line begins the next one.
  legend_.clear();
  double legendX = left;
  int row = 0;
  for (std::size_t i = 0; i < places_.size(); ++i) {
    if (!places_[i].shown) {
      continue;
    }
    const double entryWidth = 18 + metrics.textWidth(trimmed(data_.series[i].name));
    if (legendX > left && legendX + entryWidth > width_) {
      ++row;
      legendX = left;
    }
    legend_.push_back({i, legendX, row});
    legendX += entryWidth + 14;
  }
  const double legend = (row + 1) * line + 6;
  // The time labels, and the band's statistics under them, as many lines as
  // leave the plot a third of the height.
  wrapStatistics();
  const double statistics =
      std::min(static_cast<double>(statisticsLines_.size()) * line, std::max(height_ / 3, 0.0));
  const double bottom = line + 8 + (statistics > 0 ? statistics + 4 : 0);
  plot_ = Box{left, legend, std::max(width_ - left - right, 10.0),
              std::max(height_ - legend - bottom, 10.0)};
}

void PreviewPlot::paintPicture(Canvas& canvas, const Palette& palette) const {
  canvas.fill(Box{0, 0, width_, height_}, palette.window);
  if (!hasData()) {
    return;
  }
  canvas.fill(plot_, kWhite);

  // The time axis: about one label per hundred pixels, on round times.
  const auto [first, last] = axisSpan();
  const double span = last - first;
  double step = kTimeSteps[std::size(kTimeSteps) - 1];
  for (const double candidate : kTimeSteps) {
    if (span / candidate <= plot_.width / 100) {
      step = candidate;
      break;
    }
  }
  const double ascent = canvas.ascent();
  for (double tick = std::ceil(first / step) * step; tick <= last; tick += step) {
    const double x = xOf(tick);
    canvas.line({x, plot_.top}, {x, plot_.bottom()}, kGrid, 1);
    const std::string label = timeLabel(tick, step);
    const double half = canvas.textWidth(label) / 2.0;
    canvas.text(
        {std::clamp(x - half, 0.0, std::max(width_ - 2 * half, 0.0)), plot_.bottom() + ascent + 4},
        label, palette.text);
  }

  // The value axes: their ticks, the left one's grid.
  const bool levels = levelsOf(data_);
  for (int a = 0; a < 2; ++a) {
    const ValueAxis& axis = axes_[a];
    if (!axis.used) {
      continue;
    }
    std::vector<std::pair<double, std::string>> ticks;
    if (levels) {
      for (std::size_t level = 0; level < data_.levels.size(); ++level) {
        ticks.emplace_back(static_cast<double>(level), data_.levels[level]);
      }
    } else if (axis.logarithmic) {
      for (double tick = axis.low; tick <= axis.high * 1.0001; tick *= 10) {
        ticks.emplace_back(tick, previewNumber(tick));
      }
    } else {
      const double valueStep =
          niceStep(axis.high - axis.low, std::max(2, static_cast<int>(plot_.height / 28)));
      for (double tick = std::ceil(axis.low / valueStep) * valueStep;
           tick <= axis.high + valueStep * 1e-9; tick += valueStep) {
        const double value = std::abs(tick) < valueStep * 1e-9 ? 0.0 : tick;
        ticks.emplace_back(value, previewNumber(value));
      }
    }
    for (const auto& [value, label] : ticks) {
      const double y = yOf(value, axis);
      if (a == 0) {
        canvas.line({plot_.left, y}, {plot_.right(), y}, kGrid, 1);
      }
      const double baseline = y + ascent / 2.0 - 1;
      if (a == 0) {
        canvas.text({plot_.left - 4 - canvas.textWidth(label), baseline}, label, palette.text);
      } else {
        canvas.text({plot_.right() + 4, baseline}, label, palette.text);
      }
    }
  }
  canvas.frame(plot_, kFrame);

  // The series, coloured by their place among those shown, as the report
  // colours them; the legend above.
  canvas.clip(Box{plot_.left, plot_.top, plot_.width + 1, plot_.height + 1});
  int position = 0;
  std::vector<Point> line;
  for (std::size_t i = 0; i < thinned_.size(); ++i) {
    if (!places_[i].shown) {
      continue;
    }
    const Colour colour = colourOf(sheet::seriesColour(position++));
    const ValueAxis& axis = axes_[places_[i].axis - 1];
    line.clear();
    line.reserve(thinned_[i].size());
    for (const Point& point : thinned_[i]) {
      line.push_back({xOf(point.x), yOf(point.y, axis)});
    }
    if (data_.count == kMotionEvents) {
      canvas.dots(line, 3, colour);
    } else {
      canvas.polyline(line, colour);
    }
  }
  // Each limit a dashed line; the readings beyond it marked.
  for (std::size_t i = 0; i < thinned_.size(); ++i) {
    if (!places_[i].shown || data_.series[i].states) {
      continue;
    }
    const ValueAxis& axis = axes_[places_[i].axis - 1];
    for (const bool high : {false, true}) {
      const std::optional<double>& limit = high ? limits_[i].high : limits_[i].low;
      if (!limit || (axis.logarithmic && *limit <= 0)) {
        continue;
      }
      const Colour colour = high ? kHighLimit : kLowLimit;
      const double y = yOf(*limit, axis);
      for (double x = plot_.left; x < plot_.right(); x += 10) {
        canvas.line({x, y}, {std::min(x + 6, plot_.right()), y}, colour, 2);
      }
      std::vector<Point> beyond;
      for (const Point& point : thinned_[i]) {
        if (high ? point.y > *limit : point.y < *limit) {
          beyond.push_back({xOf(point.x), yOf(point.y, axis)});
        }
      }
      canvas.dots(beyond, 2, colour);
    }
  }
  canvas.endClip();
  const double lineHeight = std::ceil(canvas.lineHeight());
  for (std::size_t entry = 0; entry < legend_.size(); ++entry) {
    const LegendEntry& at = legend_[entry];
    const Colour colour = colourOf(sheet::seriesColour(static_cast<int>(entry)));
    const double y = at.row * lineHeight + lineHeight / 2.0 + 3;
    canvas.line({at.left, y}, {at.left + 14, y}, colour, 2);
    canvas.text({at.left + 18, y + ascent / 2.0 - 1}, trimmed(data_.series[at.series].name),
                palette.text);
  }
}

void PreviewPlot::paintOverlay(Canvas& canvas, const Palette& palette) const {
  if (!hasData()) {
    return;
  }
  // The band's statistics under the time labels.
  const double line = std::ceil(canvas.lineHeight());
  double y = plot_.bottom() + line + 8 + canvas.ascent();
  for (const StatisticsLine& text : statisticsLines_) {
    if (y > height_) {
      break;
    }
    canvas.fill(Box{0, y - canvas.ascent(), width_, line}, palette.window);
    if (text.mark) {
      canvas.fill(
          Box{plot_.left - 2, y - canvas.ascent() - 1, canvas.textWidth(text.text) + 4, line},
          *text.mark);
    }
    canvas.text({plot_.left, y}, text.text, palette.text);
    y += line;
  }
  const Box band = bandBox();
  if (!band.empty()) {
    canvas.fill(band, kBand);
    canvas.frame(band, kBandEdge);
  }
  if (readoutShown_) {
    // The time and the values in the plot's corner, broken between the
    // series where the plot is narrower than them, and kept inside it.
    const double room = plot_.width - 16;
    const std::vector<std::string> lines = wrapAt(readout_, "   ", room, canvas, "");
    double widest = 0;
    for (const std::string& text : lines) {
      widest = std::max(widest, canvas.textWidth(text));
    }
    const Box box{plot_.left + 4, plot_.top + 4, std::min(widest, room) + 8,
                  std::min(static_cast<double>(lines.size()) * line + 4, plot_.height - 8)};
    canvas.clip(box);
    canvas.fill(box, kReadoutBack);
    canvas.frame(box, kFrame);
    double baseline = box.top + 2 + canvas.ascent();
    for (const std::string& text : lines) {
      canvas.text({box.left + 4, baseline}, text, palette.text);
      baseline += line;
    }
    canvas.endClip();
  }
}

Box PreviewPlot::bandBox() const {
  if (!hasBand()) {
    return {};
  }
  double left = xOf(band_.first);
  double right = xOf(band_.second);
  if (dragging_) {
    // The band follows the mouse; the pickers take the window when it is let go.
    left = std::min(dragStart_, dragNow_);
    right = std::max(dragStart_, dragNow_);
  }
  left = std::clamp(left, plot_.left, plot_.right());
  right = std::clamp(right, plot_.left, plot_.right());
  return Box{left, plot_.top, std::max(right - left, 1.0), plot_.height};
}

std::string PreviewPlot::readout() const {
  return readoutShown_ ? readout_ : std::string();
}

int PreviewPlot::drawnSeries() const {
  return static_cast<int>(std::count_if(places_.begin(), places_.end(),
                                        [](const SeriesPlace& place) { return place.shown; }));
}

int PreviewPlot::drawnPoints() const {
  int points = 0;
  for (std::size_t i = 0; i < thinned_.size(); ++i) {
    points += places_[i].shown ? static_cast<int>(thinned_[i].size()) : 0;
  }
  return points;
}

void PreviewPlot::showReadout(double x) {
  readoutShown_ = hasData() && x >= plot_.left && x <= plot_.right();
  if (!readoutShown_) {
    return;
  }
  const double time = nearestStamp(data_, timeAt(x));
  const CivilDateTime at = decodeDateTime(time);
  readout_ = twoDigits(at.day) + '.' + twoDigits(at.month) + '.' + std::to_string(at.year) + ' ' +
             twoDigits(at.hour) + ':' + twoDigits(at.minute) + ':' + twoDigits(at.second);
  for (std::size_t i = 0; i < data_.series.size(); ++i) {
    const PreviewSeries& series = data_.series[i];
    if (!places_[i].shown || series.time.empty()) {
      continue;
    }
    // The series' own point nearest to that time.
    auto after = std::lower_bound(series.time.begin(), series.time.end(), time);
    if (after == series.time.end() ||
        (after != series.time.begin() && time - *(after - 1) < *after - time)) {
      --after;
    }
    const double value = series.value[static_cast<std::size_t>(after - series.time.begin())];
    const bool level =
        series.states && value >= 0 && value < static_cast<double>(data_.levels.size());
    readout_ += "   " + trimmed(series.name) + ": " +
                (level ? data_.levels[static_cast<std::size_t>(value)] : previewNumber(value));
  }
}

bool PreviewPlot::press(double x, double y) {
  if (!hasBand() || !plot_.contains({x, y})) {
    return false;
  }
  dragging_ = true;
  dragStart_ = dragNow_ = x;
  return true;
}

void PreviewPlot::move(double x) {
  if (dragging_) {
    dragNow_ = std::clamp(x, plot_.left, plot_.right());
  }
  showReadout(x);
}

std::optional<std::pair<double, double>> PreviewPlot::release(double x) {
  if (!dragging_) {
    return std::nullopt;
  }
  dragging_ = false;
  x = std::clamp(x, plot_.left, plot_.right());
  if (std::abs(x - dragStart_) < 3) {
    return std::nullopt;  // a click, not a drag
  }
  return std::make_pair(nearestStamp(data_, timeAt(std::min(x, dragStart_))),
                        nearestStamp(data_, timeAt(std::max(x, dragStart_))));
}

std::optional<std::pair<double, double>> PreviewPlot::doubleClick() {
  if (!hasBand()) {
    return std::nullopt;
  }
  dragging_ = false;
  return std::make_pair(data_.first, data_.last);
}

void PreviewPlot::leave() {
  readoutShown_ = false;
}

}  // namespace vexa::form
