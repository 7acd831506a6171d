#include "report/report_layouts.h"

#include <gtest/gtest.h>

#include <map>

#include "input/formats.h"
#include "support/recording_model.h"

namespace vexa {
namespace {

using testing::RecordingServer;
using Lines = std::vector<std::string>;

class QuietHost final : public ReportHost {
 public:
  ReportControls controls() override { return values; }
  void showMessage(const std::string&) override {}
  ReportControls values;
};

class LayoutTest : public ::testing::Test {
 protected:
  LayoutTest() {
    host.values.Edit1 = "/data/tag.csv";
    host.values.OpenDialog1FileName = "/data/tag.csv";
  }
  void run(int count, int s) {
    ExcelReport report(server, host, session, owner,
                       [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); });
    report.Excel(count, TextTable(8, 8), 44198.25, 44199.75, s);
  }
  // The layout's calls: after the data sheet is attached, up to the summary
  // on the third sheet.
  Lines layout() const {
    const Lines& calls = server.log.calls;
    auto from = std::find(calls.begin(), calls.end(), "Application.Sheets(2)") + 1;
    if (from != calls.end() && *from == "Application.Sheets(1)") {
      ++from;
    }
    const auto to = std::find(from, calls.end(), "Application.Sheets(3)");
    return Lines(from, to);
  }
  Lines layoutActions() const {
    Lines actions;
    const Lines& calls = server.log.calls;
    const Lines all = layout();
    const auto start = static_cast<std::size_t>(std::find(calls.begin(), calls.end(), all.front()) -
                                                calls.begin());
    for (std::size_t i = start; i < start + all.size(); ++i) {
      if (!server.log.getters[i]) {
        actions.push_back(calls[i]);
      }
    }
    return actions;
  }
  bool has(const std::string& call) const {
    const Lines& calls = server.log.calls;
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  RecordingServer server;
  QuietHost host;
  Session session;
  std::vector<AutomationComponents> owner;
};

// ---- paired columns ----

class PairedLayoutTest : public LayoutTest {
 protected:
  PairedLayoutTest() {
    session.datc = 2;
    session.coung = 4;
    session.countstt = 5;
    session.OsMin21 = -3.25;
    session.OsMax21 = 21.5;
  }
};

TEST_F(PairedLayoutTest, TableChartAndAxesInOrder) {
  host.values.OpenDialog1FileName = "/data/boiler_temper.csv";
  run(kPairedNumeric, 0);
  EXPECT_EQ(layoutActions(),
            (Lines{
                "Sheets(2).Range(R1C1:R5C4).HorizontalAlignment = 3",
                "Sheets(2).Range(R1C1:R1C4).Font.Bold = True",
                "Sheets(2).Range(R1C1:R1C4).ColumnWidth = 17",
                "Sheets(2).Range(R1C1:R5C4).FormulaR1C1Local = <array 8x8>",
                "Sheets(2).Range(R2C2:R5C2).NumberFormat = \"0,000000\"",
                "Sheets(2).Range(R2C4:R5C4).NumberFormat = \"0,000000\"",
                "Sheets(2).Range(R2C1:R5C1).NumberFormatLocal = \"ДД/ММ/ГГ Ч:ММ:СС;@\"",
                "Sheets(2).Range(R2C3:R5C3).NumberFormatLocal = \"ДД/ММ/ГГ Ч:ММ:СС;@\"",
                "Sheets(2).Range(R1C1:R5C4).Borders.LineStyle = 1",
                "Sheets(2).Range(R1C1:R5C4).Borders.Weight = 2",
                "Workbook.Charts.Add(-, Sheets(2), 1)",
                "Chart.Name = \"Отчет 1\"",
                "Chart.ChartType = 73",
                "Chart.SetSourceData(Sheets(2).Range(R1C1:R5C2), 2)",
                "Chart.Location(2, \"Лист1\")",
                "Sheets(1).Shapes(1).Left = 1",
                "Sheets(1).Shapes(1).Top = 1",
                "Sheets(1).Shapes(1).Width = 670",
                "Sheets(1).Shapes(1).Height = 490",
                "Chart.PlotArea.Height = 411.845",
                "Chart.SeriesCollection(2).Delete()",
                "Chart.SeriesCollection(1).Delete()",
                "Chart.SeriesCollection.NewSeries()",
                "NewSeries#1.Name = \"=Лист2!R1C2:R1C2\"",
                "NewSeries#1.XValues = \"=Лист2!R2C1:R4C1\"",
                "NewSeries#1.Values = \"=Лист2!R2C2:R4C2\"",
                "NewSeries#1.MarkerStyle = -4142",
                "Chart.SeriesCollection.NewSeries()",
                "NewSeries#2.Name = \"=Лист2!R1C4:R1C4\"",
                "NewSeries#2.XValues = \"=Лист2!R2C3:R4C3\"",
                "NewSeries#2.Values = \"=Лист2!R2C4:R4C4\"",
                "NewSeries#2.MarkerStyle = -4142",
                "Chart.Axes(1,1).HasTitle = True",
                "Chart.Axes(1,1).AxisTitle.Characters.Text = \"Время\"",
                "Chart.Axes(1,1).TickLabelPosition = -4134",
                "Chart.Axes(2,1).HasTitle = True",
                "Chart.Axes(2,1).AxisTitle.Characters.Text = \"Температура (ºС)\"",
                "Chart.Axes(2,1).TickLabels.NumberFormat = \"0,00\"",
                "Chart.Axes(1,1).MaximumScale = 44199.75",
                "Chart.Axes(1,1).MinimumScale = 44198.25",
                "Chart.Axes(2,1).MaximumScale = 21.5",
                "Chart.Axes(2,1).MinimumScale = -3.25",
            }));
  // The chart's sheet is found by its count of chart objects, then the shape.
  EXPECT_TRUE(has("Application.Sheets(1)"));
  EXPECT_TRUE(has("Sheets(1).ChartObjects.Count"));
}

TEST_F(PairedLayoutTest, StateLayoutGetsTheTableOnlyOnTheFirstSheet) {
  host.values.ComboBox1 = "0";
  run(kPairedState, 0);
  const Lines actions = layoutActions();
  ASSERT_EQ(actions.size(), 10u);
  EXPECT_EQ(actions.front(), "Sheets(1).Range(R1C1:R5C4).HorizontalAlignment = 3");
  EXPECT_EQ(actions[4], "Sheets(1).Range(R2C2:R5C2).NumberFormat = \"0\"");
  EXPECT_EQ(actions.back(), "Sheets(1).Range(R1C1:R5C4).Borders.Weight = 2");
}

TEST_F(PairedLayoutTest, FormatsCountColumnsFromThePairCount) {
  session.coung = 2;  // one series left in the window, three pairs in the file
  session.datc = 3;
  host.values.ComboBox1 = "2";
  run(kPairedNumeric, 0);
  const Lines actions = layoutActions();
  EXPECT_EQ(actions[1], "Sheets(2).Range(R1C1:R1C6).Font.Bold = True");
  EXPECT_EQ(std::count_if(actions.begin(), actions.end(),
                          [](const std::string& a) {
                            return a.find(".NumberFormat = \"0,00\"") != std::string::npos &&
                                   a.rfind("Sheets(2)", 0) == 0;
                          }),
            3);
}

TEST_F(PairedLayoutTest, ValueAxisTitleFromTheDialogsFileName) {
  struct Case {
    const char* file;
    const char* title;  // empty: no title
  };
  const Case cases[] = {
      {"/data/temper_light.csv", "Освещённость (Лк)"},
      {"/data/Temper.csv", ""},
      {"/data/dp.csv", "Точка росы"},
      {"/data/cap_battery.csv", "Напряжение (В)"},
      {"/data/rssi_signal.csv", "Уровень сигнала (дБм)"},
      {"/data/light_dp.csv", "Освещённость (Лк)"},  // the table order decides, not the name's
      {"/data.temper/room.csv", ""},                // only the file name counts
      {"/data/temper.dp.csv", "Температура (ºС)"},  // "dp" is tested before "temper"
  };
  for (const Case& c : cases) {
    server.log.calls.clear();
    server.log.getters.clear();
    host.values.OpenDialog1FileName = c.file;
    host.values.Edit1 = "/elsewhere/edited.csv";  // the path box plays no part
    run(kPairedNumeric, 0);
    const Lines titles = server.log.starting("Chart.Axes(2,1).AxisTitle.Characters.Text");
    if (*c.title) {
      EXPECT_EQ(titles, Lines{std::string("Chart.Axes(2,1).AxisTitle.Characters.Text = \"") +
                              c.title + "\""})
          << c.file;
    } else {
      EXPECT_TRUE(titles.empty()) << c.file;
      EXPECT_FALSE(has("Chart.Axes(2,1).HasTitle = True")) << c.file;
    }
  }
}

TEST_F(PairedLayoutTest, SeriesPerColumnPair) {
  for (const auto& [coung, series] : std::map<int, std::size_t>{{1, 0}, {3, 1}, {4, 2}, {7, 3}}) {
    server.log.calls.clear();
    server.log.getters.clear();
    session.coung = coung;
    session.datc = 4;
    run(kPairedNumeric, 0);
    EXPECT_EQ(server.log.starting("Chart.SeriesCollection.NewSeries()").size(), series) << coung;
  }
}

TEST_F(PairedLayoutTest, LogarithmicScaleSetsNoLimits) {
  host.values.CheckBox7 = true;
  run(kPairedNumeric, 0);
  EXPECT_TRUE(has("Chart.Axes(2,1).ScaleType = -4133"));
  for (const std::string& call : server.log.calls) {
    EXPECT_EQ(call.find("Scale = "), std::string::npos) << call;
  }
}

TEST_F(PairedLayoutTest, Fallbacks) {
  server.log.failOn("Chart.Location(2, \"Лист1\")");
  server.log.failOn("Chart.Axes(2,1).TickLabels.NumberFormat = \"0,00\"");
  server.log.failOn("Chart.SeriesCollection(2)");  // the seeded series may be missing
  server.log.failOn("NewSeries#1.XValues = \"=Лист2!R2C1:R4C1\"");
  run(kPairedNumeric, 0);
  EXPECT_TRUE(has("Chart.Location(2, \"Sheet1\")"));
  EXPECT_TRUE(has("Chart.Axes(2,1).TickLabels.NumberFormat = \"0.00\""));
  EXPECT_TRUE(has("Chart.SeriesCollection(1).Delete()"));
  // The series loop ended at its failure; the axes were still done.
  EXPECT_EQ(server.log.starting("Chart.SeriesCollection.NewSeries()").size(), 1u);
  EXPECT_FALSE(has("NewSeries#1.Values = \"=Лист2!R2C2:R4C2\""));
  EXPECT_TRUE(has("Chart.Axes(1,1).MinimumScale = 44198.25"));
  EXPECT_TRUE(has("Workbook.Save()"));
}

TEST_F(PairedLayoutTest, UnguardedFailuresEndTheReport) {
  struct Case {
    const char* fail;
  };
  for (const char* call : {"Chart.Location(2, \"Sheet1\")", "Chart.PlotArea.Height = 411.845",
                           "Chart.Axes(2,1).TickLabels.NumberFormat = \"0.00\""}) {
    RecordingServer fresh;
    fresh.log.failOn("Chart.Location(2, \"Лист1\")");
    fresh.log.failOn("Chart.Axes(2,1).TickLabels.NumberFormat = \"0,00\"");
    fresh.log.failOn(call);
    ExcelReport report(fresh, host, session, owner, localNow);
    EXPECT_THROW(report.Excel(kPairedNumeric, TextTable(8, 8), 1, 2, 0), std::runtime_error)
        << call;
    const Lines& calls = fresh.log.calls;
    EXPECT_EQ(std::find(calls.begin(), calls.end(), "Workbook.Save()"), calls.end()) << call;
  }
}

// ---- climate family ----

// The axes a climate chart ends with, read from the calls.
struct ResultingAxes {
  std::string primaryTitle;
  std::string primaryFormat;
  bool primaryLog = false;
  int secondarySeries = 0;
  std::string secondaryTitle;
  std::string secondaryFormat;
  bool secondaryLog = false;
  bool operator==(const ResultingAxes&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ResultingAxes& a) {
  return out << "{" << a.primaryTitle << ", " << a.primaryFormat << (a.primaryLog ? ", log" : "")
             << " | " << a.secondarySeries << ", " << a.secondaryTitle << ", " << a.secondaryFormat
             << (a.secondaryLog ? ", log" : "") << "}";
}

ResultingAxes axesFrom(const Lines& calls) {
  ResultingAxes a;
  const auto value = [](const std::string& call) {
    const auto at = call.find(" = ");
    std::string v = call.substr(at + 3);
    if (!v.empty() && v.front() == '"') {
      v = v.substr(1, v.size() - 2);
    }
    return v;
  };
  for (const std::string& call : calls) {
    if (call.rfind("Chart.Axes(2,1).AxisTitle.Characters.Text", 0) == 0) {
      a.primaryTitle = value(call);
    } else if (call.rfind("Chart.Axes(2,1).TickLabels.NumberFormat", 0) == 0) {
      a.primaryFormat = value(call);
    } else if (call == "Chart.Axes(2,1).ScaleType = -4133") {
      a.primaryLog = true;
    } else if (call.rfind("Chart.Axes(2,2).AxisTitle.Characters.Text", 0) == 0) {
      a.secondaryTitle = value(call);
    } else if (call.rfind("Chart.Axes(2,2).TickLabels.NumberFormat", 0) == 0) {
      a.secondaryFormat = value(call);
    } else if (call == "Chart.Axes(2,2).ScaleType = -4133") {
      a.secondaryLog = true;
    } else if (call.rfind("Chart.SeriesCollection(", 0) == 0 &&
               call.find(".AxisGroup = 2") != std::string::npos) {
      a.secondarySeries = std::stoi(call.substr(23));
    }
  }
  return a;
}

class ClimateLayoutTest : public LayoutTest {
 protected:
  ClimateLayoutTest() { session.countsttr = 6; }
  void tick(const std::string& boxes) {
    host.values.CheckBox2 = boxes.find('2') != std::string::npos;
    host.values.CheckBox3 = boxes.find('3') != std::string::npos;
    host.values.CheckBox4 = boxes.find('4') != std::string::npos;
    host.values.CheckBox5 = boxes.find('5') != std::string::npos;
    host.values.CheckBox6 = boxes.find('6') != std::string::npos;
  }
  ResultingAxes runAxes(int count, const std::string& boxes, const char* ref = "all") {
    server.log.calls.clear();
    server.log.getters.clear();
    tick(boxes);
    session.ref = ref;
    const int s = 1 + static_cast<int>(std::count_if(boxes.begin(), boxes.end(),
                                                     [](char c) { return c >= '2' && c <= '5'; }));
    run(count, s);
    return axesFrom(server.log.calls);
  }
};

TEST_F(ClimateLayoutTest, TableChartAndCommonAxesInOrder) {
  tick("23");
  run(kClimate, 3);
  const Lines actions = layoutActions();
  const Lines expectedStart = {
      "Sheets(2).Range(R1C1:R6C3).HorizontalAlignment = 3",
      "Sheets(2).Range(R1C1:R1C3).Font.Bold = True",
      "Sheets(2).Range(R1C1:R1C3).ColumnWidth = 17",
      "Sheets(2).Range(R2C2:R6C3).NumberFormat = \"0,000000\"",
      "Sheets(2).Range(R2C1:R6C1).NumberFormatLocal = \"ДД/ММ/ГГ Ч:ММ:СС;@\"",
      "Sheets(2).Range(R1C1:R6C3).FormulaR1C1Local = <array 8x8>",
      "Sheets(2).Range(R1C1:R6C3).Borders.LineStyle = 1",
      "Sheets(2).Range(R1C1:R6C3).Borders.Weight = 2",
      "Workbook.Charts.Add(-, Sheets(2), 1)",
      "Chart.Name = \"Отчет 1\"",
      "Chart.ChartType = 73",
      "Chart.SetSourceData(Sheets(2).Range(R1C1:R6C3), 2)",
      "Chart.Location(2, \"Лист1\")",
      "Sheets(1).Shapes(1).Left = 1",
      "Sheets(1).Shapes(1).Top = 1",
      "Sheets(1).Shapes(1).Width = 670",
      "Sheets(1).Shapes(1).Height = 490",
      "Chart.PlotArea.Height = 411.845",
      "Chart.Axes(2,1).TickLabels.NumberFormat = \"0,00\"",
      "Chart.Axes(1,1).TickLabels.Orientation = 90",
      "Chart.Axes(1,1).TickLabelPosition = -4134",
      "Chart.Axes(1,1).MinimumScale = 44198.25",
      "Chart.Axes(1,1).MaximumScale = 44199.75",
      "Chart.Axes(1,1).HasTitle = True",
      "Chart.Axes(1,1).AxisTitle.Characters.Text = \"Время\"",
  };
  ASSERT_GE(actions.size(), expectedStart.size());
  EXPECT_EQ(Lines(actions.begin(), actions.begin() + static_cast<long>(expectedStart.size())),
            expectedStart);
  // No series steps of the paired layout.
  EXPECT_TRUE(server.log.starting("Chart.SeriesCollection.NewSeries").empty());
  // Moving series 2: axis group, then marker style, each on a fresh fetch.
  EXPECT_EQ(server.log.starting("Chart.SeriesCollection(2)"),
            (Lines{"Chart.SeriesCollection(2)", "Chart.SeriesCollection(2).AxisGroup = 2",
                   "Chart.SeriesCollection(2)", "Chart.SeriesCollection(2).MarkerStyle = -4142"}));
}

// After the layout: the summary on the third sheet, written in one block,
// and each limit a dashed line on its series' axis, from that sheet's cells.
TEST_F(ClimateLayoutTest, SummaryOnTheThirdSheetAndLimitLinesOnTheChart) {
  tick("234");
  host.values.limits = {{"temperature", {-25.0, -15.0}}, {"battery", {std::nullopt, 3.2}}};
  run(kClimate, 4);
  const Lines& calls = server.log.calls;
  const auto summary = std::find(calls.begin(), calls.end(), "Application.Sheets(3)");
  ASSERT_NE(summary, calls.end());
  const auto save = std::find(summary, calls.end(), "Workbook.Save()");
  ASSERT_NE(save, calls.end());
  const Lines after(summary, save);
  const auto count = [&](const std::string& prefix) {
    return std::count_if(after.begin(), after.end(),
                         [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
  };
  EXPECT_EQ(std::count_if(after.begin(), after.end(),
                          [](const std::string& call) {
                            return call.rfind("Sheets(3).Range(R1C1:R", 0) == 0 &&
                                   call.find("FormulaR1C1Local") != std::string::npos;
                          }),
            1);  // the cells in one block
  EXPECT_EQ(count("Chart.SeriesCollection.NewSeries()"), 3);
  // The probe's two lines first, then the battery's, which is on the right.
  EXPECT_NE(std::find(after.begin(), after.end(), "NewSeries#1.Border.LineStyle = -4115"),
            after.end());
  EXPECT_NE(std::find(after.begin(), after.end(), "NewSeries#1.Border.Color = 12611584"),
            after.end());  // blue: the low limit
  EXPECT_NE(std::find(after.begin(), after.end(), "NewSeries#2.Border.Color = 192"),
            after.end());  // red: the high limit
  EXPECT_NE(std::find(after.begin(), after.end(), "NewSeries#3.AxisGroup = 2"), after.end());
  EXPECT_EQ(std::find(after.begin(), after.end(), "NewSeries#1.AxisGroup = 2"), after.end());
  const auto name = std::find_if(after.begin(), after.end(), [](const std::string& call) {
    return call.rfind("NewSeries#1.Name = ", 0) == 0;
  });
  ASSERT_NE(name, after.end());
  EXPECT_NE(name->find("=Лист3!R"), std::string::npos);
}

// A limit line stands on its series' value axis: light beside others is on
// the secondary axis, the battery then on the primary one.
TEST_F(ClimateLayoutTest, LimitLinesOnTheAxisOfTheirSeries) {
  tick("2345");
  host.values.limits = {{"light", {std::nullopt, 1000.0}}, {"battery", {std::nullopt, 3.2}}};
  run(kClimateLight, 5);
  EXPECT_TRUE(has("Chart.SeriesCollection(3).AxisGroup = 2"));  // the light series
  EXPECT_TRUE(has("NewSeries#1.AxisGroup = 2"));                // the light's limit
  EXPECT_FALSE(has("NewSeries#2.AxisGroup = 2"));               // the battery's
  EXPECT_EQ(server.log.starting("Chart.SeriesCollection.NewSeries").size(), 2u);
}

// Without limits the chart is as it was: no series beyond the table's.
TEST_F(ClimateLayoutTest, NoLimitsNoLines) {
  tick("23");
  run(kClimate, 3);
  EXPECT_TRUE(server.log.starting("Chart.SeriesCollection.NewSeries").empty());
  EXPECT_TRUE(has("Application.Sheets(3)"));
}

TEST_F(ClimateLayoutTest, ResultingAxesOfClimateAndTemperature) {
  struct Row {
    const char* ticked;
    const char* ref;
    ResultingAxes axes;
  };
  const Row rows[] = {
      {"234", "all", {"Температура (ºС)", "0,00", false, 3, "Напряжение (В)", "0,000", false}},
      {"234", "#", {"Температура зонда (°C)", "0,00", false, 3, "Напряжение (В)", "0,000", false}},
      {"23", "all", {"Температура (ºС)", "0,00", false, 2, "Влажность (%)", "0,00", false}},
      {"23",
       "#",
       {"Температура зонда (°C)", "0,00", false, 2, "Температура корпуса (°C)", "0,00", false}},
      {"24", "all", {"Температура (ºС)", "0,00", false, 2, "Напряжение (В)", "0,000", false}},
      {"24", "#", {"Температура зонда (°C)", "0,00", false, 2, "Напряжение (В)", "0,000", false}},
      {"34", "all", {"Влажность (%)", "0,00", false, 2, "Напряжение (В)", "0,000", false}},
      {"34", "#", {"Температура корпуса (°C)", "0,00", false, 2, "Напряжение (В)", "0,000", false}},
      {"2", "all", {"Температура (ºС)", "0,00", false, 0, "", "", false}},
      {"2", "#", {"Температура зонда (°C)", "0,00", false, 0, "", "", false}},
      {"3", "all", {"Влажность (%)", "0,00", false, 0, "", "", false}},
      {"3", "#", {"Температура корпуса (°C)", "0,00", false, 0, "", "", false}},
      {"4", "all", {"Напряжение (В)", "0,000", false, 0, "", "", false}},
      {"4", "#", {"Напряжение (В)", "0,000", false, 0, "", "", false}},
  };
  for (const Row& row : rows) {
    for (const int count : {kClimate, kTemperature}) {
      if (count == kTemperature && std::string(row.ticked).find('3') != std::string::npos) {
        continue;  // Start always unticks humidity for the temperature layout
      }
      EXPECT_EQ(runAxes(count, row.ticked, row.ref), row.axes)
          << "code " << count << ", ticked " << row.ticked << ", ref " << row.ref;
    }
  }
}

TEST_F(ClimateLayoutTest, ResultingAxesOfClimateAndLight) {
  struct Row {
    const char* ticked;
    ResultingAxes axes;
  };
  const Row rows[] = {
      {"2345", {"Температура (ºС)", "0,00", false, 3, "Освещённость (Лк)", "0,00", true}},
      {"235", {"Температура (ºС)", "0,00", false, 3, "Освещённость (Лк)", "0,00", true}},
      {"245", {"Температура (ºС)", "0,00", false, 2, "Освещённость (Лк)", "0,00", true}},
      {"25", {"Температура (ºС)", "0,00", false, 2, "Освещённость (Лк)", "0,00", true}},
      {"345", {"Влажность (%)", "0,00", false, 2, "Освещённость (Лк)", "0,00", true}},
      {"35", {"Влажность (%)", "0,00", false, 2, "Освещённость (Лк)", "0,00", true}},
      {"45", {"Напряжение (В)", "0,000", false, 1, "Освещённость (Лк)", "0,00", true}},
      {"5", {"Освещённость", "0,00", true, 0, "", "", false}},
      {"234", {"Температура (ºС)", "0,00", false, 3, "Напряжение (В)", "0,000", false}},
      {"23", {"Температура (ºС)", "0,00", false, 2, "Влажность (%)", "0,00", false}},
      {"24", {"Температура (ºС)", "0,00", false, 2, "Напряжение (В)", "0,000", false}},
      {"34", {"Влажность (%)", "0,00", false, 2, "Напряжение (В)", "0,000", false}},
      {"2", {"Температура (ºС)", "0,00", false, 0, "", "", false}},
      {"3", {"Влажность (%)", "0,00", false, 0, "", "", false}},
      {"4", {"Напряжение (В)", "0,000", false, 0, "", "", false}},
  };
  for (const Row& row : rows) {
    for (const bool logarithmic : {true, false}) {
      ResultingAxes expected = row.axes;
      expected.primaryLog = expected.primaryLog && logarithmic;
      expected.secondaryLog = expected.secondaryLog && logarithmic;
      // The two-probe marker plays no part in this layout.
      for (const char* ref : {"all", "#"}) {
        EXPECT_EQ(runAxes(kClimateLight, std::string(row.ticked) + (logarithmic ? "6" : ""), ref),
                  expected)
            << "ticked " << row.ticked << (logarithmic ? " with log" : "") << ", ref " << ref;
      }
    }
  }
}

TEST_F(ClimateLayoutTest, OnlyLightTitlesThePrimaryAxisWithTheBoxCaption) {
  host.values.CheckBox5Caption = "Освещённость";
  EXPECT_EQ(runAxes(kClimateLight, "5").primaryTitle, "Освещённость");
}

TEST_F(ClimateLayoutTest, TickFormatFallbacks) {
  server.log.failOn("Chart.Axes(2,2)", 1);  // the axis fetch of the comma form fails
  tick("234");
  session.ref = "all";
  run(kClimate, 4);
  const Lines formats = server.log.starting("Chart.Axes(2,2).TickLabels.NumberFormat");
  EXPECT_EQ(formats, (Lines{"Chart.Axes(2,2).TickLabels.NumberFormat = \"0.00\"",
                            "Chart.Axes(2,2).TickLabels.NumberFormat = \"0,000\""}));
}

TEST_F(ClimateLayoutTest, EmptyWindowNamesTheBlockFromRowTwoToRowOne) {
  session.countsttr = 1;
  tick("2");
  run(kClimate, 2);
  EXPECT_TRUE(has("Sheets(2).Range(R2C2:R1C2).NumberFormat = \"0,000000\""));
  EXPECT_TRUE(has("Sheets(2).Range(R2C1:R1C1).NumberFormatLocal = \"ДД/ММ/ГГ Ч:ММ:СС;@\""));
}

// ---- motion events ----

TEST_F(LayoutTest, MotionTableOnTheFirstSheetWithItsWidths) {
  session.List.assign(7, "line");
  run(kMotionEvents, 5);
  EXPECT_EQ(layoutActions(), (Lines{
                                 "Sheets(1).Range(R1C1:R7C5).HorizontalAlignment = 3",
                                 "Sheets(1).Range(R1C1:R1C5).Font.Bold = True",
                                 "Sheets(1).Range(R1C1:R1C1).ColumnWidth = 9",
                                 "Sheets(1).Range(R1C2:R1C2).ColumnWidth = 11",
                                 "Sheets(1).Range(R1C3:R1C3).ColumnWidth = 10",
                                 "Sheets(1).Range(R1C4:R1C4).ColumnWidth = 30",
                                 "Sheets(1).Range(R1C5:R1C5).ColumnWidth = 18",
                                 "Sheets(1).Range(R1C1:R7C5).FormulaR1C1Local = <array 8x8>",
                                 "Sheets(1).Range(R1C1:R7C5).Borders.LineStyle = 1",
                                 "Sheets(1).Range(R1C1:R7C5).Borders.Weight = 2",
                             }));
}

}  // namespace
}  // namespace vexa
