// The PDF report: the record an auditor files and signs. Its first page, A4
// landscape, holds the export's name, the window, when the report was made
// and by which version, the report's chart and the verdict with each limit's
// figures; the pages that follow, A4 portrait, the summary of the third
// sheet (the figures of each series, the excursions, the gaps and the
// journal day by day); the last one the sign-off lines and the export's
// SHA-256. Every page says «Стр. N из M». The figures are the third sheet's,
// shown with its decimal places.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "input/datetime.h"
#include "plot/chart.h"
#include "report/overview.h"
#include "report/summary.h"

namespace vexa::pdf {

struct PdfReportInput {
  ReportSummary summary;
  int decimals = 6;                        // the report's value places
  std::optional<plot::ChartFigure> chart;  // the report's chart; none for a table only
  CivilDateTime madeAt;                    // when the report was made
  std::string version;                     // the program's
  std::string regularFont;                 // TrueType files of the text and the headings
  std::string boldFont;
};

// The PDF's bytes. Raises std::runtime_error with a text for the user when
// the fonts do not load or the document cannot be made.
std::string pdfReport(const PdfReportInput& input);

// The PDF of a comparison of several tags: the overview table, a chart per
// quantity (a line per tag), then a page for each tag as its own report's
// first page.
struct ComparisonPdfInput {
  Overview overview;
  std::vector<std::pair<std::string, plot::ChartFigure>> charts;  // the quantity, its chart
  std::vector<PdfReportInput> tags;  // each tag's report (its summary and its chart)
  CivilDateTime madeAt;
  std::string version;
  std::string regularFont;
  std::string boldFont;
};
std::string comparisonPdf(const ComparisonPdfInput& input);

// The TrueType file `name` ("LiberationSans-Regular.ttf") of the report's
// font: beside the program (in its "fonts" folder), where the package puts
// it, or where the system keeps it. Raises std::runtime_error when none is
// there.
std::string reportFont(const std::string& name);

// "отчёт.pdf" for "отчёт.xlsx" (or for "отчёт"): the PDF beside a workbook.
std::string pdfPathFor(const std::string& workbookPath);

}  // namespace vexa::pdf
