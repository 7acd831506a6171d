// The chart parts of the package: a drawing per sheet that shows charts, and
// a DrawingML chart part per chart.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "spreadsheet/package.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

using ContentTypes = std::vector<std::pair<std::string, std::string>>;  // (part, type)

class ChartPartWriter {
 public:
  // The drawing with a worksheet's embedded charts, and their chart parts;
  // returns the drawing's file name ("drawing1.xml").
  std::string addWorksheetDrawing(const SheetModel& sheet, const WorkbookModel& model,
                                  std::vector<PackagePart>& parts, ContentTypes& types);

  // The same for a chart sheet's one chart.
  std::string addChartSheetDrawing(const SheetModel& sheet, const WorkbookModel& model,
                                   std::vector<PackagePart>& parts, ContentTypes& types);

 private:
  struct PlacedChart {
    const ChartModel* chart;
    double width;  // of the chart object, in points
    double height;
  };
  std::string addDrawing(const std::string& anchors, const std::vector<PlacedChart>& charts,
                         const WorkbookModel& model, std::vector<PackagePart>& parts,
                         ContentTypes& types);
  int drawings_ = 0;
  int charts_ = 0;
};

// The chart part of one chart whose object is `width` × `height` points.
// Series carry their cells' values as caches beside the references.
std::string chartPart(const ChartModel& chart, const WorkbookModel& model, double width,
                      double height);

// The part of a chart sheet (its drawing is relationship rId1).
std::string chartSheetPart(bool selected);

}  // namespace vexa::sheet
