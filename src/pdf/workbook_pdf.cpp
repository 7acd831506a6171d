#include "pdf/workbook_pdf.h"

#include "spreadsheet/chart_figure.h"
#include "spreadsheet/engine.h"

namespace vexa::pdf {

PdfReportInput pdfInputOf(const xl::Workbook& workbook, const ReportSummary& summary,
                          const ReportControls& controls, const CivilDateTime& madeAt) {
  PdfReportInput input;
  input.summary = summary;
  const std::string& places = controls.ComboBox1;
  input.decimals = places.size() == 1 && places[0] >= '0' && places[0] <= '8' ? places[0] - '0' : 6;
  if (const sheet::WorkbookModel* model = sheet::modelOf(workbook)) {
    input.chart = sheet::chartFigure(*model);
  }
  input.madeAt = madeAt;
  input.version = VEXA_VERSION;
  input.regularFont = reportFont("LiberationSans-Regular.ttf");
  input.boldFont = reportFont("LiberationSans-Bold.ttf");
  return input;
}

}  // namespace vexa::pdf
