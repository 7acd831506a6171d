// The preview's plot, drawn on a canvas that records what it is asked to
// draw: thinning that keeps every peak, the report's colours and axes, the
// band and the mouse.
#include "app/form/preview_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "input/formats.h"
#include "support/recording_canvas.h"

namespace vexa::form {
namespace {

using testing::RecordingCanvas;

PreviewSeries series(const std::string& name, int box, std::vector<double> values,
                     double start = 44200.0, double step = 1.0 / 1440) {
  PreviewSeries s{name, box, false, {}, std::move(values)};
  for (std::size_t i = 0; i < s.value.size(); ++i) {
    s.time.push_back(start + static_cast<double>(i) * step);
  }
  return s;
}

PreviewData dataOf(int count, std::vector<PreviewSeries> all) {
  PreviewData data;
  data.count = count;
  data.series = std::move(all);
  for (const PreviewSeries& s : data.series) {
    data.stamps.insert(data.stamps.end(), s.time.begin(), s.time.end());
  }
  std::sort(data.stamps.begin(), data.stamps.end());
  data.stamps.erase(std::unique(data.stamps.begin(), data.stamps.end()), data.stamps.end());
  data.first = data.stamps.front();
  data.last = data.stamps.back();
  return data;
}

// A hundred thousand readings on a 500-pixel plot: at most four points a
// column, and the one warm spike among them is still drawn at its height.
TEST(PreviewPlot, ThinningKeepsEveryPeak) {
  std::vector<double> values(100000, 20.0);
  values[61234] = 35.0;
  values[77777] = 5.0;
  PreviewPlot plot;
  plot.setSize(600, 300);
  plot.setData(dataOf(kClimate, {series("Температура (ºС)", 2, values)}));
  RecordingCanvas canvas;
  plot.paintPicture(canvas, Palette());
  ASSERT_EQ(canvas.polylines.size(), 1u);
  const auto& points = canvas.polylines[0].first;
  EXPECT_LE(points.size(), 4u * static_cast<std::size_t>(plot.plotBox().width) + 4);
  EXPECT_EQ(static_cast<int>(points.size()), plot.drawnPoints());
  const auto [low, high] =
      std::minmax_element(points.begin(), points.end(), [](Point a, Point b) { return a.y < b.y; });
  const double top = plot.plotBox().top;
  const double bottom = plot.plotBox().bottom();
  EXPECT_GT(high->y, low->y);
  // The spike (35) is the highest point drawn, the dip (5) the lowest.
  EXPECT_GE(low->y, top);
  EXPECT_LE(high->y, bottom);
  EXPECT_NEAR(low->x, plot.xOf(44200.0 + 61234.0 / 1440), 1.0);
  EXPECT_NEAR(high->x, plot.xOf(44200.0 + 77777.0 / 1440), 1.0);
}

// Series in the report's colours by their place among those shown, the
// legend's names trimmed, motion events as dots.
TEST(PreviewPlot, SeriesInTheReportsColoursAndTheirLegend) {
  PreviewPlot plot;
  plot.setSize(600, 300);
  plot.setData(dataOf(kClimate, {series("Температура (ºС)", 2, {20, 21, 22}),
                                 series(" Влажность (%)", 3, {40, 41, 42}),
                                 series("Напряжение (В)", 4, {3.0, 3.0, 2.9})}));
  plot.setPlaces({{true, 1, false}, {false, 1, false}, {true, 2, false}});
  RecordingCanvas canvas;
  plot.paintPicture(canvas, Palette());
  ASSERT_EQ(canvas.polylines.size(), 2u);
  EXPECT_EQ(canvas.polylines[0].second, colourOf("4F81BD"));
  EXPECT_EQ(canvas.polylines[1].second, colourOf("C0504D"));
  EXPECT_TRUE(canvas.wrote("Температура (ºС)"));
  EXPECT_TRUE(canvas.wrote("Напряжение (В)"));
  EXPECT_FALSE(canvas.wrote(" Влажность (%)"));
  EXPECT_EQ(plot.drawnSeries(), 2);

  // Four long names on a narrow preview: the legend wraps, and every series
  // drawn keeps its name; the plot starts below the legend's last row.
  const double oneRow = plot.plotBox().top;
  PreviewData four = dataOf(
      kClimateLight,
      {series("Температура (ºС)", 2, {20, 21, 22}), series("Влажность (%)", 3, {40, 41, 42}),
       series("Освещённость (лк)", 4, {9, 8, 7}), series("Напряжение (В)", 5, {3.0, 3.0, 2.9})});
  plot.setData(four);
  plot.setSize(300, 300);
  RecordingCanvas narrow;
  plot.paintPicture(narrow, Palette());
  EXPECT_EQ(narrow.polylines.size(), 4u);
  for (const PreviewSeries& s : four.series) {
    EXPECT_TRUE(narrow.wrote(s.name)) << s.name;
  }
  EXPECT_GT(plot.plotBox().top, oneRow);

  // The values under the mouse, with those names, stay inside the plot.
  plot.move(plot.plotBox().left + 10);
  ASSERT_FALSE(plot.readout().empty());
  RecordingCanvas readout;
  plot.paintOverlay(readout, Palette());
  const auto back = std::find_if(readout.fills.begin(), readout.fills.end(), [](const auto& fill) {
    return fill.second == Colour{255, 255, 255, 230};
  });
  ASSERT_NE(back, readout.fills.end());
  EXPECT_LE(back->first.right(), plot.plotBox().right());
  EXPECT_LE(back->first.bottom(), plot.plotBox().bottom());
  EXPECT_GE(readout.texts.size(), 3u);  // the time and the values on lines of their own

  PreviewData events = dataOf(kMotionEvents, {series("События", 0, {2, 1, 0})});
  events.series[0].states = true;
  events.levels = {"Выключен", "Включён", "Сдвиг"};
  plot.setData(events);
  RecordingCanvas eventCanvas;
  plot.paintPicture(eventCanvas, Palette());
  EXPECT_TRUE(eventCanvas.polylines.empty());
  ASSERT_EQ(eventCanvas.dotted.size(), 1u);
  EXPECT_TRUE(eventCanvas.wrote("Сдвиг"));  // the levels label the axis
}

// A logarithmic axis runs from power of ten to power of ten and leaves out
// what it cannot show.
TEST(PreviewPlot, LogarithmicAxisDropsWhatItCannotShow) {
  PreviewPlot plot;
  plot.setSize(600, 300);
  plot.setData(dataOf(kClimateLight, {series("Освещённость (Лк)", 5, {0, 5, 120, 3000, -1})}));
  plot.setPlaces({{true, 1, true}});
  RecordingCanvas canvas;
  plot.paintPicture(canvas, Palette());
  ASSERT_EQ(canvas.polylines.size(), 1u);
  EXPECT_EQ(canvas.polylines[0].first.size(), 3u);
  for (const char* label : {"1", "10", "100", "1000", "10000"}) {
    EXPECT_TRUE(canvas.wrote(label)) << label;
  }
  EXPECT_EQ(previewNumber(21.5), "21,5");
}

TEST(PreviewPlot, BandAndMouse) {
  PreviewPlot plot;
  plot.setSize(600, 300);
  plot.setData(dataOf(kClimate, {series("Температура (ºС)", 2, std::vector<double>(61, 20))}));
  const Box area = plot.plotBox();
  EXPECT_EQ(plot.band(), std::make_pair(plot.data().first, plot.data().last));
  EXPECT_NEAR(plot.bandBox().left, area.left, 1e-9);
  EXPECT_NEAR(plot.bandBox().right(), area.right(), 1e-9);

  // A band beyond the span is clamped to the plot.
  plot.setBand(plot.data().first - 10, plot.data().first + 0.5 / 24);
  EXPECT_EQ(plot.bandBox().left, area.left);
  EXPECT_NEAR(plot.bandBox().right(), plot.xOf(plot.data().first + 0.5 / 24), 1e-9);

  // Outside the plot no drag begins; a click chooses nothing.
  EXPECT_FALSE(plot.press(area.left - 5, area.top + 5));
  EXPECT_TRUE(plot.press(area.left + 100, area.top + 5));
  EXPECT_FALSE(plot.release(area.left + 101).has_value());
  // A drag: the band follows the mouse, then the window is rounded.
  ASSERT_TRUE(plot.press(area.left + 100, area.top + 5));
  plot.move(area.left + 300);
  EXPECT_NEAR(plot.bandBox().left, area.left + 100, 1e-9);
  EXPECT_NEAR(plot.bandBox().right(), area.left + 300, 1e-9);
  const auto chosen = plot.release(area.left + 300);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(chosen->first, nearestStamp(plot.data(), plot.timeAt(area.left + 100)));
  EXPECT_EQ(chosen->second, nearestStamp(plot.data(), plot.timeAt(area.left + 300)));
  EXPECT_TRUE(
      std::binary_search(plot.data().stamps.begin(), plot.data().stamps.end(), chosen->first));
  const auto whole = plot.doubleClick();
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(*whole, std::make_pair(plot.data().first, plot.data().last));

  // A file of one moment still gets an hour of axis around it.
  plot.setData(dataOf(kClimate, {series("Температура (ºС)", 2, {20})}));
  EXPECT_NEAR(plot.timeAt(area.left), plot.data().first, 1e-12);
  EXPECT_NEAR(plot.xOf(plot.data().first), plot.plotBox().left + plot.plotBox().width / 2, 1e-6);
}

// A freezer's limits: dashed lines at their heights in the report's limit
// colours, the readings beyond them marked; the band's statistics are what
// the window works out for the band, asked again as the band moves, the
// verdict's line marked with its colour.
TEST(PreviewPlot, LimitsTheirMarksAndTheBandsStatistics) {
  const Colour high = colourOf("C00000");
  const Colour low = colourOf("0070C0");
  PreviewPlot plot;
  plot.setSize(900, 300);
  plot.setData(dataOf(kClimate, {series("Температура (ºС)", 2, {-20, -20, -14, -13, -20, -26, -20}),
                                 series("Влажность (%)", 3, {50, 50, 50, 50, 50, 50, 51})}));
  EXPECT_TRUE(plot.statistics().empty());  // nothing works them out yet
  std::vector<std::pair<double, double>> asked;
  const Colour red{255, 199, 206};
  plot.setBandStatistics([&](double start, double end) {
    asked.emplace_back(start, end);
    return std::vector<StatisticsLine>{{"Итог: Тревога", red}, {"Температура (ºС): мин -26", {}}};
  });
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked.back(), plot.band());
  EXPECT_EQ(plot.statistics(),
            (std::vector<std::string>{"Итог: Тревога", "Температура (ºС): мин -26"}));

