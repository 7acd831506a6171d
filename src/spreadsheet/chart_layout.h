// Where the plot area of a chart stands, as the spreadsheet lays it out when
// its height is set: the inner plot area (the rectangle the axes enclose) as
// shares of the chart's width and height, measured from the chart's top left
// corner. Room is left around it for what the reader draws outside: tick
// labels, axis titles and the legend, estimated from their texts in the
// charts' default font (Calibri 10 pt).
#pragma once

#include <string_view>

#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

struct PlotLayout {
  double x = 0;
  double y = 0;
  double w = 1;
  double h = 1;
};

// The inner plot area of `chart` in a chart object of `width` × `height`
// points whose plot area (tick labels included, axis titles not) was given
// `plotAreaHeight` points; `timeFormat` is the number format its time axis
// follows.
PlotLayout plotLayout(const ChartModel& chart, const WorkbookModel& model, double width,
                      double height, double plotAreaHeight, std::string_view timeFormat);

// The width in points of `text` in Calibri 10 pt, nearly.
double textWidth(std::string_view text);

// The widest label a number format gives a value between `low` and `high`
// ("0.00" over -25..-15 gives "-25.00"); date-time formats give their
// longest form.
std::string widestLabel(std::string_view formatCode, double low, double high);

}  // namespace vexa::sheet
