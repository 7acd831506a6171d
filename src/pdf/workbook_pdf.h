// The PDF report of a report the program's own spreadsheet engine built: the
// workbook's chart, the summary on its third sheet, the report's decimal
// places, and the fonts that ship with the program.
#pragma once

#include <string>

#include "input/datetime.h"
#include "pdf/pdf_report.h"
#include "report/automation.h"
#include "report/excel_report.h"
#include "report/summary.h"
#include "spreadsheet/comparison.h"

namespace vexa::pdf {

PdfReportInput pdfInputOf(const xl::Workbook& workbook, const ReportSummary& summary,
                          const ReportControls& controls, const CivilDateTime& madeAt);

// The PDF of a finished comparison: its overview, its workbook's charts and
// each tag's own chart and summary, with the report's decimal places.
ComparisonPdfInput comparisonInputOf(const sheet::ComparisonBook& book,
                                     const sheet::WorkbookModel& workbook, int decimals,
                                     const CivilDateTime& madeAt);

}  // namespace vexa::pdf
