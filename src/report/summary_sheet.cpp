#include "report/summary_sheet.h"

#include <algorithm>
#include <cmath>

#include "input/datetime.h"
#include "report/report_layouts.h"

namespace vexa {

namespace {

constexpr std::string_view kDateTimeFormatLocal = "ДД/ММ/ГГ Ч:ММ:СС;@";
constexpr std::string_view kDateFormatLocal = "ДД.ММ.ГГГГ";
constexpr int kRed = 0x0000C0;   // 0xBBGGRR: the high limit's line
constexpr int kBlue = 0xC07000;  // the low limit's line
// The label column, whose long labels wrap, and the value columns: a
// date-time "31/12/21 23:59:59" fits one.
constexpr double kLabelWidth = 36;
constexpr double kValueWidth = 15;
constexpr double kLineHeight = 15;  // points, of a line of the default font
// The columns of the journal and of the excursions' list.
constexpr int kJournalColumns = 10;
constexpr int kExcursionColumns = 6;

xl::RangePtr block(const xl::WorksheetPtr& sheet, int r1, int c1, int r2, int c2) {
  return sheet->Range(*sheet->Cells(r1, c1), *sheet->Cells(r2, c2));
}

// "A", ..., "Z", "AA", ...: a column as a reference names it.
std::string columnLetters(int column) {
  std::string name;
  for (; column > 0; column = (column - 1) / 26) {
    name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
  }
  return name;
}

std::size_t codePoints(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// The sheet as it is laid out, row after row.
class SheetBuilder {
 public:
  SheetBuilder(int columns, int decimals) : columns_(columns), decimals_(decimals) {}

  int next() {
    rows_.emplace_back(static_cast<std::size_t>(columns_));
    shown_.emplace_back(static_cast<std::size_t>(columns_), -1);
    return row();
  }
  void skip() { next(); }
  int row() const { return static_cast<int>(rows_.size()); }

  void text(int r, int c, std::string text) {
    rows_[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)] = std::move(text);
  }
  void number(int r, int c, double value, int places) {
    text(r, c, summaryNumber(value));
    shown_[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)] = places;
  }
  void count(int r, int c, long long value) { number(r, c, static_cast<double>(value), 0); }
  void value(int r, int c, double v) { number(r, c, v, decimals_); }
  void hours(int r, int c, Seconds seconds) { number(r, c, hoursOfSeconds(seconds), 2); }
  void dateTime(int r, int c, double serial) { text(r, c, formatDateTime(serial)); }
  void moment(int r, int c, Seconds seconds) { dateTime(r, c, serialOf(seconds)); }
  void date(int r, int c, long long day) {
    text(r, c, formatDateTime(serialOf(day * kSecondsPerDay)).substr(0, 10));
  }

  SheetStyle& style(int r1, int c1, int r2, int c2, SheetStyle::Format format = {}) {
    styles_.push_back({r1, c1, r2, c2, format});
    return styles_.back();
  }
  // A heading row of a table: bold, bordered, wrapped.
  void heading(int r, std::initializer_list<const char*> titles) {
    int c = 0;
    for (const char* title : titles) {
      text(r, ++c, title);
    }
    SheetStyle& s = style(r, 1, r, c);
    s.bold = s.border = s.wrap = s.center = true;
  }
  void title(int r, std::string text) {
    this->text(r, 1, std::move(text));
    style(r, 1, r, 1).bold = true;
  }
  int decimals() const { return decimals_; }

