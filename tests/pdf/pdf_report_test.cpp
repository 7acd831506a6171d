// The PDF report's pages: the first in landscape, the summary's in portrait,
// as many as the summary needs; the same bytes for the same report; a font
// that does not load says so; the PDF's name beside the workbook's.
#include "pdf/pdf_report.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/error_text.h"

namespace vexa::pdf {
namespace {

// A report of one series over `days` days, with a limit and its figures.
PdfReportInput reportOf(int days) {
  PdfReportInput input;
  ReportSummary& s = input.summary;
  s.exportName = "Морозильник №2.csv";
  s.sha256 = std::string(64, 'a');
  s.windowStart = 44207.0;
  s.windowEnd = 44207.0 + days;
  s.readings = days * 144LL;
  s.verdict = Verdict::Alarm;
  SummarySeries series;
  series.key = "temperature";
  series.name = "Температура (ºС)";
  s.series.push_back(series);
  s.rows.push_back({"Показаний", FigureKind::Count, {static_cast<double>(s.readings)}, {{}}});
  s.rows.push_back({"Верхний предел", FigureKind::Value, {-15.0}, {{}}});
  s.rows.push_back({"Выше верхнего предела: выходов", FigureKind::Count, {3.0}, {{}}});
  s.rows.push_back({"Выше верхнего предела: итог", FigureKind::Verdict, {{}}, {"Тревога"}});
  JournalSeries journal;
  journal.high = true;
  for (int day = 0; day < days; ++day) {
    s.journalDays.push_back(44207 + day);
    DayFigures figures;
    figures.day = 44207 + day;
    figures.readings = 144;
    figures.minimum = -20;
    figures.maximum = -14;
    journal.days.push_back(figures);
  }
  s.journal.push_back(journal);
  input.decimals = 2;
  plot::ChartFigure chart;
  chart.first = s.windowStart;
  chart.last = s.windowEnd;
  plot::ChartLine line;
  line.name = "Температура (ºС)";
  line.points = {{s.windowStart, -18}, {s.windowEnd, -16}};
  chart.lines.push_back(line);
  input.chart = chart;
  input.madeAt = decodeDateTime(44540.5);
  input.version = "1.0.0";
  input.regularFont = reportFont("LiberationSans-Regular.ttf");
  input.boldFont = reportFont("LiberationSans-Bold.ttf");
  return input;
}

// The pages' sizes, in the order of their objects (libharu writes the
// page dictionaries as they were added).
std::vector<std::string> pageSizes(const std::string& pdf) {
  std::vector<std::string> sizes;
  const std::regex box(R"(/MediaBox \[ *0 0 ([0-9.]+) ([0-9.]+) *\])");
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), box); it != std::sregex_iterator();
       ++it) {
    sizes.push_back(std::stod((*it)[1]) > std::stod((*it)[2]) ? "landscape" : "portrait");
  }
  return sizes;
}

TEST(PdfReport, PagesFollowTheContent) {
  const std::string short_ = pdfReport(reportOf(2));
  EXPECT_EQ(short_.substr(0, 5), "%PDF-");
  EXPECT_EQ(pageSizes(short_), (std::vector<std::string>{"landscape", "portrait"}));
  EXPECT_EQ(pdfReport(reportOf(2)), short_);  // made again: the same bytes

  // Ninety days of journal run onto pages of their own, each portrait.
  const std::vector<std::string> long_ = pageSizes(pdfReport(reportOf(90)));
  ASSERT_GT(long_.size(), 3u);
  EXPECT_EQ(long_.front(), "landscape");
  EXPECT_EQ(std::count(long_.begin(), long_.end(), "portrait"),
            static_cast<long>(long_.size() - 1));
}

TEST(PdfReport, AFontThatDoesNotLoadIsSaid) {
  PdfReportInput input = reportOf(1);
  input.boldFont = "/nowhere/LiberationSans-Bold.ttf";
  EXPECT_EQ(testing::errorOf([&] { pdfReport(input); }),
            "Не удалось построить PDF: не читается шрифт \"/nowhere/LiberationSans-Bold.ttf\".");
  EXPECT_EQ(testing::errorOf([] { reportFont("Нет такого.ttf"); }),
            "Не удалось построить PDF: не найден шрифт Нет такого.ttf (он ставится вместе с "
            "программой).");
}

TEST(PdfReport, ItsNameIsTheWorkbooks) {
  const std::pair<std::string, std::string> cases[] = {
      {"/data/tag-070121_153045.xlsx", "/data/tag-070121_153045.pdf"},
      {"/data/отчёт", "/data/отчёт.pdf"},
      {"/data.v2/report", "/data.v2/report.pdf"},
  };
  for (const auto& [workbook, pdf] : cases) {
    EXPECT_EQ(pdfPathFor(workbook), pdf);
  }
}

}  // namespace
}  // namespace vexa::pdf
