// A workbook's chart as the plot draws it: the same series on the same axes,
// with their titles, scales, limit lines and legend, for the PDF report.
#pragma once

#include <optional>
#include <vector>

#include "plot/chart.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

// The first chart of the workbook, its series' points read from their
// cells; none when the workbook has no chart.
std::optional<plot::ChartFigure> chartFigure(const WorkbookModel& model);

// The charts of the workbook, in the order of its sheets: chart sheets and
// those embedded in worksheets.
std::vector<const ChartModel*> chartsOf(const WorkbookModel& model);

// Every chart of the workbook as the plot draws it; and one chart.
std::vector<plot::ChartFigure> chartFigures(const WorkbookModel& model);
plot::ChartFigure figureOf(const WorkbookModel& model, const ChartModel& chart);

}  // namespace vexa::sheet
