#include "report/report_layouts.h"

#include <algorithm>
#include <stdexcept>

#include "input/formats.h"
#include "platform/files.h"

namespace vexa {

namespace {

using xl::xlCategory;
using xl::xlPrimary;
using xl::xlSecondary;
using xl::xlValue;

constexpr std::string_view kDateTimeFormatLocal = "ДД/ММ/ГГ Ч:ММ:СС;@";

// The worksheet's block between cells (r1, c1) and (r2, c2).
xl::RangePtr block(const xl::WorksheetPtr& sheet, int r1, int c1, int r2, int c2) {
  return sheet->Range(*sheet->Cells(r1, c1), *sheet->Cells(r2, c2));
}

// Axis title: HasTitle, then the text, the axis fetched afresh for each.
void setTitle(const xl::ChartPtr& chart, int type, int group, std::string_view text) {
  chart->Axes(type, group)->setHasTitle(true);
  chart->Axes(type, group)->AxisTitle()->Characters()->setText(text);
}

// Tick-label format with its fallback: a failure of the first statement (the
// axis fetch included) is caught once; the fallback is not guarded.
void setTickFormat(const xl::ChartPtr& chart, int type, int group, std::string_view format,
                   std::string_view fallback) {
  try {
    chart->Axes(type, group)->TickLabels()->setNumberFormat(format);
  } catch (const std::exception&) {
    chart->Axes(type, group)->TickLabels()->setNumberFormat(fallback);
  }
}

void moveToSecondary(LayoutContext& c, int series) {
  c.chart->SeriesCollection(series)->setAxisGroup(xlSecondary);
  c.chart->SeriesCollection(series)->setMarkerStyle(xl::xlMarkerStyleNone);
  c.secondarySeries = series;
}

// Steps C1 to C7: a chart sheet after the data sheet, moved into the first
// worksheet and placed there. `source` is the block that seeds the chart.
xl::ChartPtr placeChart(LayoutContext& c, int sourceRows, int sourceColumns) {
  AutomationComponents& k = c.components;
  xl::ChartPtr chart = k.WB->Charts()->Add(nullptr, k.ASheet, 1);
  chart->setName("Отчет 1");
  chart->setChartType(xl::xlXYScatterSmoothNoMarkers);
  chart->SetSourceData(*block(k.ASheet, 1, 1, sourceRows, sourceColumns), xl::xlColumns);
  try {
    chart = chart->Location(xl::xlLocationAsObject, "Лист1");
  } catch (const std::exception&) {
    chart = chart->Location(xl::xlLocationAsObject, "Sheet1");
  }
  k.ASheet = k.XL->Sheets(1);
  const int n = k.ASheet->ChartObjects()->Count();
  const xl::ShapePtr shape = k.ASheet->Shapes(n);
  shape->setLeft(1);
  shape->setTop(1);
  shape->setWidth(670);
  shape->setHeight(490);
  chart->PlotArea()->setHeight(411.845);
  return chart;
}

// Paired columns (100, 101): the table, and for 100 the chart.
void pairedColumnsLayout(LayoutContext& c) {
  const Session& g = c.session;
  const xl::WorksheetPtr& sheet = c.components.ASheet;
  const int columns = 2 * g.datc;
  // T1-T8.
  block(sheet, 1, 1, g.countstt, g.coung)->setHorizontalAlignment(xl::xlHAlignCenter);
  block(sheet, 1, 1, 1, columns)->Font()->setBold(true);
  block(sheet, 1, 1, 1, columns)->setColumnWidth(17);
  const xl::RangePtr range = block(sheet, 1, 1, g.countstt, g.coung);
  range->setFormulaR1C1Local(c.Arr);
  const std::string combo = numberFormatFor(c.controls.ComboBox1);
  for (int i = 2; i <= columns; i += 2) {
    block(sheet, 2, i, g.countstt, i)->setNumberFormat(combo);
  }
  for (int i = 1; i <= columns; i += 2) {
    block(sheet, 2, i, g.countstt, i)->setNumberFormatLocal(kDateTimeFormatLocal);
  }
  range->Borders()->setLineStyle(xl::xlContinuous);
  range->Borders()->setWeight(xl::xlThin);
  if (c.count == kPairedState) {
    return;
  }

  // C1-C7.
  const xl::ChartPtr chart = placeChart(c, g.countstt, 2);
  c.chart = chart;
  // C8: the seeded series go; either may be missing.
  for (const int index : {2, 1}) {
    try {
      chart->SeriesCollection(index)->Delete();
    } catch (const std::exception&) {
    }
  }
  // C9: one series per column pair, always naming the sheet "Лист2".
  const int m = g.coung / 2;
  if (m >= 1) {
    try {
      const std::string last = std::to_string(g.countstt - 1);
      for (int j = 1; j <= m; ++j) {
        const std::string x = std::to_string(2 * j - 1);
        const std::string y = std::to_string(2 * j);
        const xl::SeriesPtr series = chart->SeriesCollection()->NewSeries();
        series->setName("=Лист2!R1C" + y + ":R1C" + y);
        series->setXValues("=Лист2!R2C" + x + ":R" + last + "C" + x);
        series->setValues("=Лист2!R2C" + y + ":R" + last + "C" + y);
        series->setMarkerStyle(xl::xlMarkerStyleNone);
      }
    } catch (const std::exception&) {
    }
  }

  // A1-A5.
  chart->Axes(xlCategory, xlPrimary)->setHasTitle(true);
  chart->Axes(xlCategory, xlPrimary)->AxisTitle()->Characters()->setText("Время");
  chart->Axes(xlCategory, xlPrimary)->setTickLabelPosition(xl::xlTickLabelPositionLow);
  const std::string nameosn = pairedValueTitle(c.controls.OpenDialog1FileName);
  if (nameosn != "false") {
    setTitle(chart, xlValue, xlPrimary, nameosn);
  }
  setTickFormat(chart, xlValue, xlPrimary, "0,00", "0.00");
  if (c.controls.CheckBox7) {
    chart->Axes(xlValue, xlPrimary)->setScaleType(xl::xlScaleLogarithmic);
  } else {
    chart->Axes(xlCategory, xlPrimary)->setMaximumScale(c.OsMax1);
    chart->Axes(xlCategory, xlPrimary)->setMinimumScale(c.OsMin1);
    // The value axis spans the values, and the limits set, so that their
    // lines are in view.
    double high = g.OsMax21;
    double low = g.OsMin21;
    if (low <= high) {
      for (const auto& [series, limits] : c.controls.limits) {
        high = limits.high ? std::max(high, *limits.high) : high;
        low = limits.low ? std::min(low, *limits.low) : low;
        high = limits.low ? std::max(high, *limits.low) : high;
        low = limits.high ? std::min(low, *limits.high) : low;
      }
    }
    chart->Axes(xlValue, xlPrimary)->setMaximumScale(high);
    chart->Axes(xlValue, xlPrimary)->setMinimumScale(low);
  }
}

// Climate family (3, 6, 9): the table, the chart, the axes by quantity.
void climateLayout(LayoutContext& c) {
  const int rows = c.session.countsttr;
  const xl::WorksheetPtr& sheet = c.components.ASheet;
  const ReportControls& boxes = c.controls;
  // Table.
  block(sheet, 1, 1, rows, c.s)->setHorizontalAlignment(xl::xlHAlignCenter);
  block(sheet, 1, 1, 1, c.s)->Font()->setBold(true);
  block(sheet, 1, 1, 1, c.s)->setColumnWidth(17);
  const xl::RangePtr range = block(sheet, 1, 1, rows, c.s);
  const std::string combo = numberFormatFor(boxes.ComboBox1);
  block(sheet, 2, 2, rows, c.s)->setNumberFormat(combo);
  block(sheet, 2, 1, rows, 1)->setNumberFormatLocal(kDateTimeFormatLocal);
  range->setFormulaR1C1Local(c.Arr);
  range->Borders()->setLineStyle(xl::xlContinuous);
  range->Borders()->setWeight(xl::xlThin);

  // Chart, seeded with the whole table: its series are the chart's series.
  const xl::ChartPtr chart = placeChart(c, rows, c.s);
  c.chart = chart;

  // Axes shared by the three layouts.
  setTickFormat(chart, xlValue, xlPrimary, "0,00", "0.00");
  chart->Axes(xlCategory, xlPrimary)->TickLabels()->setOrientation(90);
  // The time labels stand below the plot whatever the values' signs, so
  // that they never run over the lines (below-zero freezers).
  chart->Axes(xlCategory, xlPrimary)->setTickLabelPosition(xl::xlTickLabelPositionLow);
  chart->Axes(xlCategory, xlPrimary)->setMinimumScale(c.OsMin1);
  chart->Axes(xlCategory, xlPrimary)->setMaximumScale(c.OsMax1);
  setTitle(chart, xlCategory, xlPrimary, "Время");

  const bool twoProbe = c.session.ref == "#";
  const char* temperature = twoProbe ? "Температура зонда (°C)" : "Температура (ºС)";
  const char* humidity = twoProbe ? "Температура корпуса (°C)" : "Влажность (%)";
  if (c.count == kClimate || c.count == kTemperature) {
    const int lin = boxes.CheckBox2 + boxes.CheckBox3 + boxes.CheckBox4;
    if (boxes.CheckBox2) {
      setTitle(chart, xlValue, xlPrimary, temperature);
    } else if (boxes.CheckBox3) {
      setTitle(chart, xlValue, xlPrimary, humidity);
    } else {
      setTickFormat(chart, xlValue, xlPrimary, "0,000", "0.000");
      setTitle(chart, xlValue, xlPrimary, "Напряжение (В)");
    }
    if (lin > 1) {
      moveToSecondary(c, lin);
      setTickFormat(chart, xlValue, xlSecondary, "0,00", "0.00");
      if (boxes.CheckBox3) {
        setTitle(chart, xlValue, xlSecondary, humidity);
      }
      if (boxes.CheckBox4) {
        setTickFormat(chart, xlValue, xlSecondary, "0,000", "0.000");
        setTitle(chart, xlValue, xlSecondary, "Напряжение (В)");
      }
    }
    return;
  }

  // Climate and light (6); the two-probe marker plays no part here.
  const bool others = boxes.CheckBox2 || boxes.CheckBox3 || boxes.CheckBox4;
  if (boxes.CheckBox2) {
    setTitle(chart, xlValue, xlPrimary, "Температура (ºС)");
  } else if (boxes.CheckBox3) {
    setTitle(chart, xlValue, xlPrimary, "Влажность (%)");
  } else if (boxes.CheckBox4) {
    setTitle(chart, xlValue, xlPrimary, "Напряжение (В)");
    setTickFormat(chart, xlValue, xlPrimary, "0,000", "0.000");
  } else {
    setTitle(chart, xlValue, xlPrimary, boxes.CheckBox5Caption);
  }
  if (boxes.CheckBox5 && others) {
    const int lin = 3 - !boxes.CheckBox2 - !boxes.CheckBox3;  // the light series
    moveToSecondary(c, lin);
    setTitle(chart, xlValue, xlSecondary, "Освещённость (Лк)");
    if (boxes.CheckBox6) {
      chart->Axes(xlValue, xlSecondary)->setScaleType(xl::xlScaleLogarithmic);
    }
    setTickFormat(chart, xlValue, xlSecondary, "0,00", "0.00");
  }
  if (boxes.CheckBox5 && !others) {
    if (boxes.CheckBox6) {
      chart->Axes(xlValue, xlPrimary)->setScaleType(xl::xlScaleLogarithmic);
    }
    setTickFormat(chart, xlValue, xlPrimary, "0,00", "0.00");
  }
  if (!boxes.CheckBox5) {
    const int lin = boxes.CheckBox2 + boxes.CheckBox3 + boxes.CheckBox4;
    if (lin > 1) {
      moveToSecondary(c, lin);
      setTickFormat(chart, xlValue, xlSecondary, "0,00", "0.00");
      if (boxes.CheckBox3) {
        setTitle(chart, xlValue, xlSecondary, "Влажность (%)");
      }
      if (boxes.CheckBox4) {
        setTickFormat(chart, xlValue, xlSecondary, "0,000", "0.000");
        setTitle(chart, xlValue, xlSecondary, "Напряжение (В)");
      }
    }
  }
}

// Motion events (5): the event table on the first sheet, no chart.
void motionLayout(LayoutContext& c) {
  const int n = static_cast<int>(c.session.List.size());
  const xl::WorksheetPtr& sheet = c.components.ASheet;
  block(sheet, 1, 1, n, 5)->setHorizontalAlignment(xl::xlHAlignCenter);
  block(sheet, 1, 1, 1, 5)->Font()->setBold(true);
  static constexpr double kWidths[] = {9, 11, 10, 30, 18};
  for (int column = 1; column <= 5; ++column) {
    block(sheet, 1, column, 1, column)->setColumnWidth(kWidths[column - 1]);
  }
  const xl::RangePtr range = block(sheet, 1, 1, n, 5);
  range->setFormulaR1C1Local(c.Arr);
  range->Borders()->setLineStyle(xl::xlContinuous);
  range->Borders()->setWeight(xl::xlThin);
}

}  // namespace

// The number format of the value cells for the selected decimal places:
// "0" for none, otherwise "0," and that many zeros.
std::string numberFormatFor(const std::string& places) {
  if (places.size() != 1 || places[0] < '0' || places[0] > '8') {
    throw std::invalid_argument("Число десятичных знаков должно быть от 0 до 8.");
  }
  const int count = places[0] - '0';
  return count == 0 ? std::string("0") : "0," + std::string(static_cast<std::size_t>(count), '0');
}

// The value-axis title of a paired-column export, from keywords in its file
// name; the last keyword found wins. "false" means no title.
std::string pairedValueTitle(const std::string& fileName) {
  std::string nameos(platform::fileNameOf(fileName));
  const auto dot = nameos.rfind('.');
  if (dot != std::string::npos) {
    // The first occurrence of the extension goes, dot included.
    const std::string extension = nameos.substr(dot);
    nameos.erase(nameos.find(extension), extension.size());
  }
  struct Keyword {
    const char* word;
    const char* title;
  };
  static constexpr Keyword kKeywords[] = {
      {"dp", "Точка росы"},
      {"temper", "Температура (ºС)"},
      {"cap", "Влажность (%)"},
      {"battery", "Напряжение (В)"},
      {"signal", "Уровень сигнала (дБм)"},
      {"light", "Освещённость (Лк)"},
  };
  std::string nameosn = "false";
  for (const Keyword& keyword : kKeywords) {
    if (nameos.find(keyword.word) != std::string::npos) {
      nameosn = keyword.title;
    }
  }
  return nameosn;
}

void buildLayout(LayoutContext& context) {
  switch (context.count) {
    case kPairedNumeric:
    case kPairedState:
      pairedColumnsLayout(context);
      break;
    case kClimate:
    case kClimateLight:
    case kTemperature:
      climateLayout(context);
      break;
    case kMotionEvents:
      motionLayout(context);
      break;
    default:
      break;
  }
}

}  // namespace vexa
