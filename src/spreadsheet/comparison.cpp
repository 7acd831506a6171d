#include "spreadsheet/comparison.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/numbers.h"
#include "platform/files.h"
#include "report/report_layouts.h"
#include "report/summary_sheet.h"
#include "spreadsheet/chart_figure.h"
#include "spreadsheet/engine.h"

namespace vexa::sheet {

namespace {

constexpr std::size_t kMaxSheetName = 31;
constexpr int kRed = 0x0000C0;   // 0xBBGGRR: a high limit's line, as the report draws it
constexpr int kBlue = 0xC07000;  // a low limit's line
constexpr std::uint32_t kHighestFill = 0xF8CBAD;  // 0xRRGGBB: the highest maximum
constexpr std::uint32_t kLowestFill = 0xBDD7EE;   // the lowest minimum
constexpr double kChartHeight = 400;
constexpr double kRowPoints = 15;

// The UTF-16 length of a UTF-8 sequence's character.
std::size_t utf16Units(unsigned char lead) {
  return lead >= 0xF0 ? 2 : 1;
}

// The name's letters in one case, for telling sheet names apart as the
// spreadsheet does: Latin and Cyrillic capitals made small.
std::string folded(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xD0 && i + 1 < name.size()) {
      const auto next = static_cast<unsigned char>(name[++i]);
      if (next >= 0x90 && next <= 0x9F) {  // А-П
        out += '\xD0';
        out += static_cast<char>(next + 0x20);
      } else if (next >= 0xA0 && next <= 0xAF) {  // Р-Я
        out += '\xD1';
        out += static_cast<char>(next - 0x20);
      } else if (next == 0x81) {  // Ё
        out += "\xD1\x91";
      } else {
        out += '\xD0';
        out += static_cast<char>(next);
      }
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// `text` cut to at most `units` UTF-16 units, between characters.
std::string cutTo(const std::string& text, std::size_t units) {
  std::size_t used = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (used + utf16Units(lead) > units) {
      break;
    }
    used += utf16Units(lead);
    i += length;
  }
  return text.substr(0, std::min(i, text.size()));
}

// A text of the overview as the cell it goes in: a number, a date and time,
// or the text itself.
void putOverviewCell(WorkbookModel& model, Cell& cell, const std::string& text,
                     std::uint32_t numberFormat, std::uint32_t dateFormat, CellFormat look,
                     bool asText = false) {
  double serial = 0;
  if (text.empty()) {
    cell.kind = Cell::Kind::Empty;
  } else if (asText) {
    cell.kind = Cell::Kind::Text;
    cell.text = model.texts.intern(text);
  } else if (text.size() == 19 && tryParseDateTime(text, serial)) {
    cell.kind = Cell::Kind::Number;
    cell.number = serial;
    look.numberFormat = dateFormat;
  } else if (double number = 0; tryParseReadingValue(text, number)) {
    cell.kind = Cell::Kind::Number;
    cell.number = number;
    look.numberFormat = numberFormat;
  } else {
    cell.kind = Cell::Kind::Text;
    cell.text = model.texts.intern(text);
  }
  cell.format = model.formats.intern(look);
}

// The data sheet of a report of `layout`: the second, or the first for
// motion events and states.
const char* dataSheetOf(int layout) {
  return layout == kMotionEvents || layout == kPairedState ? "Лист1" : "Лист2";
}

void widen(std::optional<double>& kept, const std::optional<double>& value, bool lowest) {
  if (!value) {
    return;
  }
  kept = !kept ? value : lowest ? std::min(*kept, *value) : std::max(*kept, *value);
}

}  // namespace

std::string sheetNameFor(const std::string& fileName, std::set<std::string>& taken) {
  std::string name;
  for (const char c : stemOf(fileName)) {
    name += std::string_view("[]:*?/\\").find(c) == std::string_view::npos ? c : '_';
  }
  while (!name.empty() && name.front() == '\'') {
    name.erase(0, 1);
  }
  while (!name.empty() && name.back() == '\'') {
    name.pop_back();
  }
  if (name.empty()) {
    name = "Выгрузка";
  }
  std::string candidate = cutTo(name, kMaxSheetName);
  const auto inUse = [&](const std::string& text) {
    return taken.count(folded(text)) != 0 || folded(text) == folded(kOverviewSheet);
  };
  for (int n = 2; inUse(candidate); ++n) {
    const std::string suffix = " (" + std::to_string(n) + ")";
    candidate = cutTo(name, kMaxSheetName - suffix.size()) + suffix;
  }
  taken.insert(folded(candidate));
  return candidate;
}

ComparisonBook::ComparisonBook(bool figures) : keepFigures_(figures) {}

void ComparisonBook::add(std::size_t order, const std::string& fileName, int layout,
                         ReportSummary summary, const WorkbookModel& report) {
  const std::lock_guard<std::mutex> guard(lock_);
  Added added;
  added.order = order;
  added.fileName = fileName;

  // The table, its cells' formats and texts taken into this workbook.
  added.sheet = std::make_shared<SheetModel>();
  SheetModel& sheet = *added.sheet;
  const std::string dataSheet = dataSheetOf(layout);
  const auto data = report.sheetNamed(dataSheet);
  if (data) {
    std::map<std::uint32_t, std::uint32_t> formats;
    for (int r = 1; r <= data->cells.rowCount(); ++r) {
      const std::vector<Cell>& from = data->cells.row(r);
      if (from.empty()) {
        continue;
      }
      std::vector<Cell>& to = sheet.cells.row(r, static_cast<int>(from.size()));
      for (std::size_t c = 0; c < from.size(); ++c) {
        Cell cell = from[c];
        auto known = formats.find(cell.format);
        if (known == formats.end()) {
          CellFormat look = report.formats.at(cell.format);
          look.numberFormat = model_.formats.internCode(report.formats.code(look.numberFormat));
          known = formats.emplace(cell.format, model_.formats.intern(look)).first;
        }
        cell.format = known->second;
        if (cell.kind == Cell::Kind::Text) {
          cell.text = model_.texts.intern(report.texts.at(cell.text));
        }
        to[c] = cell;
      }
    }
    sheet.columnWidths = data->columnWidths;
    sheet.rowHeights = data->rowHeights;
    sheet.page = data->page;
  }

  // Its chart's lines of the table's measured series, and the axes they
  // were drawn on; their sheet and their name's cell are set once the
  // export's place is known.
  const std::vector<const ChartModel*> charts = chartsOf(report);
  if (const ChartModel* chart = charts.empty() ? nullptr : charts.front();
      chart != nullptr && data) {
    for (const auto& drawn : chart->series) {
      if (drawn->deleted || !drawn->values || drawn->values->sheet != dataSheet || !drawn->name) {
        continue;
      }
      const Cell* nameCell = data->cells.find(drawn->name->firstRow, drawn->name->firstColumn);
      if (nameCell == nullptr || nameCell->kind != Cell::Kind::Text) {
        continue;
      }
      // The summary's series of that heading tells its quantity.
      const std::string heading = report.texts.at(nameCell->text);
      const auto measured =
          std::find_if(summary.series.begin(), summary.series.end(), [&](const SummarySeries& m) {
            return m.name == heading && m.kind == SummarySeries::Kind::Measurement;
          });
      if (measured == summary.series.end()) {
        continue;
      }
      ChartSeries line = *drawn;
      line.literalName.clear();
      line.axisGroup = 1;
      line.lineColour.reset();
      line.lineStyle.reset();
      added.lines.push_back(
          {measured->key, measured->name, chart->axis(2, drawn->axisGroup), std::move(line)});
    }
    added.time = chart->axis(1, 1);
  }

  if (keepFigures_) {
    // Thinned as the PDF's page draws it: two columns a point across it.
    added.figure = chartFigure(report);
    if (added.figure) {
      for (plot::ChartLine& line : added.figure->lines) {
        line.points = plot::thinPoints(line.points, added.figure->first, added.figure->last, 1600);
      }
    }
  }
  added.overview = {std::string(platform::fileNameOf(fileName)), layout, std::move(summary)};
  ReportSummary& kept = added.overview.summary;
  kept.excursions.clear();
  kept.gaps.clear();
  kept.journal.clear();
  kept.journalDays.clear();
  added_.push_back(std::move(added));
}

const WorkbookModel& ComparisonBook::finish(const DocumentProperties& properties) {
  const std::lock_guard<std::mutex> guard(lock_);
  model_.properties = properties;
  // The exports in their order: their sheets' names, their lines' sheet and
  // name cell (the tag on «Сводка»), the quantities' charts and the common
  // time axis.
  std::sort(added_.begin(), added_.end(),
            [](const Added& a, const Added& b) { return a.order < b.order; });
  std::set<std::string> taken;
  std::vector<OverviewExport>& exports = exports_;
  exports.clear();
  figures_.clear();
  std::vector<QuantityLines> quantities;
  ChartAxis timeAxis;
  bool timed = false;
  for (std::size_t e = 0; e < added_.size(); ++e) {
    Added& added = added_[e];
    added.sheet->name = sheetNameFor(added.fileName, taken);
    model_.sheets.push_back(added.sheet);
    const int row = static_cast<int>(e) + 2;
    for (Line& line : added.lines) {
      line.series.name = SheetBlock{kOverviewSheet, row, 1, row, 1};
      line.series.values->sheet = added.sheet->name;
      if (line.series.xValues) {
        line.series.xValues->sheet = added.sheet->name;
      }
      auto quantity = std::find_if(quantities.begin(), quantities.end(),
                                   [&](const QuantityLines& q) { return q.key == line.key; });
      if (quantity == quantities.end()) {
        quantities.push_back({line.key, line.name, {}, line.axis});
        quantity = quantities.end() - 1;
      } else {
        widen(quantity->axis.minimum, line.axis.minimum, true);
        widen(quantity->axis.maximum, line.axis.maximum, false);
      }
      quantity->lines.push_back(line.series);
    }
    if (added.time && !timed) {
      timeAxis = *added.time;
      timed = true;
    } else if (added.time) {
      widen(timeAxis.minimum, added.time->minimum, true);
      widen(timeAxis.maximum, added.time->maximum, false);
    }
    exports.push_back(std::move(added.overview));
    figures_.push_back(std::move(added.figure));
  }
  added_.clear();
  overview_ = overviewOf(exports);
  const Overview& overview = overview_;
  auto sheet = std::make_shared<SheetModel>();
  sheet->name = kOverviewSheet;
  const std::uint32_t numberFormat = 0;  // General: each figure as the summary gives it
  const std::uint32_t dateFormat = model_.formats.internCode("dd/mm/yy h:mm:ss;@");
  CellFormat heading;
  heading.bold = true;
  heading.wrap = true;
  heading.border = BorderLine::Thin;
  heading.alignment = HorizontalAlignment::Center;
  CellFormat plain;
  plain.border = BorderLine::Thin;

  const int columns = static_cast<int>(overview.headings.size());
  std::vector<Cell>& top = sheet->cells.row(1, columns);
  for (int c = 0; c < columns; ++c) {
    putOverviewCell(model_, top[static_cast<std::size_t>(c)],
                    overview.headings[static_cast<std::size_t>(c)], numberFormat, dateFormat,
                    heading);
  }
  sheet->rowHeights[1] = 60;
  // The marked cells: the highest maximum and the lowest minimum of each
  // quantity, by their column's heading and the mark's words.
  for (std::size_t r = 0; r < overview.rows.size(); ++r) {
    const std::vector<std::string>& texts = overview.rows[r];
    std::vector<Cell>& row = sheet->cells.row(static_cast<int>(r) + 2, columns);
    for (int c = 0; c < columns; ++c) {
      CellFormat look = plain;
      switch (overviewMark(overview, r, static_cast<std::size_t>(c))) {
        case OverviewMark::HighestMaximum:
          look.fill = kHighestFill;
          look.bold = true;
          break;
        case OverviewMark::LowestMinimum:
          look.fill = kLowestFill;
          look.bold = true;
          break;
        case OverviewMark::Verdict:
          if (const int bgr = verdictFill(texts[static_cast<std::size_t>(c)]); bgr >= 0) {
            look.fill = static_cast<std::uint32_t>(((bgr & 0xFF) << 16) | (bgr & 0xFF00) |
                                                   ((bgr >> 16) & 0xFF));
          }
          break;
        case OverviewMark::None:
          break;
      }
      // The tag and the layout are texts whatever they look like.
      putOverviewCell(model_, row[static_cast<std::size_t>(c)], texts[static_cast<std::size_t>(c)],
                      numberFormat, dateFormat, look, c < 2);
    }
  }
  sheet->columnWidths[1] = 28;
  for (int c = 2; c <= columns; ++c) {
    // Dates and times in full; the other figures narrower.
    const std::string& title = overview.headings[static_cast<std::size_t>(c - 1)];
    sheet->columnWidths[c] =
        title.find("показание") != std::string::npos || title.find("время") != std::string::npos
            ? 18
            : 14;
  }
  sheet->columnWidths[columns] = 40;
  // Printed on A4 landscape pages, the tags' column on every page (the
  // comparison's PDF holds the overview in readable parts).
  sheet->page.set = true;
  sheet->page.landscape = true;
  sheet->page.titleFirstColumn = sheet->page.titleLastColumn = 1;
  sheet->page.footer = "Стр. &P из &N";

  // The limits' lines: where every tag of a quantity has the same limit,
  // its two points across the common window, below the overview.
  int next = static_cast<int>(overview.rows.size()) + 3;
  const double from = timeAxis.minimum.value_or(0);
  const double to = timeAxis.maximum.value_or(from);
  std::vector<std::vector<ChartSeries>> limitSeries(quantities.size());
  const auto text = [&](int r, int c, const std::string& value) {
    Cell& cell = sheet->cells.at(r, c);
    cell.kind = Cell::Kind::Text;
    cell.text = model_.texts.intern(value);
  };
  const auto number = [&](int r, int c, double value, std::uint32_t code) {
    Cell& cell = sheet->cells.at(r, c);
    cell.kind = Cell::Kind::Number;
    cell.number = value;
    CellFormat look;
    look.numberFormat = code;
    cell.format = model_.formats.intern(look);
  };
  bool titled = false;
  for (std::size_t q = 0; q < quantities.size(); ++q) {
    const QuantityLines& quantity = quantities[q];
    for (const bool high : {false, true}) {
      std::optional<double> shared;
      bool same = true;
      std::size_t given = 0;
      for (const OverviewExport& e : exports) {
        for (const LimitLine& line : e.summary.limitLines) {
          if (line.high == high &&
              e.summary.series[static_cast<std::size_t>(line.series)].key == quantity.key) {
            same = same && (!shared || *shared == line.value);
            shared = line.value;
            ++given;
          }
        }
      }
      if (!shared || !same || given != quantity.lines.size()) {
        continue;
      }
      if (!titled) {
        text(next, 1, "Линии пределов на графиках");
        next += 1;
        titled = true;
      }
      text(next, 1, quantity.name + ": " + limitLabel(high, *shared));
      number(next, 2, from, dateFormat);
      number(next + 1, 2, to, dateFormat);
      number(next, 3, *shared, numberFormat);
      number(next + 1, 3, *shared, numberFormat);
      ChartSeries line;
      line.name = SheetBlock{kOverviewSheet, next, 1, next, 1};
      line.xValues = SheetBlock{kOverviewSheet, next, 2, next + 1, 2};
      line.values = SheetBlock{kOverviewSheet, next, 3, next + 1, 3};
      line.lineStyle = -4115;
      line.lineColour = high ? kRed : kBlue;
      line.lineWeight = -4138;
      limitSeries[q].push_back(line);
      next += 2;
    }
  }

  // A chart per quantity, one below the other.
  double chartTop = (next + 1) * kRowPoints;
  for (std::size_t q = 0; q < quantities.size(); ++q) {
    auto chart = std::make_shared<ChartModel>();
    chart->name = "Сравнение " + std::to_string(q + 1);
    for (const ChartSeries& line : quantities[q].lines) {
      chart->series.push_back(std::make_shared<ChartSeries>(line));
    }
    for (const ChartSeries& line : limitSeries[q]) {
      chart->series.push_back(std::make_shared<ChartSeries>(line));
    }
    chart->axis(1, 1) = timeAxis;
    chart->axis(2, 1) = quantities[q].axis;
    chart->axis(2, 1).hasTitle = true;
    chart->axis(2, 1).title = quantities[q].name;
    EmbeddedChart placed;
    placed.chart = chart;
    placed.name = chart->name;
    placed.left = 1;
    placed.top = chartTop;
    placed.width = 670;
    placed.height = kChartHeight;
    sheet->charts.push_back(placed);
    chartTop += kChartHeight + 10;
  }
  model_.sheets.insert(model_.sheets.begin(), sheet);
  return model_;
}

void ComparedReport::Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) {
  const ReportControls controls = host_.controls();
  AutomationComponents c;
  c.XL = server_.attach();
  c.XL->setSheetsInNewWorkbook(3);
  c.WB = c.XL->Workbooks()->Add();
  c.ASheet = c.XL->Sheets(count == kMotionEvents || count == kPairedState ? 1 : 2);
  ReportSummary summary =
      summarize(count, Arr, session_, controls, OsMin1, OsMax1, controls.limits);
  LayoutContext layout{count, Arr, OsMin1, OsMax1, s, session_, controls, c};
  buildLayout(layout);
  taker_(*modelOf(*c.WB), std::move(summary));
  c.WB->Close();
  done = true;
}

std::string comparisonBaseName(const std::string& folder, const CivilDateTime& now) {
  return folder + "Сравнение-" + reportTimeStamp(now);
}

}  // namespace vexa::sheet
