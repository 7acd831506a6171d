#include "pdf/pdf_report.h"

#include <hpdf.h>
#include <hpdf_doc.h>
#include <hpdf_objects.h>
#include <hpdf_pages.h>
#include <hpdf_streams.h>
#include <libdeflate.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "input/messages.h"
#include "pdf/pdf_canvas.h"
#include "platform/files.h"
#include "plot/palette.h"
#include "report/summary_sheet.h"

namespace vexa::pdf {

namespace {

// Pages in points: A4, and the margins around what is printed.
constexpr double kA4Short = 595.276;
constexpr double kA4Long = 841.89;
constexpr double kMargin = 36;
constexpr double kTextSize = 8.5;
constexpr double kCellPadding = 3;
const plot::Colour kBlack{0, 0, 0};
const plot::Colour kBorder{120, 120, 120};
const plot::Colour kMuted{90, 90, 90};

std::string twoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// "11.01.2021 00:00:00": a date-time as the report prints it.
std::string printedDateTime(const CivilDateTime& at) {
  return twoDigits(at.day) + '.' + twoDigits(at.month) + '.' + std::to_string(at.year) + ' ' +
         twoDigits(at.hour) + ':' + twoDigits(at.minute) + ':' + twoDigits(at.second);
}

std::string printedSerial(double serial) {
  return printedDateTime(decodeDateTime(serial));
}

// A cell of the third sheet as it shows there: its number at its decimal
// places with a decimal comma, its date-time or date in the Russian order.
std::string shownCell(const std::string& text, int places, SheetStyle::Format format) {
  if (text.empty()) {
    return text;
  }
  if (places >= 0) {
    std::string point = text;
    std::replace(point.begin(), point.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(point.data(), point.data() + point.size(), value);
    if (error == std::errc() && end == point.data() + point.size()) {
      return plot::chartNumber(value, places);
    }
    return text;
  }
  const bool dateTime = format == SheetStyle::Format::DateTime && text.size() == 19;
  const bool date = format == SheetStyle::Format::Date && text.size() == 10;
  if ((dateTime || date) && text[4] == '-' && text[7] == '-') {
    std::string shown = text.substr(8, 2) + '.' + text.substr(5, 2) + '.' + text.substr(0, 4);
    return dateTime ? shown + text.substr(10) : shown;
  }
  return text;
}

// libharu's errors, kept for the message the report gives.
struct HaruErrors {
  HPDF_STATUS first = HPDF_OK;
  HPDF_STATUS detail = 0;
};

void onHaruError(HPDF_STATUS error, HPDF_STATUS detail, void* user) {
  auto* errors = static_cast<HaruErrors*>(user);
  if (errors->first == HPDF_OK) {
    errors->first = error;
    errors->detail = detail;
  }
}

// The document, freed however the report ends.
class Document {
 public:
  Document() : pdf_(HPDF_New(onHaruError, &errors_)) {
    if (pdf_ == nullptr) {
      throw std::runtime_error("Не удалось построить PDF: не хватает памяти.");
    }
  }
  ~Document() { HPDF_Free(pdf_); }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  HPDF_Doc get() const { return pdf_; }
  void check() const {
    if (errors_.first != HPDF_OK) {
      char code[48];
      std::snprintf(code, sizeof code, "0x%04X/%u", static_cast<unsigned>(errors_.first),
                    static_cast<unsigned>(errors_.detail));
      throw std::runtime_error(std::string("Не удалось построить PDF: ошибка библиотеки PDF ") +
                               code + ".");
    }
  }

 private:
  HaruErrors errors_;
  HPDF_Doc pdf_;
};

// libharu writes, as the ToUnicode map of a font whose codes are UTF-16
// code units, its encoding's map from Unicode to glyphs, which readers
// refuse ("Invalid 'begincidrange' operator"): text would then not copy or
// search in some viewers. The map is written again as what it is, every
// code standing for its own code unit.
void mendToUnicode(HPDF_Font font) {
  auto* map = static_cast<HPDF_Dict>(HPDF_Dict_GetItem(font, "ToUnicode", HPDF_OCLASS_DICT));
  if (map == nullptr || map->stream == nullptr) {
    return;
  }
  std::string cmap =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  std::vector<int> blocks;
  for (int high = 0; high < 256; ++high) {
    if (high < 0xD8 || high > 0xDF) {  // not the surrogates
      blocks.push_back(high);
    }
  }
  for (std::size_t from = 0; from < blocks.size(); from += 100) {
    const std::size_t count = std::min<std::size_t>(100, blocks.size() - from);
    cmap += std::to_string(count) + " beginbfrange\n";
    for (std::size_t i = from; i < from + count; ++i) {
      char range[40];
      std::snprintf(range, sizeof range, "<%02X00> <%02XFF> <%02X00>\n", blocks[i], blocks[i],
                    blocks[i]);
      cmap += range;
    }
    cmap += "endbfrange\n";
  }
  cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  HPDF_MemStream_FreeData(map->stream);
  HPDF_Stream_WriteStr(map->stream, cmap.c_str());
}

// The measures of a font for laying pages out.
class FontMeasure final : public plot::TextMeasure {
 public:
  FontMeasure(const PdfFont& font, double size) : font_(font), size_(size) {}
  double textWidth(std::string_view text) const override { return font_.width(text, size_); }
  double lineHeight() const override { return size_ * 1.2; }
  double ascent() const override { return size_ * 0.9; }

 private:
  const PdfFont& font_;
  double size_;
};

// `text` in lines no wider than `room`, broken between words.
std::vector<std::string> wrapped(const std::string& text, double room,
                                 const plot::TextMeasure& measure) {
  if (text.find('\n') == std::string::npos && measure.textWidth(text) <= room) {
    return {text};  // most cells: a line of their own
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t newline = text.find('\n', start);
    const std::string paragraph =
        text.substr(start, newline == std::string::npos ? std::string::npos : newline - start);
    for (std::string& line : plot::wrapAt(paragraph, " ", room, measure, "")) {
      lines.push_back(std::move(line));
    }
    if (newline == std::string::npos) {
      break;
    }
    start = newline + 1;
  }
  return lines;
}

// How a cell looks: the last style of the sheet that covers it wins, as it
// did on the sheet.
struct CellLook {
  bool bold = false;
  bool border = false;
  bool center = false;
  int fill = -1;
  SheetStyle::Format format = SheetStyle::Format::None;
};

// The look of every cell of the sheet's rows and columns, each style laid
// over the cells it covers in the sheet's order.
class CellLooks {
 public:
  explicit CellLooks(const SummaryCells& cells)
      : rows_(cells.texts.rows()), columns_(cells.texts.columns()) {
    looks_.resize(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_));
    for (const SheetStyle& s : cells.styles) {
      for (int r = std::max(s.firstRow, 1); r <= std::min(s.lastRow, rows_); ++r) {
        for (int c = std::max(s.firstColumn, 1); c <= std::min(s.lastColumn, columns_); ++c) {
          CellLook& look = looks_[index(r, c)];
          look.bold = look.bold || s.bold;
          look.border = look.border || s.border;
          look.center = look.center || s.center;
          if (s.fill >= 0) {
            look.fill = s.fill;
          }
          if (s.format != SheetStyle::Format::None) {
            look.format = s.format;
          }
        }
      }
    }
  }
  CellLook at(int row, int column) const {
    return row >= 1 && row <= rows_ && column >= 1 && column <= columns_
               ? looks_[index(row, column)]
               : CellLook{};
  }

 private:
  std::size_t index(int row, int column) const {
    return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column - 1);
  }
  int rows_;
  int columns_;
  std::vector<CellLook> looks_;
};

plot::Colour colourOfFill(int bgr) {
  return {static_cast<std::uint8_t>(bgr & 0xFF), static_cast<std::uint8_t>((bgr >> 8) & 0xFF),
          static_cast<std::uint8_t>((bgr >> 16) & 0xFF), 255};
}

// A printed cell: its shown text and look.
struct Cell {
  std::string text;
  CellLook look;
};
using Row = std::vector<Cell>;

// The pages of the report as drawing steps, laid out before any is drawn,
// so that each page knows how many there are.
class Pages {
 public:
  using Step = std::function<void(PdfCanvas&)>;
  struct Page {
    bool landscape = false;
    std::vector<Step> steps;
  };
  void add(bool landscape) { pages_.push_back({landscape, {}}); }
  void append(Pages&& other) {
    for (Page& page : other.pages_) {
      pages_.push_back(std::move(page));
    }
  }
  void draw(Step step) { pages_.back().steps.push_back(std::move(step)); }
  const std::vector<Page>& all() const { return pages_; }