  // The cells, and the height of each row whose wrapped texts take more
  // than a line.
  SummaryCells finish() {
    SummaryCells cells;
    cells.texts = TextTable(row(), columns_);
    for (int r = 1; r <= row(); ++r) {
      for (int c = 1; c <= columns_; ++c) {
        const std::string& t =
            rows_[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
        cells.texts.set(r, c, t);
      }
    }
    cells.shownDecimals = std::move(shown_);
    for (const SheetStyle& s : styles_) {
      if (!s.wrap) {
        continue;
      }
      for (int r = s.firstRow; r <= s.lastRow; ++r) {
        std::size_t lines = 1;
        for (int c = s.firstColumn; c <= s.lastColumn; ++c) {
          const double width = c == 1 ? kLabelWidth : kValueWidth;
          const auto room = static_cast<std::size_t>(width * 1.1);
          const std::size_t length =
              codePoints(rows_[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
          lines = std::max(lines, (length + room - 1) / room);
        }
        if (lines > 1) {
          cells.rowHeights[r] =
              std::max(cells.rowHeights[r], kLineHeight * static_cast<double>(lines));
        }
      }
    }
    cells.styles = std::move(styles_);
    return cells;
  }

 private:
  int columns_;
  int decimals_;
  std::vector<std::vector<std::string>> rows_;
  std::vector<std::vector<int>> shown_;
  std::vector<SheetStyle> styles_;
};

SheetStyle::Format formatOf(FigureKind kind) {
  switch (kind) {
    case FigureKind::Count:
      return SheetStyle::Format::Count;
    case FigureKind::Value:
      return SheetStyle::Format::Value;
    case FigureKind::DateTime:
      return SheetStyle::Format::DateTime;
    case FigureKind::Hours:
    case FigureKind::Minutes:
    case FigureKind::Percent:
      return SheetStyle::Format::Hours;
    case FigureKind::Verdict:
    case FigureKind::Text:
      break;
  }
  return SheetStyle::Format::None;
}

int placesOf(FigureKind kind, int decimals) {
  switch (kind) {
    case FigureKind::Count:
      return 0;
    case FigureKind::Value:
      return decimals;
    default:
      return 2;
  }
}

// "Температура (ºС), выше -15": an excursion's series and limit.
std::string seriesAndLimit(const ReportSummary& summary, const ListedExcursion& x) {
  return summary.series[x.series].name + (x.high ? ", выше " : ", ниже ") +
         shortestNumber(x.limit, ',');
}

}  // namespace

int verdictFill(std::string_view verdict) {
  if (verdict == verdictText(Verdict::Normal)) {
    return 0xCEEFC6;  // green
  }
  if (verdict == verdictText(Verdict::Alarm)) {
    return 0xCEC7FF;  // red
  }
  if (verdict == verdictText(Verdict::NoData)) {
    return 0xD9D9D9;  // grey
  }
  return -1;
}

SummaryCells summaryCells(const ReportSummary& summary, int decimals) {
  const int seriesCount = static_cast<int>(summary.series.size());
  const int columns = std::max({1 + seriesCount, kJournalColumns, kExcursionColumns});
  SheetBuilder b(columns, decimals);
  using Format = SheetStyle::Format;

  // The export, its window and what the figures cover.
  int r = b.next();
  b.title(r, "Сводка по выгрузке");
  b.text(r, 2, summary.exportName);
  r = b.next();
  b.text(r, 1, "Начало интервала");
  b.dateTime(r, 2, summary.windowStart);
  b.style(r, 2, r + 1, 2, Format::DateTime);
  r = b.next();
  b.text(r, 1, "Конец интервала");
  b.dateTime(r, 2, summary.windowEnd);
  r = b.next();
  b.text(r, 1, "Показаний в сводке");
  b.count(r, 2, summary.readings);
  b.style(r, 2, r, 2, Format::Count);
  if (summary.thinning > 1) {
    r = b.next();
    b.text(r, 1, kThinningFigure);
    b.count(r, 2, summary.thinning);
    b.style(r, 2, r, 2, Format::Count);
  }
  if (summary.unreadableLines > 0) {
    r = b.next();
    b.text(r, 1, "Строк без читаемого времени");
    b.count(r, 2, summary.unreadableLines);
    b.style(r, 2, r, 2, Format::Count);
  }
  for (const auto& [figure, value] : joinFigures(summary.joined)) {
    r = b.next();
    b.text(r, 1, figure);
    b.count(r, 2, value);
    b.style(r, 2, r, 2, Format::Count);
  }
  if (!summary.sha256.empty()) {
    r = b.next();
    b.text(r, 1, "SHA-256 выгрузки");
    b.text(r, 2, summary.sha256);
  }
  b.style(1, 1, b.row(), 1).wrap = true;
  b.skip();

  // The verdict, then the figures of each series.
  const int headingRow = b.next();
  b.text(headingRow, 1, "Показатель");
  for (int s = 0; s < seriesCount; ++s) {
    b.text(headingRow, 2 + s, summary.series[static_cast<std::size_t>(s)].name);
  }
  SheetStyle& heading = b.style(headingRow, 1, headingRow, 1 + seriesCount);
  heading.bold = heading.wrap = heading.center = heading.border = true;
  const int verdictRow = b.next();
  b.text(verdictRow, 1, "Итог");
  const std::string verdict(verdictText(summary.verdict));
  b.text(verdictRow, 2, verdict);
  SheetStyle& verdictStyle = b.style(verdictRow, 1, verdictRow, 2);
  verdictStyle.bold = verdictStyle.border = true;
  verdictStyle.fill = verdictFill(verdict);
  for (const SummaryRow& figure : summary.rows) {
    r = b.next();
    b.text(r, 1, figure.figure);
    for (int s = 0; s < seriesCount; ++s) {
      const auto index = static_cast<std::size_t>(s);
      if (figure.kind == FigureKind::Verdict || figure.kind == FigureKind::Text) {
        if (figure.texts[index]) {
          b.text(r, 2 + s, *figure.texts[index]);
          if (figure.kind == FigureKind::Verdict) {
            SheetStyle& mark = b.style(r, 2 + s, r, 2 + s);
            mark.fill = verdictFill(*figure.texts[index]);
            mark.bold = true;
          }
        }
      } else if (figure.values[index]) {
        if (figure.kind == FigureKind::DateTime) {
          b.dateTime(r, 2 + s, *figure.values[index]);
        } else {
          b.number(r, 2 + s, *figure.values[index], placesOf(figure.kind, decimals));
        }
      }
    }
    if (seriesCount > 0) {
      b.style(r, 2, r, 1 + seriesCount, formatOf(figure.kind));
    }
  }
  const int lastFigureRow = b.row();
  SheetStyle& figures = b.style(verdictRow + 1, 1, lastFigureRow, 1 + seriesCount);
  figures.border = true;
  b.style(verdictRow + 1, 1, lastFigureRow, 1).wrap = true;
  if (seriesCount > 0 && lastFigureRow > verdictRow) {
    b.style(verdictRow + 1, 2, lastFigureRow, 1 + seriesCount).center = true;
  }

  // The excursions, each with its start, end, duration and extreme.
  b.skip();
  b.title(b.next(), "Выходы за пределы");
  const int excursionHeading = b.next();
  b.heading(excursionHeading,
            {"Ряд и предел", "Начало", "Конец", "Длительность, ч", "Тревога", "Экстремум"});
  for (const ListedExcursion& x : summary.excursions) {
    r = b.next();
    b.text(r, 1, seriesAndLimit(summary, x));
    b.moment(r, 2, x.excursion.start);
    b.moment(r, 3, x.excursion.end);
    b.hours(r, 4, x.excursion.end - x.excursion.start);
    b.text(r, 5, x.excursion.alarm ? "да" : "нет");
    b.value(r, 6, x.excursion.extreme);
  }
  if (summary.excursions.empty()) {
    b.text(b.next(), 1, "нет");
  }
  if (b.row() > excursionHeading) {
    b.style(excursionHeading + 1, 1, b.row(), kExcursionColumns).border = true;
    b.style(excursionHeading + 1, 1, b.row(), 1).wrap = true;
    b.style(excursionHeading + 1, 2, b.row(), 3, Format::DateTime);
    b.style(excursionHeading + 1, 4, b.row(), 4, Format::Hours);
    b.style(excursionHeading + 1, 6, b.row(), 6, Format::Value);
  }
  if (summary.excursionsLeftOut > 0) {
    b.text(b.next(), 1, "… и ещё выходов за пределы: " + std::to_string(summary.excursionsLeftOut));
  }

  // The gaps: time no reading stands for.
  b.skip();
  b.title(b.next(), "Пропуски");
  const int gapHeading = b.next();
  b.heading(gapHeading, {"Ряд", "Начало", "Конец", "Длительность, ч"});
  for (const ListedGap& g : summary.gaps) {
    r = b.next();
    b.text(r, 1, summary.series[g.series].name);
    b.moment(r, 2, g.gap.start);
    b.moment(r, 3, g.gap.end);
    b.hours(r, 4, g.gap.end - g.gap.start);
  }
  if (summary.gaps.empty()) {
    b.text(b.next(), 1, "нет");
  }
  b.style(gapHeading + 1, 1, b.row(), 4).border = true;
  b.style(gapHeading + 1, 1, b.row(), 1).wrap = true;
  b.style(gapHeading + 1, 2, b.row(), 3, Format::DateTime);
  b.style(gapHeading + 1, 4, b.row(), 4, Format::Hours);
  if (summary.gapsLeftOut > 0) {
    b.text(b.next(), 1, "… и ещё пропусков: " + std::to_string(summary.gapsLeftOut));
  }

  // The journal: a table per measured series, a row per day.
  if (!summary.journal.empty()) {
    b.skip();
    b.title(b.next(), "Журнал по дням");
    for (const JournalSeries& j : summary.journal) {
      b.title(b.next(), summary.series[j.series].name);
      const int journalHeading = b.next();
      b.heading(journalHeading,
                {"Дата", "Показаний", "Минимум", "Максимум", "Среднее", "Ниже нижнего предела, ч",
                 "Выше верхнего предела, ч", "Выходов за пределы", "Тревог", "Без данных, ч"});
      for (const DayFigures& day : j.days) {
        r = b.next();
        b.date(r, 1, day.day);
        b.count(r, 2, day.readings);
        if (day.readings > 0) {
          b.value(r, 3, day.minimum);
          b.value(r, 4, day.maximum);
          b.value(r, 5, dayMean(day));
        }
        if (j.low) {
          b.hours(r, 6, day.beyond[0]);
        }
        if (j.high) {
          b.hours(r, 7, day.beyond[1]);
        }
        if (j.low || j.high) {
          b.count(r, 8, day.excursions[0] + day.excursions[1]);
          b.count(r, 9, day.alarms[0] + day.alarms[1]);
        }
        b.hours(r, 10, day.noData);
      }
      if (b.row() > journalHeading) {
        const int first = journalHeading + 1;
        b.style(first, 1, b.row(), kJournalColumns).border = true;
        b.style(first, 1, b.row(), 1, Format::Date);
        b.style(first, 2, b.row(), 2, Format::Count);
        b.style(first, 3, b.row(), 5, Format::Value);
        b.style(first, 6, b.row(), 7, Format::Hours);
        b.style(first, 8, b.row(), 9, Format::Count);
        b.style(first, 10, b.row(), 10, Format::Hours);
      }
    }
    if (summary.journalDaysLeftOut > 0) {
      b.text(
          b.next(), 1,
          "… и ещё дней после десяти лет журнала: " + std::to_string(summary.journalDaysLeftOut));
    }
  }

  // The lines a reviewer signs.
  b.skip();
  for (const char* line : {"Проверил", "Подпись", "Дата"}) {
    r = b.next();
    b.text(r, 1, line);
    b.text(r, 2, "________________________________");
    b.skip();
  }
  const int printLastRow = b.row() - 1;

  // The limit lines' two points each, below the printed area.
  int linesRow = 0;
  const int lines = static_cast<int>(summary.limitLines.size());
  if (lines > 0) {
    b.skip();
    linesRow = b.next();
    b.text(linesRow, 1, "Линии пределов на графике");
    const int lineHeading = b.next();
    b.text(lineHeading, 1, "Линия");
    b.text(lineHeading, 2, "Время");
    b.text(lineHeading, 3, "Значение");
    SheetStyle& titles = b.style(linesRow, 1, lineHeading, 3);
    titles.bold = true;
    for (const LimitLine& line : summary.limitLines) {
      const int at = b.next();
      b.next();
      b.text(at, 1, line.label);
      b.dateTime(at, 2, summary.windowStart);
      b.dateTime(at + 1, 2, summary.windowEnd);
      b.value(at, 3, line.value);
      b.value(at + 1, 3, line.value);
    }
    b.style(lineHeading, 1, b.row(), 3).border = true;
    b.style(lineHeading + 1, 2, b.row(), 2, Format::DateTime);
    b.style(lineHeading + 1, 3, b.row(), 3, Format::Value);
  }

  SummaryCells cells = b.finish();
  cells.verdictRow = verdictRow;
  cells.printLastRow = printLastRow;
  cells.printLastColumn = columns;
  cells.linesRow = linesRow;
  return cells;
}

void writeSummary(const LayoutContext& layout, const ReportSummary& summary) {
  const std::string& decimalsItem = layout.controls.ComboBox1;
  const xl::ChartPtr& chart = layout.chart;
  const xl::WorksheetPtr sheet = layout.components.XL->Sheets(3);
  const std::string values = numberFormatFor(decimalsItem);
  const SummaryCells built = summaryCells(summary, decimalsItem[0] - '0');
  const TextTable& cells = built.texts;
  const int lastRow = cells.rows();
  const int columns = cells.columns();

  // Formats first, then the cells, as the report's tables are written.
  block(sheet, 1, 1, lastRow, 1)->setColumnWidth(kLabelWidth);
  block(sheet, 1, 2, lastRow, columns)->setColumnWidth(kValueWidth);
  for (const SheetStyle& s : built.styles) {
    const xl::RangePtr range = block(sheet, s.firstRow, s.firstColumn, s.lastRow, s.lastColumn);
    switch (s.format) {
      case SheetStyle::Format::Count:
        range->setNumberFormat("0");
        break;
      case SheetStyle::Format::Value:
        range->setNumberFormat(values);
        break;
      case SheetStyle::Format::DateTime:
        range->setNumberFormatLocal(kDateTimeFormatLocal);
        break;
      case SheetStyle::Format::Date:
        range->setNumberFormatLocal(kDateFormatLocal);
        break;
      case SheetStyle::Format::Hours:
        range->setNumberFormat("0,00");
        break;
      case SheetStyle::Format::None:
        break;
    }
    if (s.bold) {
      range->Font()->setBold(true);
    }
    if (s.wrap) {
      range->setWrapText(true);
    }
    if (s.center) {
      range->setHorizontalAlignment(xl::xlHAlignCenter);
    }
    if (s.fill >= 0) {
      range->Interior()->setColor(s.fill);
    }
    if (s.border) {
      range->Borders()->setLineStyle(xl::xlContinuous);
      range->Borders()->setWeight(xl::xlThin);
    }
  }
  for (const auto& [row, height] : built.rowHeights) {
    block(sheet, row, 1, row, 1)->setRowHeight(height);
  }
  block(sheet, 1, 1, lastRow, columns)->setFormulaR1C1Local(cells);

  // Printed as a document: A4 portrait, one page wide, the labels on every page.
  const xl::PageSetupPtr page = sheet->PageSetup();
  page->setOrientation(xl::xlPortrait);
  page->setPaperSize(xl::xlPaperA4);
  page->setFitToPagesWide(1);
  page->setPrintArea("$A$1:$" + columnLetters(built.printLastColumn) + "$" +
                     std::to_string(built.printLastRow));
  page->setPrintTitleColumns("$A:$A");
  std::string name;
  for (const char c : summary.exportName) {
    name += c == '&' ? std::string("&&") : std::string(1, c);
  }
  page->setCenterHeader(name + " · " + formatDateTime(summary.windowStart) + " — " +
                        formatDateTime(summary.windowEnd));
  page->setCenterFooter("Стр. &P из &N");

  if (!chart || built.linesRow == 0) {
    return;
  }
  // Each limit a dashed line across the window, on its series' value axis.
  const int lines = static_cast<int>(summary.limitLines.size());
  for (int k = 0; k < lines; ++k) {
    const LimitLine& line = summary.limitLines[static_cast<std::size_t>(k)];
    const std::string at = std::to_string(built.linesRow + 2 + 2 * k);
    const std::string next = std::to_string(built.linesRow + 3 + 2 * k);
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
