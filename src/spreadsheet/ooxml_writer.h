// The workbook's package parts in Office Open XML (SpreadsheetML): one writer
// per part, the elements in the order the schemas require.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/package.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

// "A", "B", ..., "Z", "AA", ... for column 1, 2, ...
std::string columnName(int column);

// "B3" for row 3, column 2.
std::string cellReference(int row, int column);

// The engine's name as the application object gives it.
inline constexpr std::string_view kApplicationName = "Vexa_Сhart";

// The application and version a workbook's properties name: the parts are
// written as that version of the spreadsheet writes them, and readers take
// the defaults of the elements it leaves out from this (LibreOffice reads
// an absent axis deletion, tick marks or rounded corners by it).
inline constexpr std::string_view kPackageApplication = "Microsoft Excel";
inline constexpr std::string_view kPackageApplicationVersion = "12.0000";

// Every part of the workbook's package, [Content_Types].xml first. The
// sheets and charts are built when the package is assembled: `model` must
// stay unchanged until then.
std::vector<PackagePart> workbookParts(const WorkbookModel& model);

}  // namespace vexa::sheet