 private:
  std::vector<Page> pages_;
};

class ReportLayout {
 public:
  ReportLayout(const PdfReportInput& input, const PdfFont& regular, const PdfFont& bold)
      : input_(input),
        regular_(regular),
        bold_(bold),
        text_(regular, kTextSize),
        strong_(bold, kTextSize),
        cells_(summaryCells(input.summary, input.decimals)),
        looks_(cells_) {}

  Pages layOut() {
    firstPage();
    summaryPages();
    return std::move(pages_);
  }

  // The first page alone: a tag's page in a comparison.
  Pages tagPage() {
    firstPage();
    return std::move(pages_);
  }

  // A comparison's pages: its header and overview table (A4 landscape,
  // running onto more pages as it needs, its wide rows in parts each with
  // the tags' column), then a page per quantity's chart.
  Pages comparisonPages(const Overview& overview,
                        const std::vector<std::pair<std::string, plot::ChartFigure>>& charts) {
    landscape_ = true;
    pages_.add(true);
    const double width = kA4Long - 2 * kMargin;
    double top =
        heading(kMargin, "Сравнение тегов · выгрузок: " + std::to_string(overview.rows.size()),
                "") +
        2;
    std::vector<Row> rows;
    CellLook headings;
    headings.bold = headings.border = headings.center = true;
    Row head;
    for (const std::string& text : overview.headings) {
      head.push_back({text, headings});
    }
    rows.push_back(std::move(head));
    for (std::size_t r = 0; r < overview.rows.size(); ++r) {
      const std::vector<std::string>& texts = overview.rows[r];
      Row row;
      for (std::size_t c = 0; c < texts.size(); ++c) {
        CellLook look;
        look.border = true;
        switch (overviewMark(overview, r, c)) {
          case OverviewMark::HighestMaximum:
            look.bold = true;
            look.fill = 0xADCBF8;  // 0xBBGGRR
            break;
          case OverviewMark::LowestMinimum:
            look.bold = true;
            look.fill = 0xEED7BD;
            break;
          case OverviewMark::Verdict:
            look.fill = verdictFill(texts[c]);
            break;
          case OverviewMark::None:
            break;
        }
        row.push_back({texts[c], look});
      }
      rows.push_back(std::move(row));
    }
    table(rows, top, width, kA4Short, true);
    for (const auto& quantity : charts) {
      pages_.add(true);
      pages_.draw([=, this, name = quantity.first](PdfCanvas& canvas) {
        canvas.useFont(bold_, 11);
        canvas.text({kMargin, kMargin + 11}, name, kBlack);
      });
      drawChart(quantity.second,
                {kMargin, kMargin + 20, width, kA4Short - 2 * kMargin - 20 - line()});
    }
    return std::move(pages_);
  }

