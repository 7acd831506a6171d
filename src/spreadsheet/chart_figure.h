// A workbook's chart as the plot draws it: the same series on the same axes,
// with their titles, scales, limit lines and legend, for the PDF report.
#pragma once

#include <optional>

#include "plot/chart.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

// The first chart of the workbook, its series' points read from their
// cells; none when the workbook has no chart.
std::optional<plot::ChartFigure> chartFigure(const WorkbookModel& model);

}  // namespace vexa::sheet
