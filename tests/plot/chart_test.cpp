// The chart without a toolkit, as the PDF report draws the workbook's chart:
// time ticks on whole hours and days, the axes' titles, fixed and
// logarithmic scales, and the limits' dashed lines in the legend.
#include "plot/chart.h"

#include <gtest/gtest.h>

#include <regex>

#include "plot/palette.h"
#include "support/recording_canvas.h"

namespace vexa::plot {
namespace {

using testing::RecordingCanvas;

ChartLine lineOf(std::string name, double first, double days, std::vector<double> values,
                 int axis = 1) {
  ChartLine line;
  line.name = std::move(name);
  line.axis = axis;
  for (std::size_t i = 0; i < values.size(); ++i) {
    line.points.push_back(
        {first + days * static_cast<double>(i) / static_cast<double>(values.size() - 1),
         values[i]});
  }
  return line;
}

// However long the window, a time label falls on a whole hour (a date
// alone for steps of days), never on 02:24 as a tenth of a day would.
TEST(Chart, TimeTicksFallOnWholeHoursAndDays) {
  const std::regex clock(R"(\d\d\.\d\d \d\d:(\d\d))");
  const std::regex date(R"(\d\d\.\d\d\.\d\d)");
  for (const double days : {0.25, 1.0, 2.4, 12.0, 90.0}) {
    ChartFigure figure;
    figure.first = 44207.0;
    figure.last = 44207.0 + days;
    figure.lines.push_back(lineOf("Температура (ºС)", figure.first, days, {1, 5, 3}));
    RecordingCanvas canvas;
    const ChartLayout layout(figure, Box{0, 0, 760, 400}, canvas);
    paintChart(canvas, figure, layout, kWhite, Colour{});
    int labels = 0;
    for (const std::string& text : canvas.texts) {
      std::smatch match;
      if (std::regex_match(text, match, clock)) {
        EXPECT_EQ(match[1], "00") << days << " days: " << text;
        ++labels;
      } else if (std::regex_match(text, date)) {
        ++labels;
      }
    }
    EXPECT_GE(labels, 2) << days << " days";
  }
}

// The workbook's axes: titles (the value axes' reading upward), a fixed
// scale, a logarithmic one in powers of ten, and no axis below zero for
// values that never are.
TEST(Chart, AxesAsTheWorkbooksChartHasThem) {
  ChartFigure figure;
  figure.first = 44207.0;
  figure.last = 44209.0;
  figure.timeTitle = "Время";
  figure.axes[0] = {"Температура (ºС)", false, 10.0, 50.0, 2, {}};
  figure.axes[1] = {"Освещённость (Лк)", true, std::nullopt, std::nullopt, 2, {}};
  figure.lines.push_back(lineOf("Температура (ºС)", figure.first, 2, {18, 23, 21}));
  figure.lines.push_back(lineOf("Освещённость (Лк)", figure.first, 2, {3, 30000, 0}, 2));
  RecordingCanvas canvas;
  ChartLayout layout(figure, Box{0, 0, 760, 400}, canvas);
  EXPECT_EQ(layout.axisRange(1), std::make_pair(10.0, 50.0));
  EXPECT_EQ(layout.axisRange(2), std::make_pair(1.0, 100000.0));
  paintChart(canvas, figure, layout, kWhite, Colour{});
  EXPECT_EQ(canvas.upward, (std::vector<std::string>{"Температура (ºС)", "Освещённость (Лк)"}));
  EXPECT_TRUE(canvas.wrote("Время"));
  EXPECT_TRUE(canvas.wrote("50,00"));
  EXPECT_TRUE(canvas.wrote("10000,00"));

  figure.axes[1] = ValueAxisSettings{};
  figure.lines[1] = lineOf("Освещённость (Лк)", figure.first, 2, {0, 3000, 10}, 2);
  layout = ChartLayout(figure, Box{0, 0, 760, 400}, canvas);
  EXPECT_EQ(layout.axisRange(2).first, 0.0);
}

// A limit's line is dashed in its colour, and named in the legend with a
// dashed sample; a legend too wide for a row wraps.
TEST(Chart, LimitLinesAreDashedAndNamed) {
  ChartFigure figure;
  figure.first = 44207.0;
  figure.last = 44208.0;
  figure.lines.push_back(lineOf("Температура (ºС)", figure.first, 1, {-20, -14, -18}));
  ChartLine limit = lineOf("Верхний предел: -15", figure.first, 1, {-15, -15});
  limit.colour = kHighLimit;
  limit.dashed = true;
  figure.lines.push_back(limit);
  RecordingCanvas canvas;
  const ChartLayout narrow(figure, Box{0, 0, 200, 300}, canvas);
  ASSERT_EQ(narrow.legend().size(), 2u);
  EXPECT_GT(narrow.legend()[1].at.y, narrow.legend()[0].at.y);  // its own row
  paintChart(canvas, figure, narrow, kWhite, Colour{});
  ASSERT_EQ(canvas.polylines.size(), 1u);  // the series; the limit in dashes
  const auto dashes = std::count_if(canvas.lines.begin(), canvas.lines.end(),
                                    [](const auto& line) { return line.second == kHighLimit; });
  EXPECT_GT(dashes, 5);
  EXPECT_TRUE(canvas.wrote("Верхний предел: -15"));
}

}  // namespace
}  // namespace vexa::plot