 private:
  const plot::TextMeasure& measure(bool bold) const {
    return bold ? static_cast<const plot::TextMeasure&>(strong_) : text_;
  }
  double line() const { return text_.lineHeight(); }

  // The cells of the sheet's rows [first, last], as printed: as many
  // columns as the rows' last written one.
  std::vector<Row> rowsOf(int first, int last, int columns = 1) const {
    for (int r = first; r <= last; ++r) {
      for (int c = 1; c <= cells_.texts.columns(); ++c) {
        columns = cells_.texts.isEmpty(r, c) ? columns : std::max(columns, c);
      }
    }
    std::vector<Row> rows;
    for (int r = first; r <= last; ++r) {
      Row row;
      for (int c = 1; c <= columns; ++c) {
        const CellLook look = looks_.at(r, c);
        const int places =
            cells_.shownDecimals[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
        row.push_back({shownCell(std::string(cells_.texts.at(r, c)), places, look.format), look});
      }
      rows.push_back(std::move(row));
    }
    return rows;
  }

  // A chart in `area` of the page, its lines thinned to two columns a point
  // across it (every peak stays, as in the preview): a workbook's 32 000
  // lines make no finer a line on paper, and a far larger file.
  void drawChart(const plot::ChartFigure& chart, const plot::Box& area) {
    plot::ChartFigure figure = chart;
    for (plot::ChartLine& chartLine : figure.lines) {
      chartLine.points = plot::thinPoints(chartLine.points, figure.first, figure.last,
                                          static_cast<int>(2 * area.width));
    }
    pages_.draw([=, this](PdfCanvas& canvas) {
      canvas.useFont(regular_, kTextSize);
      const plot::ChartLayout layout(figure, area, canvas);
      plot::paintChart(canvas, figure, layout, plot::kWhite, kBlack);
    });
  }

  // The report's header on the first page.
  double header(double top) {
    const ReportSummary& s = input_.summary;
    return heading(
        top, "Отчёт по выгрузке «" + s.exportName + "»",
        "Интервал: " + printedSerial(s.windowStart) + " — " + printedSerial(s.windowEnd));
  }

  // A page's heading: its title, a line under it (none when empty), and when
  // and by which version the report was made. Returns where it ends.
  double heading(double top, const std::string& title, const std::string& subtitle) {
    const std::string made = "Отчёт построен " + printedDateTime(input_.madeAt) + " · " +
                             std::string(kProgramTitle) + " " + input_.version;
    const FontMeasure big(bold_, 13);
    const double below = top + big.lineHeight() + 2;
    const double madeAt = subtitle.empty() ? below : below + line();
    pages_.draw([=, this](PdfCanvas& canvas) {
      canvas.useFont(bold_, 13);
      canvas.text({kMargin, top + big.ascent()}, title, kBlack);
      canvas.useFont(regular_, kTextSize);
      canvas.text({kMargin, below + text_.ascent()}, subtitle, kBlack);
      canvas.text({kMargin, madeAt + text_.ascent()}, made, kMuted);
    });
    return madeAt + line() + 6;
  }

  // Page 1: the header, the chart, and the verdict with each limit's figures.
  void firstPage() {
    pages_.add(true);
    const double width = kA4Long - 2 * kMargin;
    double top = header(kMargin);
    // The verdict's rows: «Итог» and the rows of the limits.
    std::vector<int> picked{cells_.verdictRow};
    const int headingRow = cells_.verdictRow - 1;
    for (int r = cells_.verdictRow + 1; r <= cells_.printLastRow; ++r) {
      const std::string label(cells_.texts.at(r, 1));
      if (label.empty()) {
        break;
      }
      for (const char* start : {"Нижний предел", "Верхний предел",
                                "Ниже нижнего предела: ", "Выше верхнего предела: "}) {
        if (label.rfind(start, 0) == 0 && label.find("задержка") == std::string::npos &&
            label.find("вид тревоги") == std::string::npos &&
            label.find("доля") == std::string::npos && label.find("начало") == std::string::npos) {
          picked.push_back(r);
          break;
        }
      }
    }
    std::vector<Row> rows = rowsOf(headingRow, headingRow);
    for (const int r : picked) {
      rows.push_back(rowsOf(r, r, static_cast<int>(rows.front().size())).front());
    }
    const double tableHeight = tableHeightOf(rows, width);
    const double bottom = kA4Short - kMargin - line() - 4;
    if (input_.chart) {
      const double chartBottom = std::max(top + 150, bottom - tableHeight - 10);
      drawChart(*input_.chart, {kMargin, top, width, chartBottom - top});
      top = chartBottom + 10;
    } else {
      // Motion events and door states: the workbook is a table.
      pages_.draw([=, this](PdfCanvas& canvas) {
        canvas.useFont(regular_, kTextSize);
        canvas.text({kMargin, top + text_.ascent()},
                    "Отчёт по выгрузке этого вида — таблица, без графика.", kMuted);
      });
      top += 2 * line();
    }
    table(rows, top, width, kA4Short, false);
  }

  // The summary of the third sheet, its tables one after another, and the
  // sign-off on the last page.
  void summaryPages() {
    pages_.add(false);
    double top = kMargin;
    const double width = kA4Short - 2 * kMargin;
    const double height = kA4Long;
    // The sheet's rows before the sign-off, table by table (a table ends at
    // a blank row).
    int signOff = cells_.printLastRow;
    for (int r = 1; r <= cells_.printLastRow; ++r) {
      if (cells_.texts.at(r, 1) == "Проверил") {
        signOff = r - 1;
        break;
      }
    }
    int r = 1;
    while (r <= signOff) {
      int end = r;
      while (end + 1 <= signOff && !rowEmpty(end + 1)) {
        ++end;
      }
      if (!rowEmpty(r)) {
        top = table(rowsOf(r, end), top, width, height, true);
        top += line() * 0.6;
      }
      r = end + 2;
    }
    // The sign-off: its lines and the export's digest, kept together.
    const double needed = 4 * line() * 2.2 + 2 * line();
    if (top + needed > height - kMargin - line() - 4) {
      pages_.add(false);
      top = kMargin;
    }
    top += line();
    for (const char* label : {"Проверил", "Подпись", "Дата"}) {
      const double y = top + line() * 1.6;
      pages_.draw([=, this](PdfCanvas& canvas) {
        canvas.useFont(bold_, kTextSize);
        canvas.text({kMargin, y}, label, kBlack);
        canvas.line({kMargin + 80, y + 1}, {kMargin + 330, y + 1}, kBlack, 1);
      });
      top += line() * 2.2;
    }
    if (!input_.summary.sha256.empty()) {
      const std::string digest = "SHA-256 выгрузки: " + input_.summary.sha256;
      pages_.draw([=, this](PdfCanvas& canvas) {
        canvas.useFont(regular_, 7);
        canvas.text({kMargin, top + line() * 1.5}, digest, kMuted);
      });
    }
  }

  bool rowEmpty(int r) const {
    for (int c = 1; c <= cells_.texts.columns(); ++c) {
      if (!cells_.texts.isEmpty(r, c)) {
        return false;
      }
    }
    return true;
  }

  // The columns' widths of a table in `width`: each as wide as its widest
  // text, the first (the labels) and the headings wrapping where the table
  // would be wider.
  std::vector<double> columnWidths(const std::vector<Row>& rows, double width) const {
    std::size_t columns = 0;
    for (const Row& row : rows) {
      columns = std::max(columns, row.size());
    }
    std::vector<double> natural(columns, 0);
    std::vector<double> least(columns, 0);
    for (const Row& row : rows) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        const plot::TextMeasure& m = measure(row[c].look.bold);
        const double textWidth = m.textWidth(row[c].text) + 2 * kCellPadding + 1;
        natural[c] = std::max(natural[c], textWidth);
        // The longest word: what the column cannot be narrower than.
        std::size_t from = 0;
        while (from <= row[c].text.size()) {
          const std::size_t space = row[c].text.find(' ', from);
          const std::string word = row[c].text.substr(
              from, space == std::string::npos ? std::string::npos : space - from);
          least[c] = std::max(least[c], m.textWidth(word) + 2 * kCellPadding + 1);
          if (space == std::string::npos) {
            break;
          }
          from = space + 1;
        }
      }
    }
    if (columns > 0) {
      natural[0] = std::min(natural[0], std::max(least[0], width * 0.42));
    }
    std::vector<double> widths = natural;
    double total = 0;
    for (const double w : widths) {
      total += w;
    }
    // Narrowed where the words allow, the widest first.
    while (total > width) {
      std::size_t widest = 0;
      double spare = 0;
      for (std::size_t c = 0; c < columns; ++c) {
        if (widths[c] - least[c] > spare) {
          spare = widths[c] - least[c];
          widest = c;
        }
      }
      if (spare <= 0.5) {
        break;
      }
      const double cut = std::min(spare, std::max(total - width, 1.0));
      widths[widest] -= cut;
      total -= cut;
    }
    return widths;
  }

