#include "report/summary_sheet.h"

#include <algorithm>

#include "input/datetime.h"
#include "report/report_layouts.h"

namespace vexa {

namespace {

constexpr std::string_view kDateTimeFormatLocal = "ДД/ММ/ГГ Ч:ММ:СС;@";
constexpr int kRed = 0x0000C0;   // 0xBBGGRR: the high limit's line
constexpr int kBlue = 0xC07000;  // the low limit's line

xl::RangePtr block(const xl::WorksheetPtr& sheet, int r1, int c1, int r2, int c2) {
  return sheet->Range(*sheet->Cells(r1, c1), *sheet->Cells(r2, c2));
}

}  // namespace

SummaryCells summaryCells(const ReportSummary& summary, int decimals) {
  const int seriesCount = static_cast<int>(summary.series.size());
  const int lastFigureRow = kSummaryHeadingRow + static_cast<int>(summary.rows.size());
  const int lines = static_cast<int>(summary.limitLines.size());
  const int linesRow = lines > 0 ? lastFigureRow + 2 : 0;
  const int lastRow = lines > 0 ? linesRow + 1 + 2 * lines : lastFigureRow;
  const int columns = std::max(1 + seriesCount, 3);
  SummaryCells result;
  result.texts = TextTable(lastRow, columns);
  result.shownDecimals.assign(static_cast<std::size_t>(lastRow),
                              std::vector<int>(static_cast<std::size_t>(columns), -1));
  result.lastFigureRow = lastFigureRow;
  result.linesRow = linesRow;
  TextTable& cells = result.texts;
  const auto number = [&](int row, int column, double value, int places) {
    cells.set(row, column, summaryNumber(value));
    result.shownDecimals[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)] =
        places;
  };
  cells.set(1, 1, "Сводка по выгрузке");
  cells.set(1, 2, summary.exportName);
  cells.set(2, 1, "Начало интервала");
  cells.set(2, 2, formatDateTime(summary.windowStart));
  cells.set(3, 1, "Конец интервала");
  cells.set(3, 2, formatDateTime(summary.windowEnd));
  if (summary.thinning > 1) {
    cells.set(4, 1, kThinningFigure);
    number(4, 2, summary.thinning, 0);
  }
  cells.set(kSummaryHeadingRow, 1, "Показатель");
  for (int s = 0; s < seriesCount; ++s) {
    cells.set(kSummaryHeadingRow, 2 + s, summary.series[static_cast<std::size_t>(s)].name);
  }
  int row = kSummaryHeadingRow;
  for (const SummaryRow& figure : summary.rows) {
    cells.set(++row, 1, figure.figure);
    for (int s = 0; s < seriesCount; ++s) {
      const auto& value = figure.values[static_cast<std::size_t>(s)];
      if (!value) {
        continue;
      }
      switch (figure.kind) {
        case FigureKind::DateTime:
          cells.set(row, 2 + s, formatDateTime(*value));
          break;
        case FigureKind::Count:
          number(row, 2 + s, *value, 0);
          break;
        case FigureKind::Value:
          number(row, 2 + s, *value, decimals);
          break;
        case FigureKind::Hours:
        case FigureKind::Percent:
          number(row, 2 + s, *value, 2);
          break;
      }
    }
  }
  if (lines > 0) {
    cells.set(linesRow, 1, "Линии пределов на графике");
    cells.set(linesRow + 1, 1, "Линия");
    cells.set(linesRow + 1, 2, "Время");
    cells.set(linesRow + 1, 3, "Значение");
    for (int k = 0; k < lines; ++k) {
      const LimitLine& line = summary.limitLines[static_cast<std::size_t>(k)];
      const int at = linesRow + 2 + 2 * k;
      cells.set(at, 1, line.label);
      cells.set(at, 2, formatDateTime(summary.windowStart));
      cells.set(at + 1, 2, formatDateTime(summary.windowEnd));
      number(at, 3, line.value, decimals);
      number(at + 1, 3, line.value, decimals);
    }
  }
  return result;
}

