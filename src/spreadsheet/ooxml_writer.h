// The workbook's package parts in Office Open XML (SpreadsheetML): one writer
// per part, the elements in the order the schemas require.
#pragma once

#include <string>
#include <vector>

#include "spreadsheet/package.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

// "A", "B", ..., "Z", "AA", ... for column 1, 2, ...
std::string columnName(int column);

// "B3" for row 3, column 2.
std::string cellReference(int row, int column);

// Every part of the workbook's package, [Content_Types].xml first; the charts
// carry cached values when `chartCaches` is set.
std::vector<PackagePart> workbookParts(const WorkbookModel& model, bool chartCaches = false);

}  // namespace vexa::sheet