  // The lines of each cell of a row in its column.
  std::vector<std::vector<std::string>> cellLines(const Row& row,
                                                  const std::vector<double>& widths) const {
    std::vector<std::vector<std::string>> lines(widths.size());
    for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
      if (!row[c].text.empty()) {
        lines[c] =
            wrapped(row[c].text, widths[c] - 2 * kCellPadding - 1, measure(row[c].look.bold));
      }
    }
    return lines;
  }

  double heightOf(const std::vector<std::vector<std::string>>& lines) const {
    std::size_t most = 1;
    for (const auto& cell : lines) {
      most = std::max(most, cell.size());
    }
    return static_cast<double>(most) * line() + 2 * kCellPadding - 1;
  }

  double rowHeight(const Row& row, const std::vector<double>& widths) const {
    return heightOf(cellLines(row, widths));
  }

  double tableHeightOf(const std::vector<Row>& rows, double width) const {
    const std::vector<double> widths = columnWidths(rows, width);
    double height = 0;
    for (const Row& row : rows) {
      height += rowHeight(row, widths);
    }
    return height;
  }

  // A table from `top`: rows that do not fit go on a new page (portrait),
  // which repeats the table's heading row. Returns where it ends.
  double table(const std::vector<Row>& rows, double top, double width, double pageHeight,
               bool breakPages) {
    // A table wider than the page, even with its words wrapped, is printed
    // in parts, each with the labels' column.
    std::size_t columns = 0;
    for (const Row& row : rows) {
      columns = std::max(columns, row.size());
    }
    std::vector<double> widths = columnWidths(rows, width);
    double total = 0;
    for (const double w : widths) {
      total += w;
    }
    if (total > width + 0.5 && columns > 2) {
      const std::size_t half = 1 + (columns - 1) / 2;
      for (const auto& [from, to] : {std::pair{std::size_t{1}, half}, std::pair{half, columns}}) {
        std::vector<Row> part;
        for (const Row& row : rows) {
          Row cut;
          for (std::size_t c = 0; c < columns; ++c) {
            if (c == 0 || (c >= from && c < to)) {
              cut.push_back(c < row.size() ? row[c] : Cell{});
            }
          }
          part.push_back(std::move(cut));
        }
        top = table(part, top, width, pageHeight, breakPages) + line() * 0.6;
      }
      return top;
    }
    const double limit = pageHeight - kMargin - line() - 4;
    // The table's heading row (bold and bordered), repeated on each page it
    // runs onto; a table begins on a new page rather than leave its title
    // and heading alone at the foot of one.
    std::optional<std::size_t> heading;
    for (std::size_t i = 0; i < std::min<std::size_t>(rows.size(), 2); ++i) {
      if (!rows[i].empty() && rows[i].front().look.bold && rows[i].front().look.border) {
        heading = i;
        break;
      }
    }
    double opening = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(rows.size(), (heading ? *heading : 0) + 2);
         ++i) {
      opening += rowHeight(rows[i], widths);
    }
    if (breakPages && top + opening > limit && top > kMargin + 1) {
      pages_.add(landscape_);
      top = kMargin;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::vector<std::vector<std::string>> lines = cellLines(rows[i], widths);
      if (breakPages && top + heightOf(lines) > limit && top > kMargin + 1) {
        pages_.add(landscape_);
        top = kMargin;
        if (heading && i > *heading) {
          top = drawRow(rows[*heading], cellLines(rows[*heading], widths), widths, top);
        }
      }
      top = drawRow(rows[i], std::move(lines), widths, top);
    }
    return top;
  }

  double drawRow(const Row& row, std::vector<std::vector<std::string>> lines,
                 const std::vector<double>& widths, double top) {
    const double height = heightOf(lines);
    double x = kMargin;
    for (std::size_t c = 0; c < widths.size(); ++c) {
      const CellLook look = c < row.size() ? row[c].look : CellLook{};
      const plot::Box box{x, top, widths[c], height};
      pages_.draw([this, look, box, text = std::move(lines[c])](PdfCanvas& canvas) {
        if (look.fill >= 0) {
          canvas.fill(box, colourOfFill(look.fill));
        }
        if (look.border) {
          canvas.frame(box, kBorder);
        }
        canvas.useFont(look.bold ? bold_ : regular_, kTextSize);
        double baseline = box.top + kCellPadding + canvas.ascent();
        for (const std::string& line : text) {
          const double left = look.center ? box.left + (box.width - canvas.textWidth(line)) / 2
                                          : box.left + kCellPadding;
          canvas.text({left, baseline}, line, kBlack);
          baseline += canvas.lineHeight();
        }
      });
      x += widths[c];
    }
    return top + height;
  }

  const PdfReportInput& input_;
  const PdfFont& regular_;
  const PdfFont& bold_;
  FontMeasure text_;
  FontMeasure strong_;
  SummaryCells cells_;
  CellLooks looks_;
  Pages pages_;
  bool landscape_ = false;  // the pages a table runs onto
};