  plot.setPlaces({{true, 1, false}, {false, 1, false}});
  plot.setLimits({{-25.0, -15.0}, {}});
  const std::size_t before = asked.size();
  RecordingCanvas canvas;
  plot.paintPicture(canvas, Palette());
  int highDashes = 0;
  int lowDashes = 0;
  for (const auto& [ends, colour] : canvas.lines) {
    if (colour == high || colour == low) {
      (colour == high ? highDashes : lowDashes)++;
      EXPECT_EQ(ends.first.y, ends.second.y);
    }
  }
  EXPECT_GT(highDashes, 10);
  EXPECT_EQ(lowDashes, highDashes);
  std::vector<std::size_t> marked(2, 0);
  for (const auto& [centres, colour] : canvas.dotted) {
    marked[colour == high ? 0 : 1] += centres.size();
  }
  EXPECT_EQ(marked, (std::vector<std::size_t>{2, 1}));  // -14 and -13 warm, -26 cold

  // The band moved: asked for again; the verdict's line is marked.
  const double minute = 1.0 / 1440;
  plot.setBand(44200.0, 44200.0 + 3 * minute);
  EXPECT_GT(asked.size(), before);
  EXPECT_EQ(asked.back(), std::make_pair(44200.0, 44200.0 + 3 * minute));
  RecordingCanvas overlay;
  plot.paintOverlay(overlay, Palette());
  EXPECT_TRUE(std::any_of(overlay.fills.begin(), overlay.fills.end(),
                          [&](const auto& fill) { return fill.second == red; }));

  // A limit far from the readings still shows: the axis reaches it.
  plot.setLimits({{std::nullopt, 100.0}, {}});
  RecordingCanvas far;
  plot.paintPicture(far, Palette());
  EXPECT_TRUE(far.wrote("100"));
  // Limits of another number of series than the data's are not taken.
  plot.setLimits({{1.0, 2.0}});
  EXPECT_EQ(plot.limits()[0].high, 100.0);
}

// Motion events have no time window: no band to draw or drag.
TEST(PreviewPlot, MotionEventsHaveNoBand) {
  PreviewPlot plot;
  plot.setSize(900, 300);
  PreviewData events = dataOf(kMotionEvents, {series("События", 0, {0, 1, 2})});
  events.series[0].states = true;
  events.levels = {"Выключен", "Включён", "Сдвиг"};
  plot.setData(events);
  EXPECT_FALSE(plot.hasBand());
  EXPECT_TRUE(plot.bandBox().empty());
  const Box area = plot.plotBox();
  EXPECT_FALSE(plot.press(area.left + 10, area.top + 10));
  EXPECT_FALSE(plot.doubleClick().has_value());
}

}  // namespace
}  // namespace vexa::form
