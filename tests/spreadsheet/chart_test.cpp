// Charts as the engine writes them: the chart part read back.
#include <gtest/gtest.h>

#include "spreadsheet/xml.h"
#include "support/error_text.h"
#include "support/headless_report.h"
#include "support/temp_files.h"
#include "support/xlsx_reader.h"
#include "support/xml_check.h"

namespace vexa::sheet {
namespace {

using testing::errorOf;

using testing::occurrences;

testing::ReportChoices ticked(const char* boxes) {
  testing::ReportChoices choices;
  choices.ticks = boxes;
  return choices;
}

std::string climateLight(int lines) {
  std::string text = "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)\r\n";
  for (int i = 0; i < lines; ++i) {
    char line[128];
    std::snprintf(line, sizeof line, "2021-01-02T%02d:%02d:00+03:00,%d.5,%d,%d,3.0%d\r\n", i / 60,
                  i % 60, 20 + i % 5, 40 + i % 7, (i * 37) % 900 + 1, i % 10);
    text += line;
  }
  return text;
}

// The text between the n-th <tag and its end.
std::string element(const std::string& xml, const std::string& tag, int n) {
  std::size_t at = 0;
  for (int i = 0; i <= n; ++i) {
    at = xml.find("<" + tag + ">", i == 0 ? 0 : at + 1);
    if (at == std::string::npos) {
      return {};
    }
  }
  const auto end = xml.find("</" + tag + ">", at);
  return xml.substr(at, end - at);
}

class ChartPartTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> report(const std::string& name, const std::string& text,
                                            const testing::ReportChoices& choices) {
    const std::string path = dir.write(name, text);
    return testing::readPackage(testing::HeadlessReport().run(path, choices));
  }
  testing::TempDir dir;
};

TEST_F(ChartPartTest, ClimateAndLightWithLogarithmicLightAxis) {
  const auto parts = report("light.csv", climateLight(120), ticked("23456"));
  ASSERT_EQ(parts.count("xl/charts/chart1.xml"), 1u);
  const std::string& chart = parts.at("xl/charts/chart1.xml");
  // Every part is well-formed.
  for (const auto& [name, content] : parts) {
    EXPECT_EQ(testing::xmlProblem(content), "") << name;
  }
  EXPECT_EQ(occurrences(chart, "<c:scatterChart>"), 2);
  EXPECT_EQ(occurrences(chart, "<c:ser>"), 4);
  // Light (column D) is the one series of the secondary group.
  const std::string secondary = element(chart, "c:scatterChart", 1);
  EXPECT_EQ(occurrences(secondary, "<c:ser>"), 1);
  EXPECT_NE(secondary.find("<c:f>'Лист2'!$D$1</c:f>"), std::string::npos);
  EXPECT_NE(secondary.find("<c:yVal><c:numRef><c:f>'Лист2'!$D$2:$D$121</c:f>"), std::string::npos);
  // Axes: time, primary value, hidden secondary time, secondary value on the right.
  EXPECT_EQ(occurrences(chart, "<c:valAx>"), 4);
  const std::string time = element(chart, "c:valAx", 0);
  const std::string primary = element(chart, "c:valAx", 1);
  const std::string hiddenTime = element(chart, "c:valAx", 2);
  const std::string light = element(chart, "c:valAx", 3);
  EXPECT_NE(time.find("<a:t>Время</a:t>"), std::string::npos);
  EXPECT_NE(time.find("formatCode=\"dd/mm/yy h:mm:ss;@\" sourceLinked=\"1\""), std::string::npos);
  EXPECT_NE(time.find("<a:bodyPr rot=\"-5400000\""), std::string::npos);  // labels turned 90°
  // The window is the file's span: 2 January 2021, 00:00 to 01:59.
  std::string limits = "<c:max val=\"";
  appendNumber(limits, parseDateTime("2021-01-02 01:59:00"));
  limits += "\"/><c:min val=\"44198\"/>";
  EXPECT_NE(time.find(limits), std::string::npos) << time;
  EXPECT_NE(hiddenTime.find("<c:delete val=\"1\"/>"), std::string::npos);
  EXPECT_NE(hiddenTime.find(limits), std::string::npos);
  EXPECT_NE(primary.find("<a:t>Температура (ºС)</a:t>"), std::string::npos);
  EXPECT_NE(primary.find("formatCode=\"0.00\" sourceLinked=\"0\""), std::string::npos);
  EXPECT_EQ(primary.find("logBase"), std::string::npos);
  EXPECT_NE(light.find("<c:logBase val=\"10\"/>"), std::string::npos);
  EXPECT_NE(light.find("<c:axPos val=\"r\"/>"), std::string::npos);
  EXPECT_NE(light.find("<c:crosses val=\"max\"/>"), std::string::npos);
  EXPECT_NE(light.find("<a:t>Освещённость (Лк)</a:t>"), std::string::npos);

  // The chart sheet went into the first worksheet: three sheets, one drawing.
  EXPECT_EQ(occurrences(parts.at("xl/workbook.xml"), "<sheet "), 3);
  EXPECT_EQ(parts.count("xl/chartsheets/sheet1.xml"), 0u);
  EXPECT_NE(parts.at("xl/worksheets/sheet1.xml").find("<drawing r:id=\"rId1\"/>"),
            std::string::npos);
  EXPECT_NE(parts.at("xl/drawings/drawing1.xml").find("name=\"Диаграмма 1\""), std::string::npos);
}

// The elements the spreadsheet writes, in its forms: the language first, a
// layout in the legend and in every title, no labels on the deleted axis,
// the time labels below the plot, line colours left to the theme.
TEST_F(ChartPartTest, ElementsInTheSpreadsheetsForms) {
  const auto parts = report("light.csv", climateLight(20), ticked("2345"));
  const std::string& chart = parts.at("xl/charts/chart1.xml");
  EXPECT_NE(chart.find("relationships\"><c:lang val=\"ru-RU\"/><c:chart>"), std::string::npos);
  EXPECT_NE(chart.find("<c:legend><c:legendPos val=\"r\"/><c:layout/></c:legend>"),
            std::string::npos);
  EXPECT_EQ(occurrences(chart, "</c:tx><c:layout/></c:title>"), occurrences(chart, "<c:title>"));
  EXPECT_EQ(occurrences(chart, "<c:title>"), 3);
  EXPECT_NE(element(chart, "c:valAx", 2).find("<c:tickLblPos val=\"none\"/>"), std::string::npos);
  EXPECT_NE(element(chart, "c:valAx", 0).find("<c:tickLblPos val=\"low\"/>"), std::string::npos);
  EXPECT_EQ(element(chart, "c:ser", 0).find("<c:spPr>"), std::string::npos);
  for (const char* absent :
       {"roundedCorners", "varyColors", "overlay", "TickMark", "dispBlanksAs"}) {
    EXPECT_EQ(chart.find(absent), std::string::npos) << absent;
  }
  EXPECT_NE(
      parts.at("xl/worksheets/sheet2.xml")
          .find("<cols><col min=\"1\" max=\"5\" width=\"17.7109375\" customWidth=\"1\"/></cols>"),
      std::string::npos);
}

// Readers that do not recalculate draw the chart from its caches: each
// series carries its cells' values and number formats, and its name.
TEST_F(ChartPartTest, SeriesCarryTheirCellsAsCaches) {
  const auto parts = report("light.csv", climateLight(120), ticked("2345"));
  const std::string& chart = parts.at("xl/charts/chart1.xml");
  const std::string first = element(chart, "c:ser", 0);
  const std::string x = element(first, "c:xVal", 0);
  const std::string y = element(first, "c:yVal", 0);
  EXPECT_NE(x.find("<c:formatCode>dd/mm/yy h:mm:ss;@</c:formatCode><c:ptCount val=\"120\"/>"),
            std::string::npos);
  EXPECT_EQ(occurrences(x, "<c:pt "), 120);
  EXPECT_NE(x.find("<c:pt idx=\"0\"><c:v>44198</c:v></c:pt>"), std::string::npos);  // 00:00
  std::string last = "<c:pt idx=\"119\"><c:v>";
  appendNumber(last, parseDateTime("2021-01-02 01:59:00"));
  EXPECT_NE(x.find(last + "</c:v></c:pt></c:numCache>"), std::string::npos) << x;
  EXPECT_NE(y.find("<c:formatCode>0.000000</c:formatCode><c:ptCount val=\"120\"/>"),
            std::string::npos);
  EXPECT_NE(y.find("<c:pt idx=\"0\"><c:v>20.5</c:v></c:pt><c:pt idx=\"1\"><c:v>21.5</c:v>"),
            std::string::npos);
  EXPECT_NE(first.find("<c:strCache><c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>Температура "
                       "(ºС)</c:v></c:pt></c:strCache>"),
            std::string::npos);
  // The time column, shared by the four series, is cached alike in each.
  for (int n = 1; n < 4; ++n) {
    EXPECT_EQ(element(element(chart, "c:ser", n), "c:xVal", 0), x) << n;
  }
}

// The plot area given its height is laid out as the spreadsheet writes it:
// the inner area, from the chart's edges. The chart keeps its size in points
// whatever the columns' widths.
TEST_F(ChartPartTest, PlotAreaInnerLayoutAndChartSize) {
  const auto parts = report("light.csv", climateLight(10), ticked("235"));
  const std::string& chart = parts.at("xl/charts/chart1.xml");
  const std::string layout = element(chart, "c:manualLayout", 0);
  EXPECT_EQ(layout.rfind("<c:manualLayout><c:layoutTarget val=\"inner\"/><c:xMode val=\"edge\"/>"
                         "<c:yMode val=\"edge\"/><c:x val=\"",
                         0),
            0u)
      << layout;
  for (const char* share : {"c:x", "c:y", "c:w", "c:h"}) {
    EXPECT_EQ(occurrences(layout, std::string("<") + share + " val=\""), 1) << share;
  }
  const std::string& drawing = parts.at("xl/drawings/drawing1.xml");
  EXPECT_NE(drawing.find("<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:colOff>12700<"
                         "/xdr:colOff><xdr:row>0</xdr:row><xdr:rowOff>12700</xdr:rowOff></"
                         "xdr:from><xdr:ext cx=\"8509000\" cy=\"6223000\"/>"),
            std::string::npos)
      << drawing;
}

// A window that holds no line still labels the time axis with date-times,
// the format of the time column.
TEST_F(ChartPartTest, EmptyWindowKeepsDateTimeLabelsAndCellReferences) {
  testing::ReportChoices choices = ticked("234");
  choices.from = "2030-01-01 00:00:00";
  choices.to = "2030-01-02 00:00:00";
  const auto parts = report("light.csv", climateLight(10), choices);
  const std::string& chart = parts.at("xl/charts/chart1.xml");
  // Every series still refers to cells: the blank row under the headings.
  EXPECT_EQ(occurrences(chart, "<c:ser>"), 3);
  EXPECT_EQ(occurrences(chart, "<c:xVal><c:numRef><c:f>'Лист2'!$A$2</c:f>"), 3);
  EXPECT_NE(chart.find("<c:yVal><c:numRef><c:f>'Лист2'!$D$2</c:f><c:numCache><c:formatCode>"
                       "General</c:formatCode><c:ptCount val=\"1\"/></c:numCache>"),
            std::string::npos)
      << chart;
  EXPECT_NE(
      element(chart, "c:valAx", 0).find("formatCode=\"dd/mm/yy h:mm:ss;@\" sourceLinked=\"1\""),
      std::string::npos);
}

TEST_F(ChartPartTest, ClimateBatteryOnTheSecondaryAxisWithThreePlaces) {
  const std::string climate =
      "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n"
      "2021-01-02 10:00:00,21.5,40,3.01\n2021-01-02 11:00:00,22.5,41,3.00\n";
  const auto parts = report("tag#1.csv", climate, ticked("234"));
  const std::string& chart = parts.at("xl/charts/chart1.xml");
  EXPECT_NE(element(chart, "c:valAx", 1).find("<a:t>Температура зонда (°C)</a:t>"),
            std::string::npos);
  const std::string battery = element(chart, "c:valAx", 3);
  EXPECT_NE(battery.find("<a:t>Напряжение (В)</a:t>"), std::string::npos);
  EXPECT_NE(battery.find("formatCode=\"0.000\""), std::string::npos);
  EXPECT_NE(element(chart, "c:scatterChart", 1).find("'Лист2'!$D$1"), std::string::npos);
}

TEST_F(ChartPartTest, PairedValuesWithLimitsOrLogarithmic) {
  const std::string paired =
      "Date,Time, Lux A,Time, Lux B\n"
      "2021-03-01,10:00:00,5.5,09:00:00,7\n2021-03-01,11:00:00,6,10:30:00,800\n";
  auto parts = report("room_light.csv", paired, ticked(""));
  std::string chart = parts.at("xl/charts/chart1.xml");
  EXPECT_EQ(occurrences(chart, "<c:ser>"), 2);
  EXPECT_EQ(occurrences(chart, "<c:scatterChart>"), 1);
  EXPECT_NE(element(chart, "c:valAx", 1).find("<c:max val=\"800\"/><c:min val=\"5.5\"/>"),
            std::string::npos);
  EXPECT_NE(element(chart, "c:valAx", 0).find("<c:tickLblPos val=\"low\"/>"), std::string::npos);
  EXPECT_NE(element(chart, "c:valAx", 1).find("<a:t>Освещённость (Лк)</a:t>"), std::string::npos);
  // The series refer to the data sheet and carry their names.
  EXPECT_NE(chart.find("<c:f>'Лист2'!$A$2:$A$3</c:f>"), std::string::npos);
  EXPECT_NE(chart.find("<c:v> Lux B</c:v>"), std::string::npos);

  parts = report("room_light.csv", paired, ticked("7"));
  chart = parts.at("xl/charts/chart1.xml");
  EXPECT_NE(element(chart, "c:valAx", 1).find("<c:logBase val=\"10\"/>"), std::string::npos);
  EXPECT_EQ(chart.find("<c:max "), std::string::npos);
}

TEST_F(ChartPartTest, ImpossibleLimitsAreLeftToTheAutomaticScale) {
  // A window whose values are all empty leaves the starting bounds, minimum
  // above maximum; the file must still be sound.
  const std::string paired =
      "Date,Time, T1,Time, T2\n2021-03-01,10:00:00,,09:00:00,\n2021-03-01,11:00:00,,10:30:00,\n";
  const auto parts = report("flat.csv", paired, ticked(""));
  const std::string value = element(parts.at("xl/charts/chart1.xml"), "c:valAx", 1);
  EXPECT_EQ(value.find("<c:max "), std::string::npos);
  EXPECT_EQ(value.find("<c:min "), std::string::npos);
}

// Limits on the chart: a dashed line each, red above and blue below, from
// the third sheet's cells; the summary's numbers read back as they were.
TEST_F(ChartPartTest, LimitLinesAndTheSummarySheet) {
  testing::ReportChoices choices = ticked("23");
  choices.limits = {"temperature=-25:-15"};
  const auto parts = report("light.csv", climateLight(30), choices);
  const std::string& chart = parts.at("xl/charts/chart1.xml");
  EXPECT_EQ(occurrences(chart, "<c:ser>"), 4);
  EXPECT_EQ(occurrences(chart, "<a:prstDash val=\"dash\"/>"), 2);
  EXPECT_NE(chart.find("<c:spPr><a:ln w=\"19050\"><a:solidFill><a:srgbClr val=\"C00000\"/>"
                       "</a:solidFill><a:prstDash val=\"dash\"/></a:ln></c:spPr>"),
            std::string::npos);
  EXPECT_NE(chart.find("<a:srgbClr val=\"0070C0\"/>"), std::string::npos);
  EXPECT_NE(chart.find("<c:f>'Лист3'!$A$"), std::string::npos);
  EXPECT_NE(chart.find("<c:v>Верхний предел: -15</c:v>"), std::string::npos);

  const std::string& summary = parts.at("xl/worksheets/sheet3.xml");
  EXPECT_EQ(testing::xmlProblem(summary), "");
  // "Минимум" of the temperature (column B): 20.5, exactly, as a number.
  EXPECT_NE(summary.find("<c r=\"B9\" s=\""), std::string::npos) << summary;
  EXPECT_NE(summary.find("\"><v>20.5</v></c>"), std::string::npos);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Выше верхнего предела: выходов"),
            std::string::npos);
  // Without limits the chart holds the table's series only.
  EXPECT_EQ(
      occurrences(report("light.csv", climateLight(30), ticked("23")).at("xl/charts/chart1.xml"),
                  "<c:ser>"),
      2);
}

