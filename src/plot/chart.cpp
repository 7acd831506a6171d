#include "plot/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "input/datetime.h"
#include "input/text.h"
#include "plot/palette.h"

namespace vexa::plot {

namespace {

std::string twoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// Steps of the time axis, in days: whole seconds, minutes, hours and days.
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

// A time step's ticks on whole units of local time: serials count days from
// midnight, so multiples of an hour or a day fall on whole hours and days.
// The step is the least that leaves each label `room` pixels.
double timeStep(double span, double width, double room) {
  for (const double candidate : kTimeSteps) {
    if (span / candidate <= width / room) {
      return candidate;
    }
  }
  return kTimeSteps[std::size(kTimeSteps) - 1];
}

// The ticks of a value axis and their labels.
std::vector<std::pair<double, std::string>> valueTicks(const ValueAxisSettings& settings,
                                                       double low, double high, double height) {
  std::vector<std::pair<double, std::string>> ticks;
  if (!settings.levels.empty()) {
    for (std::size_t level = 0; level < settings.levels.size(); ++level) {
      ticks.emplace_back(static_cast<double>(level), settings.levels[level]);
    }
  } else if (settings.logarithmic) {
    for (double tick = low; tick <= high * 1.0001; tick *= 10) {
      ticks.emplace_back(tick, chartNumber(tick, settings.decimals));
    }
  } else {
    const double step = niceStep(high - low, std::max(2, static_cast<int>(height / 28)));
    for (double tick = std::ceil(low / step) * step; tick <= high + step * 1e-9; tick += step) {
      const double value = std::abs(tick) < step * 1e-9 ? 0.0 : tick;
      ticks.emplace_back(value, chartNumber(value, settings.decimals));
    }
  }
  return ticks;
}

// The dashes of a horizontal line from x0 to x1 at y: six on, four off.
void dashed(Canvas& canvas, double x0, double x1, double y, Colour colour, double width) {
  for (double x = x0; x < x1; x += 10) {
    canvas.line({x, y}, {std::min(x + 6, x1), y}, colour, width);
  }
}

}  // namespace

std::string chartNumber(double value, int decimals) {
  char text[48];
  if (decimals >= 0) {
    std::snprintf(text, sizeof text, "%.*f", std::min(decimals, 12), value);
  } else {
    std::snprintf(text, sizeof text, "%.6g", value);
  }
  std::string shown = decimalComma(text);
  if (shown.size() > 1 && shown[0] == '-' &&
      shown.find_first_not_of("0,", 1) == std::string::npos) {
    shown.erase(0, 1);  // "-0,00" reads as zero
  }
  return shown;
}

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

std::vector<Point> thinPoints(const std::vector<Point>& points, double first, double last,
                              int columns) {
  const double span = std::max(last - first, 1e-9);
  const auto column = [&](const Point& point) {
    return static_cast<long long>(std::floor((point.x - first) / span * columns));
  };
  std::vector<Point> out;
  out.reserve(std::min<std::size_t>(points.size(), 4 * static_cast<std::size_t>(columns) + 4));
  std::size_t start = 0;
  while (start < points.size()) {
    const long long here = column(points[start]);
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

ChartLayout::ChartLayout(const ChartFigure& figure, Box area, const TextMeasure& measure,
                         double below)
    : area_(area) {
  // A file of one moment still gets an hour of axis around it.
  const double pad = figure.last > figure.first ? 0 : 1.0 / 48;
  first_ = figure.first - pad;
  last_ = figure.last + pad;

  // The value axes: the range of their lines, or the ends given.
  for (int a = 0; a < 2; ++a) {
    const ValueAxisSettings& settings = figure.axes[a];
    Axis& axis = axes_[a];
    double low = INFINITY;
    double high = -INFINITY;
    for (const ChartLine& line : figure.lines) {
      if (line.axis != a + 1) {
        continue;
      }
      axis.used = true;
      for (const Point& point : line.points) {
        if (!settings.logarithmic || point.y > 0) {
          low = std::min(low, point.y);
          high = std::max(high, point.y);
        }
      }
    }
    axis.used = axis.used || !settings.title.empty();
    axis.logarithmic = settings.logarithmic && settings.levels.empty();
    if (!settings.levels.empty()) {
      axis.low = -0.5;
      axis.high = std::max<double>(static_cast<double>(settings.levels.size()), 1) - 0.5;
    } else if (axis.logarithmic) {
      if (!(low > 0)) {
        low = 1;
        high = 10;
      }
      axis.low = std::pow(10, std::floor(std::log10(settings.minimum.value_or(low))));
      axis.high = std::pow(
          10, std::ceil(std::log10(settings.maximum.value_or(std::max(high, axis.low * 10)))));
    } else {
      if (!(low <= high)) {
        low = 0;
        high = 1;
      }
      const double padding = high > low ? (high - low) * 0.05 : 1;
      const double step = niceStep(high - low + 2 * padding, 5);
      // Values that are never below zero get no axis below it.
      const double bottom = std::floor((low - padding) / step) * step;
      axis.low = settings.minimum.value_or(low >= 0 ? std::max(bottom, 0.0) : bottom);
      axis.high = settings.maximum.value_or(std::ceil((high + padding) / step) * step);
      if (!(axis.high > axis.low)) {
        axis.high = axis.low + 1;
      }
    }
  }

  // Room for the labels and titles around the plot.
  const double line = std::ceil(measure.lineHeight());
  const auto labelsWidth = [&](int a) {
    if (!axes_[a].used) {
      return 0.0;
    }
    double widest = 0;
    for (const auto& [value, label] :
         valueTicks(figure.axes[a], axes_[a].low, axes_[a].high, area.height / 2)) {
      widest = std::max(widest, std::ceil(measure.textWidth(label)) + 6);
    }
    return widest + 8 + (figure.axes[a].title.empty() ? 0 : line + 4);
  };
  const double left = std::max(labelsWidth(0), 24.0);
  const double right = std::max(labelsWidth(1), 30.0);

  // The legend above the plot, a name for each line: a name that does not
  // fit on the row begins the next one.
  double x = area.left + left;
  int row = 0;
  for (std::size_t i = 0; i < figure.lines.size(); ++i) {
    if (!figure.lines[i].inLegend) {
      continue;
    }
    const double entryWidth = 18 + measure.textWidth(figure.lines[i].name);
    if (x > area.left + left && x + entryWidth > area.right()) {
      ++row;
      x = area.left + left;
    }
    legend_.push_back({i, {x, area.top + row * line + line / 2.0 + 3}});
    x += entryWidth + 14;
  }
  const double top = (row + 1) * line + 6;
  const double bottom = line + 8 + (figure.timeTitle.empty() ? 0 : line + 4) + below;
  plot_ = Box{area.left + left, area.top + top, std::max(area.width - left - right, 10.0),
              std::max(area.height - top - bottom, 10.0)};
}

double ChartLayout::xOf(double time) const {
  return plot_.left + (time - first_) / (last_ - first_) * plot_.width;
}

double ChartLayout::timeAt(double x) const {
  const double share = plot_.width > 0 ? (x - plot_.left) / plot_.width : 0;
  return first_ + share * (last_ - first_);
}

double ChartLayout::yOf(double value, int axisNumber) const {
  const Axis& axis = axes_[axisNumber - 1];
  double share = 0;
  if (axis.logarithmic) {
    share =
        (std::log10(value) - std::log10(axis.low)) / (std::log10(axis.high) - std::log10(axis.low));
  } else {
    share = (value - axis.low) / (axis.high - axis.low);
  }
  return plot_.bottom() - share * plot_.height;
}

void paintChart(Canvas& canvas, const ChartFigure& figure, const ChartLayout& layout,
                Colour background, Colour text) {
  const Box plot = layout.plot();
  const Box area = layout.area();
  canvas.fill(area, background);
  canvas.fill(plot, kWhite);
  const double ascent = canvas.ascent();
  const double line = std::ceil(canvas.lineHeight());

  // The time axis: its ticks on round times, a label for each.
  const auto [first, last] = layout.timeSpan();
  const double room = std::max(100.0, canvas.textWidth("00.00 00:00") + 24);
  const double step = timeStep(last - first, plot.width, room);
  for (double tick = std::ceil(first / step - 1e-9) * step; tick <= last + step * 1e-9;
       tick += step) {
    const double x = layout.xOf(tick);
    canvas.line({x, plot.top}, {x, plot.bottom()}, kGrid, 1);
    const std::string label = timeLabel(tick, step);
    const double half = canvas.textWidth(label) / 2.0;
    canvas.text({std::clamp(x - half, area.left, std::max(area.right() - 2 * half, area.left)),
                 plot.bottom() + ascent + 4},
                label, text);
  }
  if (!figure.timeTitle.empty()) {
    canvas.text({plot.left + (plot.width - canvas.textWidth(figure.timeTitle)) / 2,
                 plot.bottom() + line + 8 + ascent},
                figure.timeTitle, text);
  }

  // The value axes: their ticks, the left one's grid, their titles.
  for (int a = 1; a <= 2; ++a) {
    if (!layout.axisUsed(a)) {
      continue;
    }
    const auto [low, high] = layout.axisRange(a);
    const ValueAxisSettings& settings = figure.axes[a - 1];
    double widest = 0;
    for (const auto& [value, label] : valueTicks(settings, low, high, plot.height)) {
      const double y = layout.yOf(value, a);
      if (a == 1) {
        canvas.line({plot.left, y}, {plot.right(), y}, kGrid, 1);
      }
      const double width = canvas.textWidth(label);
      widest = std::max(widest, width);
      const double baseline = y + ascent / 2.0 - 1;
      canvas.text({a == 1 ? plot.left - 4 - width : plot.right() + 4, baseline}, label, text);
    }
    if (!settings.title.empty()) {
      const double titleWidth = canvas.textWidth(settings.title);
      const double middle = plot.top + (plot.height + titleWidth) / 2;
      const double x = a == 1 ? plot.left - 8 - widest - 4 : plot.right() + 8 + widest + ascent;
      canvas.verticalText({x, middle}, settings.title, text);
    }
  }
  canvas.frame(plot, kFrame);

  // The lines, inside the plot; the points beyond their marks.
  canvas.clip(Box{plot.left, plot.top, plot.width + 1, plot.height + 1});
  std::vector<Point> points;
  for (const ChartLine& chartLine : figure.lines) {
    if (!layout.axisUsed(chartLine.axis)) {
      continue;
    }
    points.clear();
    points.reserve(chartLine.points.size());
    const bool logarithmic = figure.axes[chartLine.axis - 1].logarithmic &&
                             figure.axes[chartLine.axis - 1].levels.empty();
    for (const Point& point : chartLine.points) {
      if (!logarithmic || point.y > 0) {
        points.push_back({layout.xOf(point.x), layout.yOf(point.y, chartLine.axis)});
      }
    }
    if (chartLine.dots) {
      canvas.dots(points, 3, chartLine.colour);
    } else if (chartLine.dashed && points.size() >= 2 && points.front().y == points.back().y) {
      dashed(canvas, points.front().x, points.back().x, points.front().y, chartLine.colour,
             chartLine.width);
    } else {
      canvas.polyline(points, chartLine.colour, chartLine.width);
    }
    for (const bool above : {false, true}) {
      const std::optional<double>& mark = above ? chartLine.markAbove : chartLine.markBelow;
      if (!mark) {
        continue;
      }
      std::vector<Point> beyond;
      for (const Point& point : chartLine.points) {
        if ((above ? point.y > *mark : point.y < *mark) && (!logarithmic || point.y > 0)) {
          beyond.push_back({layout.xOf(point.x), layout.yOf(point.y, chartLine.axis)});
        }
      }
      canvas.dots(beyond, 2, above ? kHighLimit : kLowLimit);
    }
  }
  canvas.endClip();

  // The legend above.
  for (const ChartLayout::LegendEntry& entry : layout.legend()) {
    const ChartLine& chartLine = figure.lines[entry.line];
    const Point at = entry.at;
    if (chartLine.dashed) {
      dashed(canvas, at.x, at.x + 14, at.y, chartLine.colour, 2);
    } else {
      canvas.line(at, {at.x + 14, at.y}, chartLine.colour, 2);
    }
    canvas.text({at.x + 18, at.y + ascent / 2.0 - 1}, chartLine.name, text);
  }
}

}  // namespace vexa::plot
