// The plot area's layout: room for what the reader draws around it.
#include "spreadsheet/chart_layout.h"

#include <gtest/gtest.h>

namespace vexa::sheet {
namespace {

TEST(WidestLabel, EveryFormatAtItsWidest) {
  struct Case {
    const char* format;
    double low, high;
    const char* label;
  };
  const Case cases[] = {
      {"0.00", -25, -15, "-25.00"},
      {"0.000", 2.9, 13.05, "13.050"},
      {"0.0 \"sec\"", 1, 2, "1.0"},  // not a date for its "s"
      {"0", 0, 1200, "1200"},
      {"General", 3.5, 12, "3.5"},
      {"General", 0, 1e6, "1000000"},
      {"dd/mm/yy h:mm:ss;@", 44207, 44210, "00/00/00 00:00:00"},
      {"yyyy-mm-dd", 44207, 44210, "0000-00-00"},
      {"[$-419]dd.mm.yyyy\\ hh:mm", 0, 1, "00.00.0000 00:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(widestLabel(c.format, c.low, c.high), c.label) << c.format;
  }
}

TEST(TextWidth, GrowsWithTheTextAndItsLetters) {
  EXPECT_EQ(textWidth(""), 0);
  EXPECT_LT(textWidth("1.0"), textWidth("10.0"));
  EXPECT_LT(textWidth("Вт"), textWidth("ВТ"));  // capitals are wider
  EXPECT_LT(textWidth("ii"), textWidth("Температура"));
}

// A chart of `series` value columns on Лист2 under the time column, as the
// climate layouts make them.
struct ChartOnSheet {
  WorkbookModel model;
  ChartModel chart;

  explicit ChartOnSheet(std::vector<std::string> names, double low = 18, double high = 46) {
    auto sheet = std::make_shared<SheetModel>();
    sheet->name = "Лист2";
    model.sheets.push_back(sheet);
    CellFormat time;
    time.numberFormat = model.formats.internCode("dd/mm/yy h:mm:ss;@");
    CellFormat value;
    value.numberFormat = model.formats.internCode("0.000000");
    const std::uint32_t timeFormat = model.formats.intern(time);
    const std::uint32_t valueFormat = model.formats.intern(value);
    const int columns = static_cast<int>(names.size()) + 1;
    for (int c = 2; c <= columns; ++c) {
      Cell& heading = sheet->cells.at(1, c);
      heading.kind = Cell::Kind::Text;
      heading.text = model.texts.intern(names[static_cast<std::size_t>(c - 2)]);
    }
    for (int r = 2; r <= 11; ++r) {
      Cell& stamp = sheet->cells.at(r, 1);
      stamp.kind = Cell::Kind::Number;
      stamp.number = 44207 + r / 24.0;
      stamp.format = timeFormat;
      for (int c = 2; c <= columns; ++c) {
        Cell& cell = sheet->cells.at(r, c);
        cell.kind = Cell::Kind::Number;
        cell.number = low + (high - low) * (r - 2) / 9;
        cell.format = valueFormat;
      }
    }
    for (int c = 2; c <= columns; ++c) {
      auto series = std::make_shared<ChartSeries>();
      series->name = SheetBlock{"Лист2", 1, c, 1, c};
      series->xValues = SheetBlock{"Лист2", 2, 1, 11, 1};
      series->values = SheetBlock{"Лист2", 2, c, 11, c};
      chart.series.push_back(series);
    }
    chart.axis(1, 1).hasTitle = true;
    chart.axis(2, 1).hasTitle = true;
    chart.axis(2, 1).numberFormat = "0.00";
    chart.axis(1, 1).orientation = 90;
  }
  PlotLayout layout() const {
    return plotLayout(chart, model, 670, 490, 411.845, "dd/mm/yy h:mm:ss;@");
  }
};

TEST(PlotLayout, InsideTheChartAndUnderTheHeightGiven) {
  const ChartOnSheet c({"Температура (ºС)", "Влажность (%)"});
  const PlotLayout l = c.layout();
  EXPECT_GT(l.x, 0.03);
  EXPECT_GT(l.y, 0.0);
  EXPECT_LT(l.x + l.w, 0.9);  // the legend keeps its room on the right
  // The inner area ends above the outer one by the turned time labels.
  const double outerBottom = (7 + 411.845) / 490;
  EXPECT_LT(l.y + l.h, outerBottom - 70.0 / 490);
  EXPECT_GT(l.y + l.h, outerBottom - 110.0 / 490);
}

TEST(PlotLayout, RoomFollowsWhatStandsAroundThePlot) {
  const PlotLayout plain = ChartOnSheet({"T"}).layout();

  ChartOnSheet secondary({"T", "U"});
  secondary.chart.series[1]->axisGroup = 2;
  secondary.chart.axis(2, 2).hasTitle = true;
  EXPECT_LT(secondary.layout().w, plain.w - 40.0 / 670);

  const PlotLayout longNames = ChartOnSheet({"Температура корпуса (°C)"}).layout();
  EXPECT_LT(longNames.w, plain.w);

  const PlotLayout wideValues = ChartOnSheet({"T"}, -10000, 100000).layout();
  EXPECT_GT(wideValues.x, plain.x);

  ChartOnSheet level({"T"});
  level.chart.axis(1, 1).orientation = 0;
  EXPECT_GT(level.layout().h, plain.h + 40.0 / 490);

  ChartOnSheet untitled({"T"});
  untitled.chart.axis(2, 1).hasTitle = false;
  EXPECT_LT(untitled.layout().x, plain.x);
}

TEST(PlotLayout, NeverSmallerThanAQuarterWhateverTheLabels) {
  ChartOnSheet c({std::string(300, 'W')}, -1e15, 1e15);
  c.chart.axis(2, 1).numberFormat = "0.00000000";
  const PlotLayout l = plotLayout(c.chart, c.model, 670, 490, 60, "dd/mm/yy h:mm:ss;@");
  EXPECT_GE(l.w, 0.25 - 1e-9);
  EXPECT_GE(l.h, 0.25 - 1e-9);
  EXPECT_LE(l.x + l.w, 1 + 1e-9);
  EXPECT_LE(l.y + l.h, 1 + 1e-9);
}

}  // namespace
}  // namespace vexa::sheet