TEST_F(ChartPartTest, StateAndMotionReportsHaveNoChart) {
  auto parts = report("doors.csv", "Date,Time, Door\n2021-03-01,10:00:00,Opened\n", ticked(""));
  EXPECT_EQ(parts.count("xl/charts/chart1.xml"), 0u);
  parts =
      report("events.csv",
             "Date,Time,Type,Duration(seconds), Angle(degrees)\n01/02/2021,10:00:00,Moved,2.5,10\n",
             ticked(""));
  EXPECT_EQ(parts.count("xl/charts/chart1.xml"), 0u);
  // The table is on the first sheet, the second stays empty, the third
  // holds the summary.
  EXPECT_NE(parts.at("xl/worksheets/sheet1.xml").find("<c "), std::string::npos);
  EXPECT_EQ(parts.at("xl/worksheets/sheet2.xml").find("<c "), std::string::npos);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Сводка по выгрузке"), std::string::npos);
  EXPECT_NE(parts.at("xl/worksheets/sheet3.xml").find("<c r=\"A1\""), std::string::npos);
}

// The lifecycle saved the empty workbook before the layout failed; the batch
// program's report only takes its name when complete, so nothing is left.
TEST_F(ChartPartTest, NoPairInTheWindowEndsWithAPlainErrorAndLeavesNoWorkbook) {
  const std::string path =
      dir.write("late.csv", "Date,Time, T1\n2021-03-01,10:00:00,1\n2021-03-01,11:00:00,2\n");
  try {
    testing::ReportChoices choices = ticked("");
    choices.from = "2022-01-01 00:00:00";
    choices.to = "2022-01-02 00:00:00";
    testing::HeadlessReport().run(path, choices);
    FAIL();
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("столбец 0"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "late-070121_153045.xlsx"));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename(), "late.csv");
  }
}

