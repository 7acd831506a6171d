#include "app/form/preview_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/statistics.h"

namespace vexa::form {

std::string previewNumber(double value) {
  return plot::chartNumber(value);
}

namespace {

const Colour kBand{0, 120, 215, 45};
const Colour kBandEdge{0, 120, 215, 170};
const Colour kReadoutBack{255, 255, 255, 230};

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

// The points of a series thinned to `columns` columns across [first, last]
// (every peak stays in view whatever the number of lines). States are drawn
// as steps; a logarithmic axis takes positive values only.
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
  return plot::thinPoints(points, first, last, columns);
}

bool levelsOf(const PreviewData& data) {
  return data.count == kPairedState || data.count == kMotionEvents;
}

// A file of one moment still gets an hour of axis around it.
std::pair<double, double> axisSpan(const PreviewData& data) {
  const double pad = data.last > data.first ? 0 : 1.0 / 48;
  return {data.first - pad, data.last + pad};
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
  summarize();
  thin();
  layOut();
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
  summarize();
  if (!samePoints) {
    thin();
  }
  layOut();
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
  const double room = std::max(width_ - layout_.plot().left - 4, 100.0);
  for (const StatisticsLine& statistic : statisticsMarked_) {
    for (std::string& line : plot::wrapAt(statistic.text, " · ", room, *measure_, "    ")) {
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
  changed();
}

void PreviewPlot::setSize(double width, double height) {
  if (width == width_ && height == height_) {
    return;
  }
  const double before = width_;
  width_ = width;
  height_ = height;
  // Thinned to the new width when it changed much.
  if (std::abs(width - before) * 10 > std::max(before, 1.0)) {
    thin();
  }
  layOut();
  changed();
}

void PreviewPlot::thin() {
  const auto [first, last] = axisSpan(data_);
  const int columns = std::max(static_cast<int>(width_), 200);
  thinned_.clear();
  for (std::size_t i = 0; i < data_.series.size(); ++i) {
    thinned_.push_back(thinned(data_.series[i], first, last, columns, places_[i].logarithmic));
  }
}

void PreviewPlot::layOut() {
  // The figure: the series shown, coloured by their place among them as the
  // report colours them, each limit a dashed line with the readings beyond
  // it marked; the states' levels name their axis.
  plot::ChartFigure& f = figure_;
  f = plot::ChartFigure();
  const bool levels = levelsOf(data_);
  f.first = data_.first;
  f.last = data_.last;
  int position = 0;
  for (std::size_t i = 0; i < thinned_.size(); ++i) {
    if (!places_[i].shown) {
      continue;
    }
    const int axis = places_[i].axis;
    plot::ValueAxisSettings& settings = f.axes[axis - 1];
    settings.logarithmic = settings.logarithmic || (places_[i].logarithmic && !levels);
    if (levels) {
      settings.levels = data_.levels;
    }
    plot::ChartLine line;
    line.name = trimmed(data_.series[i].name);
    line.points = thinned_[i];
    line.axis = axis;
    line.colour = plot::seriesColour(position++);
    line.dots = data_.count == kMotionEvents;
    const bool numeric = !data_.series[i].states;
    if (numeric) {
      line.markBelow = limits_[i].low;
      line.markAbove = limits_[i].high;
    }
    f.lines.push_back(std::move(line));
    for (const bool high : {false, true}) {
      const std::optional<double>& limit = high ? limits_[i].high : limits_[i].low;
      if (!numeric || !limit) {
        continue;
      }
      plot::ChartLine dashed;
      dashed.points = {{data_.first, *limit}, {data_.last, *limit}};
      dashed.axis = axis;
      dashed.colour = high ? plot::kHighLimit : plot::kLowLimit;
      dashed.width = 2;
      dashed.dashed = true;
      dashed.inLegend = false;
      f.lines.push_back(std::move(dashed));
    }
  }
  // The time labels, and the band's statistics under them, as many lines as
  // leave the plot a third of the height.
  const double line = std::ceil(measure_->lineHeight());
  layout_ = plot::ChartLayout(f, Box{0, 0, width_, height_}, *measure_);
  wrapStatistics();
  const double statistics =
      std::min(static_cast<double>(statisticsLines_.size()) * line, std::max(height_ / 3, 0.0));
  if (statistics > 0) {
    layout_ = plot::ChartLayout(f, Box{0, 0, width_, height_}, *measure_, statistics + 4);
  }
}

double PreviewPlot::xOf(double time) const {
  return layout_.xOf(time);
}

double PreviewPlot::timeAt(double x) const {
  return std::clamp(layout_.timeAt(x), data_.first, data_.last);
}

void PreviewPlot::paintPicture(Canvas& canvas, const Palette& palette) const {
  if (!hasData()) {
    canvas.fill(Box{0, 0, width_, height_}, palette.window);
    return;
  }
  plot::paintChart(canvas, figure_, layout_, palette.window, palette.text);
}

void PreviewPlot::paintOverlay(Canvas& canvas, const Palette& palette) const {
  if (!hasData()) {
    return;
  }
  const Box plot = layout_.plot();
  // The band's statistics under the time labels.
  const double line = std::ceil(canvas.lineHeight());
  double y = plot.bottom() + line + 8 + canvas.ascent();
  for (const StatisticsLine& text : statisticsLines_) {
    if (y > height_) {
      break;
    }
    canvas.fill(Box{0, y - canvas.ascent(), width_, line}, palette.window);
    if (text.mark) {
      canvas.fill(
          Box{plot.left - 2, y - canvas.ascent() - 1, canvas.textWidth(text.text) + 4, line},
          *text.mark);
    }
    canvas.text({plot.left, y}, text.text, palette.text);
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
    const double room = plot.width - 16;
    const std::vector<std::string> lines = plot::wrapAt(readout_, "   ", room, canvas, "");
    double widest = 0;
    for (const std::string& text : lines) {
      widest = std::max(widest, canvas.textWidth(text));
    }
    const Box box{plot.left + 4, plot.top + 4, std::min(widest, room) + 8,
                  std::min(static_cast<double>(lines.size()) * line + 4, plot.height - 8)};
    canvas.clip(box);
    canvas.fill(box, kReadoutBack);
    canvas.frame(box, plot::kFrame);
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
  const Box plot = layout_.plot();
  double left = xOf(band_.first);
  double right = xOf(band_.second);
  if (dragging_) {
    // The band follows the mouse; the pickers take the window when it is let go.
    left = std::min(dragStart_, dragNow_);
    right = std::max(dragStart_, dragNow_);
  }
  left = std::clamp(left, plot.left, plot.right());
  right = std::clamp(right, plot.left, plot.right());
  return Box{left, plot.top, std::max(right - left, 1.0), plot.height};
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
  readoutShown_ = hasData() && x >= plotBox().left && x <= plotBox().right();
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
  if (!hasBand() || !plotBox().contains({x, y})) {
    return false;
  }
  dragging_ = true;
  dragStart_ = dragNow_ = x;
  return true;
}

void PreviewPlot::move(double x) {
  if (dragging_) {
    dragNow_ = std::clamp(x, plotBox().left, plotBox().right());
  }
  showReadout(x);
}

std::optional<std::pair<double, double>> PreviewPlot::release(double x) {
  if (!dragging_) {
    return std::nullopt;
  }
  dragging_ = false;
  x = std::clamp(x, plotBox().left, plotBox().right());
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
