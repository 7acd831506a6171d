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

ComparisonPdfInput comparisonInputOf(const sheet::ComparisonBook& book,
                                     const sheet::WorkbookModel& workbook, int decimals,
                                     const CivilDateTime& madeAt) {
  ComparisonPdfInput input;
  input.overview = book.overview();
  for (plot::ChartFigure& figure : sheet::chartFigures(workbook)) {
    const std::string quantity = figure.axes[0].title;  // the value axis names the quantity
    input.charts.emplace_back(quantity, std::move(figure));
  }
  input.madeAt = madeAt;
  input.version = VEXA_VERSION;
  input.regularFont = reportFont("LiberationSans-Regular.ttf");
  input.boldFont = reportFont("LiberationSans-Bold.ttf");
  for (std::size_t e = 0; e < book.exports().size(); ++e) {
    PdfReportInput tag;
    tag.summary = book.exports()[e].summary;
    tag.decimals = decimals;
    tag.chart = book.figures()[e];
    tag.madeAt = madeAt;
    tag.version = input.version;
    tag.regularFont = input.regularFont;
    tag.boldFont = input.boldFont;
    input.tags.push_back(std::move(tag));
  }
  return input;
}

}  // namespace vexa::pdf