// A page's content deflated by libdeflate, as the workbook's parts are: a
// few times faster than libharu's own zlib on the thousands of cells of a
// long journal, and the same bytes on every platform.
void deflateContent(HPDF_Page page, libdeflate_compressor* compressor) {
  auto* attr = static_cast<HPDF_PageAttr>(static_cast<HPDF_Dict>(page)->attr);
  HPDF_Dict content = attr->contents;
  HPDF_Stream stream = content->stream;
  std::string raw(HPDF_Stream_Size(stream), '\0');
  HPDF_UINT size = static_cast<HPDF_UINT>(raw.size());
  HPDF_Stream_Seek(stream, 0, HPDF_SEEK_SET);
  HPDF_Stream_Read(stream, reinterpret_cast<HPDF_BYTE*>(raw.data()), &size);
  std::string packed(libdeflate_zlib_compress_bound(compressor, size), '\0');
  packed.resize(
      libdeflate_zlib_compress(compressor, raw.data(), size, packed.data(), packed.size()));
  HPDF_MemStream_FreeData(stream);
  HPDF_Stream_Write(stream, reinterpret_cast<const HPDF_BYTE*>(packed.data()),
                    static_cast<HPDF_UINT>(packed.size()));
  // Written as it is now, its dictionary naming the filter that undoes it.
  content->filter = HPDF_STREAM_FILTER_NONE;
  content->write_fn = [](HPDF_Dict, HPDF_Stream out) {
    return HPDF_Stream_WriteStr(out, "/Filter /FlateDecode\012");
  };
}

