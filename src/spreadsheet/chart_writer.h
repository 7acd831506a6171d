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

// Writes chart caches (the points' values) beside the cell references when set.
struct ChartWriteOptions {
  bool cachedValues = false;
};

class ChartPartWriter {
 public:
  explicit ChartPartWriter(ChartWriteOptions options = {}) : options_(options) {}

  // The drawing with a worksheet's embedded charts, and their chart parts;
  // returns the drawing's file name ("drawing1.xml").
  std::string addWorksheetDrawing(const SheetModel& sheet, const WorkbookModel& model,
                                  std::vector<PackagePart>& parts, ContentTypes& types);

  // The same for a chart sheet's one chart.
  std::string addChartSheetDrawing(const SheetModel& sheet, const WorkbookModel& model,
                                   std::vector<PackagePart>& parts, ContentTypes& types);

 private:
  std::string addDrawing(const std::string& anchors, const std::vector<const ChartModel*>& charts,
                         const WorkbookModel& model, std::vector<PackagePart>& parts,
                         ContentTypes& types);

  ChartWriteOptions options_;
  int drawings_ = 0;
  int charts_ = 0;
};

// The chart part of one chart.
std::string chartPart(const ChartModel& chart, const WorkbookModel& model,
                      const ChartWriteOptions& options);

// The part of a chart sheet (its drawing is relationship rId1).
std::string chartSheetPart(bool selected);

}  // namespace vexa::sheet
