// The preview under the form, without a toolkit: the export's series over
// the file's whole span, on the axes the report gives them, the chosen time
// window as a band, a window dragged out with the mouse (rounded to the
// nearest line's time stamp), a double-click for the whole span, and the
// time and the values under the mouse in its corner. Views give it their
// size and font, draw what it paints on their canvas and pass it the mouse.
//
// Each series is thinned once to the plot's width (the first, lowest,
// highest and last point of every pixel column, so that every peak stays).
// The picture (axes, series, legend) changes only with the data, the places
// and the size, so views keep it as a bitmap and draw the overlay (band,
// readout) over it: a ticked box or a moved band costs a few milliseconds
// whatever the length of the export.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "input/preview.h"
#include "input/statistics.h"
#include "plot/canvas.h"
#include "plot/chart.h"
#include "plot/palette.h"

namespace vexa::form {

using plot::Box;
using plot::Canvas;
using plot::Colour;
using plot::colourOf;
using plot::Point;
using plot::TextMeasure;

// The window's own colours: its background and its text.
struct Palette {
  Colour window{240, 240, 240};
  Colour text{0, 0, 0};
};

// A line of the band's statistics, and the colour it is marked with (a
// verdict's green, red or grey).
struct StatisticsLine {
  std::string text;
  std::optional<Colour> mark;
  bool operator==(const StatisticsLine&) const = default;
};

// Works out the statistics of the band [start, end], a line each.
using BandStatistics = std::function<std::vector<StatisticsLine>(double start, double end)>;

class PreviewPlot {
 public:
  PreviewPlot();

  // The series of a newly opened export; clear() leaves nothing of it.
  void setData(PreviewData data);
  void clear();
  bool hasData() const { return !data_.stamps.empty(); }
  const PreviewData& data() const { return data_; }

  // Which series show, and on which axes (the window's boxes changed).
  void setPlaces(std::vector<SeriesPlace> places);
  const std::vector<SeriesPlace>& places() const { return places_; }

  // The chosen window, from the pickers.
  void setBand(double start, double end);
  std::pair<double, double> band() const { return band_; }

  // The limits of each series (as many as the series): drawn as dashed
  // lines, the readings beyond them marked.
  void setLimits(std::vector<Limits> limits);
  const std::vector<Limits>& limits() const { return limits_; }

  // What happened in the band, as `statistics` works it out (from every
  // reading of the export, not from the points drawn) whenever the band,
  // the series shown or the limits change.
  void setBandStatistics(BandStatistics statistics);
  const std::vector<std::string>& statistics() const { return statistics_; }
  const std::vector<StatisticsLine>& statisticsLines() const { return statisticsMarked_; }
  // The statistics again, the band unchanged (the rules behind them changed).
  void refreshStatistics();
  // Whether the export has a time window to choose (motion events have none).
  bool hasBand() const;

  // The preview's size in pixels, and the font it writes with (which must
  // outlive the plot or the next call).
  void setSize(double width, double height);
  void setMeasure(const TextMeasure* measure);
  double width() const { return width_; }
  double height() const { return height_; }

  // Where a time stands, and the time at a place (the span of the file
  // across the plot's width).
  double xOf(double time) const;
  double timeAt(double x) const;
  Box plotBox() const { return layout_.plot(); }
  Box bandBox() const;          // empty without data
  std::string readout() const;  // the time and the values under the mouse
  int drawnSeries() const;      // series in view
  int drawnPoints() const;      // their points after thinning to the width

  // The picture, which changes with the data, the places and the size (its
  // version grows then), and the overlay drawn over it.
  void paintPicture(Canvas& canvas, const Palette& palette) const;
  void paintOverlay(Canvas& canvas, const Palette& palette) const;
  unsigned pictureVersion() const { return version_; }

  // The mouse. press() begins a drag inside the plot (true); release() and
  // doubleClick() give the window chosen, in time stamps of the file.
  bool press(double x, double y);
  void move(double x);
  std::optional<std::pair<double, double>> release(double x);
  std::optional<std::pair<double, double>> doubleClick();
  void leave();
  bool dragging() const { return dragging_; }

 private:
  void thin();       // every series to the plot's width
  void layOut();     // the figure, and where it goes for the labels
  void summarize();  // the band's statistics
  void wrapStatistics();
  void changed() { ++version_; }
  void showReadout(double x);

  PreviewData data_;
  std::vector<SeriesPlace> places_;
  std::vector<Limits> limits_;
  BandStatistics bandStatistics_;
  std::vector<StatisticsLine> statisticsMarked_;
  std::vector<std::string> statistics_;
  std::vector<StatisticsLine> statisticsLines_;  // wrapped to the width
  std::vector<std::vector<Point>> thinned_;      // (time, value) per series
  plot::ChartFigure figure_;                     // the series shown, their limits
  plot::ChartLayout layout_;
  std::pair<double, double> band_{0, 0};
  const TextMeasure* measure_;
  double width_ = 0;
  double height_ = 0;
  unsigned version_ = 0;
  std::string readout_;
  bool readoutShown_ = false;
  bool dragging_ = false;
  double dragStart_ = 0;
  double dragNow_ = 0;
};

// "21,5" for 21.5: a value as the Russian window writes it.
std::string previewNumber(double value);

}  // namespace vexa::form