class ChartMembersTest : public ::testing::Test {
 protected:
  ChartMembersTest() : engine(EngineOptions{}) {
    app = engine.attach();
    book = app->Workbooks()->Add();
    sheet = app->Sheets(2);
    chart = book->Charts()->Add(nullptr, sheet, 1);
  }
  Engine engine;
  xl::ApplicationPtr app;
  xl::WorkbookPtr book;
  xl::WorksheetPtr sheet;
  xl::ChartPtr chart;
};

TEST_F(ChartMembersTest, FailWhereASpreadsheetWould) {
  chart->SetSourceData(*sheet->Range(*sheet->Cells(1, 1), *sheet->Cells(5, 3)), 2);
  EXPECT_NE(errorOf([&] { chart->SeriesCollection(3); }).find("Ряда с номером 3"),
            std::string::npos);
  EXPECT_NE(errorOf([&] { chart->Axes(2, 2); }).find("Вспомогательной оси"), std::string::npos);
  EXPECT_NE(errorOf([&] { chart->Location(2, "Лист9"); }).find("Листа \"Лист9\""),
            std::string::npos);
  EXPECT_NE(errorOf([&] {
              chart->SeriesCollection()->NewSeries()->setValues("=Sheet2!R1C1:R2C1");
            }).find("Листа \"Sheet2\""),
            std::string::npos);
  EXPECT_NE(
      errorOf([&] { chart->SeriesCollection(1)->setXValues("=Лист2!A1:A5"); }).find("не читается"),
      std::string::npos);
  EXPECT_NE(errorOf([&] { chart->setChartType(4); }).find("не поддерживается"), std::string::npos);
  // The chart sheet stands after the data sheet until Location moves it.
  EXPECT_EQ(app->Sheets(3)->Name(), "Диаграмма1");
  const auto placed = chart->Location(2, "Лист1");
  EXPECT_EQ(app->Sheets(3)->Name(), "Лист3");
  EXPECT_EQ(app->Sheets(1)->ChartObjects()->Count(), 1);
  EXPECT_NE(errorOf([&] { chart->setName("x"); }).find("перенесена"), std::string::npos);
  placed->SeriesCollection(2)->setAxisGroup(2);
  EXPECT_EQ(errorOf([&] { placed->Axes(2, 2)->setScaleType(-4133); }), "no error");
  EXPECT_NE(errorOf([&] { placed->Axes(1, 1)->AxisTitle(); }).find("HasTitle"), std::string::npos);
}

}  // namespace
}  // namespace vexa::sheet
