// An XY chart over time drawn without a toolkit: the time axis below, a
// value axis on each side, the lines of the series (straight between their
// points), the limits' dashed lines, and the legend above, wrapping onto as
// many rows as its names need. The preview in both windows and the PDF
// report's chart are drawn by it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/canvas.h"

namespace vexa::plot {

// A line of the chart: its points (time as a date-time serial, value), in
// time order.
struct ChartLine {
  std::string name;
  std::vector<Point> points;
  int axis = 1;  // 1: the left value axis; 2: the right one
  Colour colour;
  double width = 1;
  bool dashed = false;  // a limit's line
  bool dots = false;    // each point a dot (events), no line
  bool inLegend = true;
  // Points below or above these values are marked in the limits' colours.
  std::optional<double> markBelow;
  std::optional<double> markAbove;
};

// A value axis: its title, its scale, and how its ticks are written.
struct ValueAxisSettings {
  std::string title;
  bool logarithmic = false;
  std::optional<double> minimum;  // fixed ends; otherwise the lines' range
  std::optional<double> maximum;
  int decimals = -1;                // the tick labels' decimal places; -1: as few as they need
  std::vector<std::string> levels;  // states: the level i is named levels[i]
};

struct ChartFigure {
  std::vector<ChartLine> lines;
  double first = 0;  // the time axis, as date-time serials
  double last = 0;
  std::string timeTitle;
  ValueAxisSettings axes[2];
};

// Where everything of a figure goes in an area, for a font: the plot's
// rectangle inside the labels, titles and legend, and the axes' ranges.
// `below` is room kept under the time labels (the preview's statistics).
class ChartLayout {
 public:
  ChartLayout() = default;
  ChartLayout(const ChartFigure& figure, Box area, const TextMeasure& measure, double below = 0);

  Box plot() const { return plot_; }
  Box area() const { return area_; }
  std::pair<double, double> timeSpan() const { return {first_, last_}; }
  double xOf(double time) const;
  double timeAt(double x) const;  // not clamped
  double yOf(double value, int axis) const;
  bool axisUsed(int axis) const { return axes_[axis - 1].used; }
  std::pair<double, double> axisRange(int axis) const {
    return {axes_[axis - 1].low, axes_[axis - 1].high};
  }

  struct LegendEntry {
    std::size_t line;
    Point at;  // the start of its sample line
  };
  const std::vector<LegendEntry>& legend() const { return legend_; }

 private:
  struct Axis {
    bool used = false;
    bool logarithmic = false;
    double low = 0;  // powers of ten on a logarithmic axis
    double high = 1;
  };
  Axis axes_[2];
  Box area_;
  Box plot_;
  double first_ = 0;
  double last_ = 1;
  std::vector<LegendEntry> legend_;
};

// Draws the figure as laid out: `background` around the plot, `text` for
// the labels, titles and legend.
void paintChart(Canvas& canvas, const ChartFigure& figure, const ChartLayout& layout,
                Colour background, Colour text);

// The points thinned to `columns` columns across [first, last]: in each
// column its first, lowest, highest and last point, so that every peak stays
// in view whatever the number of points.
std::vector<Point> thinPoints(const std::vector<Point>& points, double first, double last,
                              int columns);

// `text` broken at its separators into lines no wider than `room` (a piece
// wider than that alone keeps its line); the lines after the first begin
// with `indent`.
std::vector<std::string> wrapAt(const std::string& text, std::string_view separator, double room,
                                const TextMeasure& measure, std::string_view indent);

// "21,5" for 21.5: a value as the Russian window writes it, in at most six
// significant digits; with `decimals` ≥ 0, in exactly that many places.
std::string chartNumber(double value, int decimals = -1);

// Steps of a value axis: 1, 2 or 5 times a power of ten, about `ticks` of
// them across the range.
double niceStep(double range, int ticks);

}  // namespace vexa::plot