void writeSummary(const LayoutContext& layout, const ReportSummary& summary) {
  const std::string& decimalsItem = layout.controls.ComboBox1;
  const xl::ChartPtr& chart = layout.chart;
  const xl::WorksheetPtr sheet = layout.components.XL->Sheets(3);
  const std::string values = numberFormatFor(decimalsItem);
  const SummaryCells built = summaryCells(summary, decimalsItem[0] - '0');
  const TextTable& cells = built.texts;
  const int seriesCount = static_cast<int>(summary.series.size());
  const int lastFigureRow = built.lastFigureRow;
  const int linesRow = built.linesRow;
  const int lines = static_cast<int>(summary.limitLines.size());
  const int lastRow = cells.rows();
  const int columns = cells.columns();

  // Formats first, then the cells, as the report's tables are written.
  block(sheet, 1, 1, lastRow, 1)->setColumnWidth(46);
  block(sheet, 1, 2, lastRow, columns)->setColumnWidth(22);
  block(sheet, 2, 2, 3, 2)->setNumberFormatLocal(kDateTimeFormatLocal);
  if (summary.thinning > 1) {
    block(sheet, 4, 2, 4, 2)->setNumberFormat("0");
  }
  int row = kSummaryHeadingRow;
  for (const SummaryRow& figure : summary.rows) {
    ++row;
    if (seriesCount == 0) {
      continue;
    }
    const xl::RangePtr figures = block(sheet, row, 2, row, 1 + seriesCount);
    switch (figure.kind) {
      case FigureKind::Count:
        figures->setNumberFormat("0");
        break;
      case FigureKind::Value:
        figures->setNumberFormat(values);
        break;
      case FigureKind::DateTime:
        figures->setNumberFormatLocal(kDateTimeFormatLocal);
        break;
      case FigureKind::Hours:
      case FigureKind::Percent:
        figures->setNumberFormat("0,00");
        break;
    }
  }
  if (lines > 0) {
    block(sheet, linesRow + 2, 2, lastRow, 2)->setNumberFormatLocal(kDateTimeFormatLocal);
    block(sheet, linesRow + 2, 3, lastRow, 3)->setNumberFormat(values);
  }
  block(sheet, 1, 1, lastRow, columns)->setFormulaR1C1Local(cells);
  block(sheet, 1, 1, 1, 1)->Font()->setBold(true);
  block(sheet, kSummaryHeadingRow, 1, kSummaryHeadingRow, 1 + seriesCount)->Font()->setBold(true);
  const xl::RangePtr table = block(sheet, kSummaryHeadingRow, 1, lastFigureRow, 1 + seriesCount);
  if (seriesCount > 0) {
    block(sheet, kSummaryHeadingRow, 2, lastFigureRow, 1 + seriesCount)
        ->setHorizontalAlignment(xl::xlHAlignCenter);
  }
  table->Borders()->setLineStyle(xl::xlContinuous);
  table->Borders()->setWeight(xl::xlThin);
  if (lines == 0) {
    return;
  }
  block(sheet, linesRow, 1, linesRow + 1, 3)->Font()->setBold(true);
  const xl::RangePtr lineTable = block(sheet, linesRow + 1, 1, lastRow, 3);
  lineTable->Borders()->setLineStyle(xl::xlContinuous);
  lineTable->Borders()->setWeight(xl::xlThin);
  if (!chart) {
    return;
  }
  // Each limit a dashed line across the window, on its series' value axis.
  for (int k = 0; k < lines; ++k) {
    const LimitLine& line = summary.limitLines[static_cast<std::size_t>(k)];
    const std::string at = std::to_string(linesRow + 2 + 2 * k);
    const std::string next = std::to_string(linesRow + 3 + 2 * k);
    const xl::SeriesPtr series = chart->SeriesCollection()->NewSeries();
    series->setName("=Лист3!R" + at + "C1:R" + at + "C1");
    series->setXValues("=Лист3!R" + at + "C2:R" + next + "C2");
    series->setValues("=Лист3!R" + at + "C3:R" + next + "C3");
    series->setMarkerStyle(xl::xlMarkerStyleNone);
    if (line.series + 1 == layout.secondarySeries) {
      series->setAxisGroup(xl::xlSecondary);
    }
    const xl::BorderPtr border = series->Border();
    border->setLineStyle(xl::xlDash);
    border->setColor(line.high ? kRed : kBlue);
    border->setWeight(xl::xlMedium);
  }
}

}  // namespace vexa