HPDF_Date dateOf(const CivilDateTime& at) {
  HPDF_Date date{};
  date.year = at.year;
  date.month = at.month;
  date.day = at.day;
  date.hour = at.hour;
  date.minutes = at.minute;
  date.seconds = at.second;
  date.ind = ' ';
  return date;
}

}  // namespace

namespace {

// A PDF document with the report's fonts: pages laid out for its fonts are
// drawn on it, numbered, and saved.
class ReportDocument {
 public:
  ReportDocument(const std::string& regularFont, const std::string& boldFont)
      : regular_(load(regularFont)), bold_(load(boldFont)) {
    document_.check();
  }
  const PdfFont& regular() const { return regular_; }
  const PdfFont& bold() const { return bold_; }

  // The document's bytes: `pages` drawn, each with «Стр. N из M», every one
  // but the first with `running` at its head.
  std::string render(const Pages& pages, const std::string& title, const std::string& running,
                     const CivilDateTime& madeAt, const std::string& version) {
    HPDF_Doc pdf = document_.get();
    const std::string producer = std::string(kProgramTitle) + " " + version;
    HPDF_SetInfoAttr(pdf, HPDF_INFO_TITLE, title.c_str());
    HPDF_SetInfoAttr(pdf, HPDF_INFO_CREATOR, producer.c_str());
    HPDF_SetInfoAttr(pdf, HPDF_INFO_PRODUCER, producer.c_str());
    HPDF_SetInfoDateAttr(pdf, HPDF_INFO_CREATION_DATE, dateOf(madeAt));

    const std::size_t count = pages.all().size();
    std::size_t number = 0;
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(1), libdeflate_free_compressor);
    for (const Pages::Page& page : pages.all()) {
      ++number;
      HPDF_Page sheet = HPDF_AddPage(pdf);
      HPDF_Page_SetSize(sheet, HPDF_PAGE_SIZE_A4,
                        page.landscape ? HPDF_PAGE_LANDSCAPE : HPDF_PAGE_PORTRAIT);
      PdfCanvas canvas(sheet, regular_, kTextSize);
      for (const Pages::Step& step : page.steps) {
        step(canvas);
      }
      const std::string footer = "Стр. " + std::to_string(number) + " из " + std::to_string(count);
      const double width = page.landscape ? kA4Long : kA4Short;
      const double height = page.landscape ? kA4Short : kA4Long;
      canvas.useFont(regular_, 8);
      canvas.text({(width - canvas.textWidth(footer)) / 2, height - kMargin / 2}, footer, kMuted);
      if (number > 1) {
        canvas.text({kMargin, kMargin / 2 + 4}, running, kMuted);
      }
      canvas.finish();
      if (compressor) {
        deflateContent(sheet, compressor.get());
      }
    }
    document_.check();

    if (HPDF_SaveToStream(pdf) != HPDF_OK) {
      document_.check();
    }
    std::string bytes(HPDF_GetStreamSize(pdf), '\0');
    HPDF_UINT32 size = static_cast<HPDF_UINT32>(bytes.size());
    HPDF_ReadFromStream(pdf, reinterpret_cast<HPDF_BYTE*>(bytes.data()), &size);
    bytes.resize(size);
    document_.check();
    return bytes;
  }

 private:
  HPDF_Font load(const std::string& file) {
    HPDF_Doc pdf = document_.get();
    if (!fontsReady_) {
      HPDF_SetCompressionMode(pdf, HPDF_COMP_ALL);
      HPDF_UseUTFEncodings(pdf);
      HPDF_SetCurrentEncoder(pdf, "UTF-8");
      fontsReady_ = true;
    }
    const std::string path = platform::pathForCLibrary(file);
    const char* name = HPDF_LoadTTFontFromFile(pdf, path.c_str(), HPDF_TRUE);
    HPDF_Font loaded = name != nullptr ? HPDF_GetFont(pdf, name, "UTF-8") : nullptr;
    if (loaded == nullptr) {
      throw std::runtime_error("Не удалось построить PDF: не читается шрифт \"" + file + "\".");
    }
    mendToUnicode(loaded);
    return loaded;
  }

  Document document_;
  bool fontsReady_ = false;
  PdfFont regular_;
  PdfFont bold_;
};

}  // namespace

std::string pdfReport(const PdfReportInput& input) {
  ReportDocument document(input.regularFont, input.boldFont);
  ReportLayout layout(input, document.regular(), document.bold());
  const Pages pages = layout.layOut();
  return document.render(pages, "Отчёт по выгрузке «" + input.summary.exportName + "»",
                         input.summary.exportName + " · " +
                             printedSerial(input.summary.windowStart) + " — " +
                             printedSerial(input.summary.windowEnd),
                         input.madeAt, input.version);
}

std::string comparisonPdf(const ComparisonPdfInput& input) {
  ReportDocument document(input.regularFont, input.boldFont);
  PdfReportInput base;
  base.madeAt = input.madeAt;
  base.version = input.version;
  ReportLayout overview(base, document.regular(), document.bold());
  Pages pages = overview.comparisonPages(input.overview, input.charts);
  // A page for each tag, as its own report's first page: its chart and its
  // verdict with each limit's figures.
  std::vector<std::unique_ptr<ReportLayout>> tags;
  for (const PdfReportInput& tag : input.tags) {
    tags.push_back(std::make_unique<ReportLayout>(tag, document.regular(), document.bold()));
    pages.append(tags.back()->tagPage());
  }
  const std::string title = "Сравнение тегов · выгрузок: " + std::to_string(input.tags.size());
  return document.render(pages, title, title, input.madeAt, input.version);
}

std::string reportFont(const std::string& name) {
  const platform::fs::path folder = platform::pathOf(platform::programFolder());
  std::vector<platform::fs::path> places = {
      folder / "fonts" / name, folder / ".." / "share" / "vexa-chart" / "fonts" / name};
#ifdef VEXA_FONT_DIR
  places.push_back(platform::fs::path(VEXA_FONT_DIR) / name);
#endif
  for (const platform::fs::path& place : places) {
    std::error_code error;
    if (platform::fs::is_regular_file(place, error)) {
      return platform::textOf(place);
    }
  }
  throw std::runtime_error("Не удалось построить PDF: не найден шрифт " + name +
                           " (он ставится вместе с программой).");
}

std::string pdfPathFor(const std::string& workbookPath) {
  const std::string_view name = platform::fileNameOf(workbookPath);
  const auto dot = name.rfind('.');
  if (dot != std::string_view::npos) {
    return workbookPath.substr(0, workbookPath.size() - (name.size() - dot)) + ".pdf";
  }
  return workbookPath + ".pdf";
}

}  // namespace vexa::pdf
