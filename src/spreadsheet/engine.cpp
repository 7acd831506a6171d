#include "spreadsheet/engine.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstring>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "spreadsheet/entry_rules.h"
#include "spreadsheet/ooxml_writer.h"
#include "spreadsheet/package.h"

extern "C" char** environ;

namespace vexa::sheet {

// ---------------------------------------------------------------- state ----

struct WorkbookState;

struct ApplicationState {
  EngineOptions options;
  bool visible = false;
  bool displayAlerts = true;
  bool quit = false;
  int sheetsInNewWorkbook = 3;
  bool backgroundChecking = true;
  bool numberAsText = true;
  bool inconsistentFormula = true;
  std::vector<std::shared_ptr<WorkbookState>> workbooks;  // open ones, oldest first
  int created = 0;

  void checkRunning() const {
    if (quit) {
      throw std::runtime_error("Приложение электронных таблиц уже завершило работу.");
    }
  }
  std::shared_ptr<WorkbookState> activeWorkbook() const {
    checkRunning();
    if (workbooks.empty()) {
      throw std::runtime_error("В приложении электронных таблиц нет открытой книги.");
    }
    return workbooks.back();
  }
};

struct WorkbookState {
  ApplicationState* application = nullptr;
  WorkbookModel model;
  std::string name;  // "Книга1" until saved
  std::string path;  // the file it was saved to
  bool closed = false;
  std::shared_ptr<SheetModel> active;  // the active sheet

  void checkOpen() const {
    if (closed) {
      throw std::runtime_error("Книга \"" + name + "\" уже закрыта.");
    }
    application->checkRunning();
  }

  // The workbook leaves the engine: closed, its cells released.
  void release() {
    closed = true;
    model = WorkbookModel();
    auto& open = application->workbooks;
    for (auto it = open.begin(); it != open.end(); ++it) {
      if (it->get() == this) {
        open.erase(it);
        break;
      }
    }
  }

  void writeTo(const std::string& file) {
    model.ignoreNumberAsText = !application->backgroundChecking || !application->numberAsText;
    model.ignoreInconsistentFormula =
        !application->backgroundChecking || !application->inconsistentFormula;
    const std::string bytes = zipPackage(workbookParts(model, application->options.chartCaches),
                                         application->options.deflateLevel);
    writeFileAtomically(file, bytes);
  }
};

namespace {

[[noreturn]] void fail(const std::string& text) {
  throw std::runtime_error(text);
}

std::string inQuotes(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

// ------------------------------------------------------------- objects ----

class RangeObject;

class WorksheetObject final : public xl::Worksheet,
                              public std::enable_shared_from_this<WorksheetObject> {
 public:
  WorksheetObject(std::shared_ptr<WorkbookState> book, std::shared_ptr<SheetModel> sheet)
      : book_(std::move(book)), sheet_(std::move(sheet)) {}

  std::string Name() override {
    check();
    return sheet_->name;
  }
  xl::RangePtr Cells(int row, int column) override;
  xl::RangePtr Range(const xl::Range& cell1, const xl::Range& cell2) override;
  xl::ChartObjectsPtr ChartObjects() override;
  xl::ShapePtr Shapes(int index) override;

  void check() const {
    book_->checkOpen();
    if (sheet_->removed) {
      fail("Лист " + inQuotes(sheet_->name) + " удалён из книги.");
    }
  }
  void checkCells() const {
    check();
    if (sheet_->chartSheet) {
      fail("Лист " + inQuotes(sheet_->name) + " — лист диаграммы, в нём нет ячеек.");
    }
  }
  const std::shared_ptr<WorkbookState>& book() const { return book_; }
  const std::shared_ptr<SheetModel>& sheet() const { return sheet_; }

 private:
  std::shared_ptr<WorkbookState> book_;
  std::shared_ptr<SheetModel> sheet_;
};

class FontObject;
class BordersObject;

class RangeObject final : public xl::Range, public std::enable_shared_from_this<RangeObject> {
 public:
  RangeObject(std::shared_ptr<WorksheetObject> sheet, CellBlock block)
      : sheet_(std::move(sheet)), block_(block) {}

  const std::shared_ptr<WorksheetObject>& worksheet() const { return sheet_; }
  const CellBlock& block() const { return block_; }

  void setHorizontalAlignment(int alignment) override {
    static const std::map<int, HorizontalAlignment> kValues = {
        {1, HorizontalAlignment::General},
        {2, HorizontalAlignment::Left},
        {3, HorizontalAlignment::Center},
        {4, HorizontalAlignment::Right},
        {5, HorizontalAlignment::Fill},
        {6, HorizontalAlignment::Justify},
        {7, HorizontalAlignment::CenterContinuous},
        {-4131, HorizontalAlignment::Left},
        {-4108, HorizontalAlignment::Center},
        {-4152, HorizontalAlignment::Right},
        {-4130, HorizontalAlignment::Justify}};
    const auto found = kValues.find(alignment);
    if (found == kValues.end()) {
      fail("Недопустимое выравнивание ячеек: " + std::to_string(alignment) + ".");
    }
    const HorizontalAlignment value = found->second;
    reformat([value](CellFormat& f) { f.alignment = value; });
  }

  void setColumnWidth(double width) override {
    sheet_->checkCells();
    if (!(width >= 0 && width <= 255)) {
      fail("Ширина столбца должна быть от 0 до 255 знаков.");
    }
    for (int c = block_.firstColumn; c <= block_.lastColumn; ++c) {
      sheet_->sheet()->columnWidths[c] = width;
    }
  }

  void setNumberFormat(std::string_view format) override {
    applyNumberFormat(numberFormatCode(format));
  }

  void setNumberFormatLocal(std::string_view format) override {
    applyNumberFormat(numberFormatFromLocal(format));
  }

  void setFormulaR1C1Local(const TextTable& values) override {
    sheet_->checkCells();
    WorkbookModel& model = sheet_->book()->model;
    CellStore& cells = sheet_->sheet()->cells;
    std::map<std::pair<std::uint32_t, std::string_view>, std::uint32_t> withAutoFormat;
    for (int r = block_.firstRow; r <= block_.lastRow; ++r) {
      const int i = r - block_.firstRow + 1;
      for (int c = block_.firstColumn; c <= block_.lastColumn; ++c) {
        const int j = c - block_.firstColumn + 1;
        // Cells beyond the array are left empty.
        const std::string_view typed =
            i <= values.rows() && j <= values.columns() ? values.at(i, j) : std::string_view();
        LocalEntry entry = readLocalEntry(typed);
        Cell& cell = cells.at(r, c);
        switch (entry.kind) {
          case LocalEntry::Kind::Empty:
            cell.kind = Cell::Kind::Empty;
            break;
          case LocalEntry::Kind::Number:
            cell.kind = Cell::Kind::Number;
            cell.number = entry.number;
            if (!entry.autoFormat.empty() && model.formats.at(cell.format).numberFormat == 0) {
              const auto key = std::make_pair(cell.format, entry.autoFormat);
              auto found = withAutoFormat.find(key);
              if (found == withAutoFormat.end()) {
                CellFormat f = model.formats.at(cell.format);
                f.numberFormat = model.formats.internCode(entry.autoFormat);
                found = withAutoFormat.emplace(key, model.formats.intern(f)).first;
              }
              cell.format = found->second;
            }
            break;
          case LocalEntry::Kind::Text:
            cell.kind = Cell::Kind::Text;
            cell.text = model.texts.intern(entry.text);
            break;
        }
      }
    }
  }

  xl::FontPtr Font() override;
  xl::BordersPtr Borders() override;

  // Changes the format of every cell of the block.
  template <class Change>
  void reformat(Change&& change) {
    sheet_->checkCells();
    WorkbookModel& model = sheet_->book()->model;
    CellStore& cells = sheet_->sheet()->cells;
    std::map<std::uint32_t, std::uint32_t> changed;  // old format → new format
    for (int r = block_.firstRow; r <= block_.lastRow; ++r) {
      for (int c = block_.firstColumn; c <= block_.lastColumn; ++c) {
        Cell& cell = cells.at(r, c);
        auto found = changed.find(cell.format);
        if (found == changed.end()) {
          CellFormat f = model.formats.at(cell.format);
          change(f);
          found = changed.emplace(cell.format, model.formats.intern(f)).first;
        }
        cell.format = found->second;
      }
    }
  }

 private:
  void applyNumberFormat(const std::string& code) {
    sheet_->checkCells();
    const std::uint32_t index = sheet_->book()->model.formats.internCode(code);
    reformat([index](CellFormat& f) { f.numberFormat = index; });
  }

  std::shared_ptr<WorksheetObject> sheet_;
  CellBlock block_;
};

class FontObject final : public xl::Font {
 public:
  explicit FontObject(std::shared_ptr<RangeObject> range) : range_(std::move(range)) {}
  void setBold(bool bold) override {
    range_->reformat([bold](CellFormat& f) { f.bold = bold; });
  }

 private:
  std::shared_ptr<RangeObject> range_;
};

class BordersObject final : public xl::Borders {
 public:
  explicit BordersObject(std::shared_ptr<RangeObject> range) : range_(std::move(range)) {}

  void setLineStyle(int style) override {
    BorderLine line;
    switch (style) {
      case 1:  // continuous: the line keeps its weight, thin by default
        range_->reformat([](CellFormat& f) {
          if (f.border == BorderLine::None || f.border == BorderLine::Dashed ||
              f.border == BorderLine::Dotted || f.border == BorderLine::Double) {
            f.border = BorderLine::Thin;
          }
        });
        return;
      case -4142:
        line = BorderLine::None;
        break;
      case -4115:
        line = BorderLine::Dashed;
        break;
      case -4118:
        line = BorderLine::Dotted;
        break;
      case -4119:
        line = BorderLine::Double;
        break;
      default:
        fail("Недопустимый тип линии границы: " + std::to_string(style) + ".");
    }
    range_->reformat([line](CellFormat& f) { f.border = line; });
  }

  void setWeight(int weight) override {
    BorderLine line;
    switch (weight) {
      case 1:
        line = BorderLine::Hair;
        break;
      case 2:
        line = BorderLine::Thin;
        break;
      case -4138:
        line = BorderLine::Medium;
        break;
      case 4:
        line = BorderLine::Thick;
        break;
      default:
        fail("Недопустимая толщина границы: " + std::to_string(weight) + ".");
    }
    range_->reformat([line](CellFormat& f) { f.border = line; });
  }

 private:
  std::shared_ptr<RangeObject> range_;
};

xl::FontPtr RangeObject::Font() {
  sheet_->checkCells();
  return std::make_shared<FontObject>(shared_from_this());
}

xl::BordersPtr RangeObject::Borders() {
  sheet_->checkCells();
  return std::make_shared<BordersObject>(shared_from_this());
}

xl::RangePtr WorksheetObject::Cells(int row, int column) {
  checkCells();
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
    fail("Ячейки (строка " + std::to_string(row) + ", столбец " + std::to_string(column) +
         ") на листе " + inQuotes(sheet_->name) +
         " нет: строки и столбцы нумеруются с 1, их не больше " + std::to_string(kMaxRows) + " и " +
         std::to_string(kMaxColumns) + ".");
  }
  return std::make_shared<RangeObject>(shared_from_this(), CellBlock{row, column, row, column});
}

xl::RangePtr WorksheetObject::Range(const xl::Range& cell1, const xl::Range& cell2) {
  checkCells();
  const auto* a = dynamic_cast<const RangeObject*>(&cell1);
  const auto* b = dynamic_cast<const RangeObject*>(&cell2);
  if (a == nullptr || b == nullptr || a->worksheet()->sheet() != sheet_ ||
      b->worksheet()->sheet() != sheet_) {
    fail("Границы диапазона должны быть ячейками листа " + inQuotes(sheet_->name) + ".");
  }
  // The rectangle between the two, whichever corner comes first.
  const CellBlock block{
      std::min(a->block().firstRow, b->block().firstRow),
      std::min(a->block().firstColumn, b->block().firstColumn),
      std::max(a->block().lastRow, b->block().lastRow),
      std::max(a->block().lastColumn, b->block().lastColumn),
  };
  return std::make_shared<RangeObject>(shared_from_this(), block);
}

class WorkbookObject final : public xl::Workbook {
 public:
  explicit WorkbookObject(std::shared_ptr<WorkbookState> book) : book_(std::move(book)) {}

  void SaveAs(std::string_view fileName, int fileFormat, int accessMode) override {
    book_->checkOpen();
    if (fileFormat != xl::xlWorkbookNormal && fileFormat != 51) {
      fail("Формат файла " + std::to_string(fileFormat) + " не поддерживается.");
    }
    if (accessMode < 1 || accessMode > 3) {
      fail("Недопустимый режим доступа к книге: " + std::to_string(accessMode) + ".");
    }
    std::string file(fileName);
    if (!file.ends_with(".xlsx")) {
      file += ".xlsx";
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    if (!error) {
      file = absolute.string();
    }
    book_->writeTo(file);
    book_->path = file;
    book_->name = std::filesystem::path(file).filename().string();
  }

  void Save() override {
    book_->checkOpen();
    if (book_->path.empty()) {
      fail("Книга " + inQuotes(book_->name) + " ещё не сохранялась, у неё нет имени файла.");
    }
    book_->writeTo(book_->path);
  }

  void Close() override {
    book_->checkOpen();
    book_->release();
  }

  xl::ChartsPtr Charts() override;

  const std::shared_ptr<WorkbookState>& state() const { return book_; }

 private:
  std::shared_ptr<WorkbookState> book_;
};

// --------------------------------------------------------------- charts ----

// Where a chart lives: on its own chart sheet, or embedded in a worksheet.
struct ChartPlace {
  std::shared_ptr<WorkbookState> book;
  std::shared_ptr<ChartModel> chart;
  std::shared_ptr<SheetModel> sheet;  // the chart sheet, or the worksheet holding it

  void check() const {
    book->checkOpen();
    if (sheet->removed) {
      fail("Диаграммы на листе " + inQuotes(sheet->name) + " больше нет: она перенесена.");
    }
    if (!sheet->chartSheet) {
      const auto& charts = sheet->charts;
      if (std::none_of(charts.begin(), charts.end(),
                       [&](const EmbeddedChart& e) { return e.chart == chart; })) {
        fail("Диаграммы больше нет на листе " + inQuotes(sheet->name) + ".");
      }
    }
  }
  EmbeddedChart* embedded() const {
    for (EmbeddedChart& e : sheet->charts) {
      if (e.chart == chart) {
        return &e;
      }
    }
    return nullptr;
  }
  // The series not deleted, in order.
  std::vector<std::shared_ptr<ChartSeries>> series() const {
    std::vector<std::shared_ptr<ChartSeries>> present;
    for (const auto& s : chart->series) {
      if (!s->deleted) {
        present.push_back(s);
      }
    }
    return present;
  }
};

// A block of a worksheet of this workbook, named by a series formula.
SheetBlock sheetBlockOf(const WorkbookState& book, std::string_view formula) {
  SheetBlock block = parseSeriesReference(formula);
  const auto sheet = book.model.sheetNamed(block.sheet);
  if (!sheet) {
    fail("Листа " + inQuotes(block.sheet) + " в книге нет (ссылка " + std::string(formula) + ").");
  }
  if (sheet->chartSheet) {
    fail("Лист " + inQuotes(block.sheet) + " — лист диаграммы, в нём нет ячеек.");
  }
  return block;
}

class SeriesObject final : public xl::Series {
 public:
  SeriesObject(ChartPlace place, std::shared_ptr<ChartSeries> series)
      : place_(std::move(place)), series_(std::move(series)) {}

  void Delete() override {
    check();
    series_->deleted = true;
  }
  void setName(std::string_view name) override {
    check();
    if (!name.empty() && name.front() == '=') {
      series_->name = sheetBlockOf(*place_.book, name);
      series_->literalName.clear();
    } else {
      series_->name.reset();
      series_->literalName = std::string(name);
    }
  }
  void setXValues(std::string_view formula) override {
    check();
    series_->xValues = sheetBlockOf(*place_.book, formula);
  }
  void setValues(std::string_view formula) override {
    check();
    series_->values = sheetBlockOf(*place_.book, formula);
  }
  void setMarkerStyle(int style) override {
    check();
    static constexpr int kStyles[] = {-4142, -4105, 1,     2,     3,     4,    5,
                                      8,     9,     -4115, -4118, -4147, -4168};
    if (std::find(std::begin(kStyles), std::end(kStyles), style) == std::end(kStyles)) {
      fail("Недопустимый вид маркера: " + std::to_string(style) + ".");
    }
    series_->markerStyle = style;
  }
  void setAxisGroup(int group) override {
    check();
    if (group != 1 && group != 2) {
      fail("Группа осей может быть только 1 или 2, а не " + std::to_string(group) + ".");
    }
    series_->axisGroup = group;
  }

 private:
  void check() const {
    place_.check();
    if (series_->deleted) {
      fail("Ряд удалён из диаграммы.");
    }
  }
  ChartPlace place_;
  std::shared_ptr<ChartSeries> series_;
};

class SeriesCollectionObject final : public xl::SeriesCollection {
 public:
  explicit SeriesCollectionObject(ChartPlace place) : place_(std::move(place)) {}
  xl::SeriesPtr NewSeries() override {
    place_.check();
    auto series = std::make_shared<ChartSeries>();
    place_.chart->series.push_back(series);
    return std::make_shared<SeriesObject>(place_, std::move(series));
  }

 private:
  ChartPlace place_;
};

class CharactersObject final : public xl::Characters {
 public:
  CharactersObject(ChartPlace place, int type, int group)
      : place_(std::move(place)), type_(type), group_(group) {}
  void setText(std::string_view text) override {
    place_.check();
    place_.chart->axis(type_, group_).title = std::string(text);
  }

 private:
  ChartPlace place_;
  int type_;
  int group_;
};

class AxisTitleObject final : public xl::AxisTitle {
 public:
  AxisTitleObject(ChartPlace place, int type, int group)
      : place_(std::move(place)), type_(type), group_(group) {}
  xl::CharactersPtr Characters() override {
    place_.check();
    return std::make_shared<CharactersObject>(place_, type_, group_);
  }

 private:
  ChartPlace place_;
  int type_;
  int group_;
};

class TickLabelsObject final : public xl::TickLabels {
 public:
  TickLabelsObject(ChartPlace place, int type, int group)
      : place_(std::move(place)), type_(type), group_(group) {}
  void setNumberFormat(std::string_view format) override {
    place_.check();
    place_.chart->axis(type_, group_).numberFormat = numberFormatCode(format);
  }
  void setOrientation(int degrees) override {
    place_.check();
    switch (degrees) {
      case -4171:  // upward
        degrees = 90;
        break;
      case -4170:  // downward
        degrees = -90;
        break;
      case -4128:  // horizontal
        degrees = 0;
        break;
      default:
        if (degrees < -90 || degrees > 90) {
          fail("Наклон подписей должен быть от -90 до 90 градусов.");
        }
    }
    place_.chart->axis(type_, group_).orientation = degrees;
  }

 private:
  ChartPlace place_;
  int type_;
  int group_;
};

class AxisObject final : public xl::Axis {
 public:
  AxisObject(ChartPlace place, int type, int group)
      : place_(std::move(place)), type_(type), group_(group) {}

  void setHasTitle(bool has) override {
    ChartAxis& a = axis();
    a.hasTitle = has;
    if (has && a.title.empty()) {
      a.title = "Название оси";
    }
  }
  xl::AxisTitlePtr AxisTitle() override {
    if (!axis().hasTitle) {
      fail("У оси нет названия: его включают свойством HasTitle.");
    }
    return std::make_shared<AxisTitleObject>(place_, type_, group_);
  }
  void setTickLabelPosition(int position) override {
    if (position != 4 && position != -4134 && position != -4127 && position != -4142) {
      fail("Недопустимое положение подписей оси: " + std::to_string(position) + ".");
    }
    axis().tickLabelPosition = position;
  }
  void setScaleType(int type) override {
    if (type != xl::xlScaleLogarithmic && type != xl::xlScaleLinear) {
      fail("Недопустимый тип шкалы: " + std::to_string(type) + ".");
    }
    axis().logarithmic = type == xl::xlScaleLogarithmic;
  }
  void setMinimumScale(double value) override { axis().minimum = finite(value); }
  void setMaximumScale(double value) override { axis().maximum = finite(value); }
  xl::TickLabelsPtr TickLabels() override {
    axis();
    return std::make_shared<TickLabelsObject>(place_, type_, group_);
  }

 private:
  ChartAxis& axis() {
    place_.check();
    return place_.chart->axis(type_, group_);
  }
  static double finite(double value) {
    if (!std::isfinite(value)) {
      fail("Граница шкалы должна быть числом.");
    }
    return value;
  }
  ChartPlace place_;
  int type_;
  int group_;
};

class PlotAreaObject final : public xl::PlotArea {
 public:
  explicit PlotAreaObject(ChartPlace place) : place_(std::move(place)) {}
  void setHeight(double points) override {
    place_.check();
    if (!(points > 0 && points < 1e5)) {
      fail("Недопустимая высота области построения.");
    }
    place_.chart->plotAreaHeight = points;
  }

 private:
  ChartPlace place_;
};

class ChartObject final : public xl::Chart {
 public:
  explicit ChartObject(ChartPlace place) : place_(std::move(place)) {}

  void setName(std::string_view name) override {
    place_.check();
    if (!place_.sheet->chartSheet) {
      place_.embedded()->name = std::string(name);
      return;
    }
    if (name.empty() || name.size() > 93 ||
        name.find_first_of("[]:*?/\\") != std::string_view::npos) {
      fail("Недопустимое имя листа: " + inQuotes(name) + ".");
    }
    const auto other = place_.book->model.sheetNamed(name);
    if (other && other != place_.sheet) {
      fail("Лист с именем " + inQuotes(name) + " в книге уже есть.");
    }
    place_.sheet->name = std::string(name);
  }
  void setChartType(int type) override {
    place_.check();
    static constexpr int kScatter[] = {-4169, 72, 73, 74, 75};
    if (std::find(std::begin(kScatter), std::end(kScatter), type) == std::end(kScatter)) {
      fail("Тип диаграммы " + std::to_string(type) + " не поддерживается: только точечные.");
    }
    place_.chart->chartType = type;
  }
  void SetSourceData(const xl::Range& source, int plotBy) override;

  xl::ChartPtr Location(int where, std::string_view sheetName) override {
    place_.check();
    if (where != xl::xlLocationAsObject) {
      fail("Диаграмму можно поместить только на лист с ячейками (Location 2).");
    }
    const auto target = place_.book->model.sheetNamed(sheetName);
    if (!target) {
      fail("Листа " + inQuotes(sheetName) + " в книге нет.");
    }
    if (target->chartSheet) {
      fail("Лист " + inQuotes(sheetName) + " — лист диаграммы.");
    }
    EmbeddedChart moved;
    if (place_.sheet->chartSheet) {
      place_.sheet->removed = true;  // the chart sheet goes with its chart
      moved.name = "Диаграмма " + std::to_string(target->charts.size() + 1);
    } else {
      auto& from = place_.sheet->charts;
      for (auto it = from.begin(); it != from.end(); ++it) {
        if (it->chart == place_.chart) {
          moved = *it;
          from.erase(it);
          break;
        }
      }
    }
    moved.chart = place_.chart;
    target->charts.push_back(moved);
    return std::make_shared<ChartObject>(ChartPlace{place_.book, place_.chart, target});
  }
  xl::PlotAreaPtr PlotArea() override {
    place_.check();
    return std::make_shared<PlotAreaObject>(place_);
  }
  xl::SeriesPtr SeriesCollection(int index) override {
    place_.check();
    const auto series = place_.series();
    if (index < 1 || index > static_cast<int>(series.size())) {
      fail("Ряда с номером " + std::to_string(index) +
           " в диаграмме нет (рядов: " + std::to_string(series.size()) + ").");
    }
    return std::make_shared<SeriesObject>(place_, series[static_cast<std::size_t>(index - 1)]);
  }
  xl::SeriesCollectionPtr SeriesCollection() override {
    place_.check();
    return std::make_shared<SeriesCollectionObject>(place_);
  }
  xl::AxisPtr Axes(int type, int group) override {
    place_.check();
    if ((type != xl::xlCategory && type != xl::xlValue) ||
        (group != xl::xlPrimary && group != xl::xlSecondary)) {
      fail("Оси (" + std::to_string(type) + ", " + std::to_string(group) +
           ") у точечной диаграммы нет.");
    }
    if (group == xl::xlSecondary && !place_.chart->hasSecondary()) {
      fail("Вспомогательной оси у диаграммы нет: на неё не перенесён ни один ряд.");
    }
    return std::make_shared<AxisObject>(place_, type, group);
  }

 private:
  ChartPlace place_;
};

void ChartObject::SetSourceData(const xl::Range& source, int plotBy) {
  place_.check();
  const auto* range = dynamic_cast<const RangeObject*>(&source);
  if (range == nullptr || range->worksheet()->book() != place_.book) {
    fail("Данные диаграммы должны быть ячейками этой книги.");
  }
  if (plotBy != xl::xlColumns) {
    fail("Ряды диаграммы строятся только по столбцам (PlotBy 2).");
  }
  range->worksheet()->checkCells();
  // The first column gives the X values, every further column one series
  // named by its heading.
  const CellBlock& b = range->block();
  const std::string sheet = range->worksheet()->sheet()->name;
  for (auto& series : place_.chart->series) {
    series->deleted = true;
  }
  place_.chart->series.clear();
  for (int c = b.firstColumn + 1; c <= b.lastColumn; ++c) {
    auto series = std::make_shared<ChartSeries>();
    series->name = SheetBlock{sheet, b.firstRow, c, b.firstRow, c};
    if (b.lastRow > b.firstRow) {
      series->xValues = SheetBlock{sheet, b.firstRow + 1, b.firstColumn, b.lastRow, b.firstColumn};
      series->values = SheetBlock{sheet, b.firstRow + 1, c, b.lastRow, c};
    }
    place_.chart->series.push_back(std::move(series));
  }
}

class ChartsObject final : public xl::Charts {
 public:
  explicit ChartsObject(std::shared_ptr<WorkbookState> book) : book_(std::move(book)) {}

  xl::ChartPtr Add(const xl::WorksheetPtr& before, const xl::WorksheetPtr& after,
                   int count) override {
    book_->checkOpen();
    if (count != 1) {
      fail("Диаграммы добавляются по одной.");
    }
    const xl::WorksheetPtr& anchor = after ? after : before;
    auto& sheets = book_->model.sheets;
    auto position = sheets.begin();  // with no anchor: before the first sheet
    if (anchor) {
      const auto* sheet = dynamic_cast<const WorksheetObject*>(anchor.get());
      if (sheet == nullptr || sheet->book() != book_) {
        fail("Диаграмму можно поставить только рядом с листом этой книги.");
      }
      sheet->check();
      position = std::find(sheets.begin(), sheets.end(), sheet->sheet());
      if (after) {
        ++position;
      }
    }
    auto chartSheet = std::make_shared<SheetModel>();
    chartSheet->chartSheet = true;
    chartSheet->chart = std::make_shared<ChartModel>();
    for (int k = 1;; ++k) {
      chartSheet->name = "Диаграмма" + std::to_string(k);
      if (!book_->model.sheetNamed(chartSheet->name)) {
        break;
      }
    }
    sheets.insert(position, chartSheet);
    book_->active = chartSheet;
    return std::make_shared<ChartObject>(ChartPlace{book_, chartSheet->chart, chartSheet});
  }

 private:
  std::shared_ptr<WorkbookState> book_;
};

class ChartObjectsObject final : public xl::ChartObjects {
 public:
  explicit ChartObjectsObject(std::shared_ptr<WorksheetObject> sheet) : sheet_(std::move(sheet)) {}
  int Count() override {
    sheet_->checkCells();
    return static_cast<int>(sheet_->sheet()->charts.size());
  }

 private:
  std::shared_ptr<WorksheetObject> sheet_;
};

class ShapeObject final : public xl::Shape {
 public:
  ShapeObject(std::shared_ptr<WorksheetObject> sheet, std::shared_ptr<ChartModel> chart)
      : sheet_(std::move(sheet)), chart_(std::move(chart)) {}
  void setLeft(float points) override { place().left = measure(points, true); }
  void setTop(float points) override { place().top = measure(points, true); }
  void setWidth(float points) override { place().width = measure(points, false); }
  void setHeight(float points) override { place().height = measure(points, false); }

 private:
  EmbeddedChart& place() {
    sheet_->checkCells();
    for (EmbeddedChart& e : sheet_->sheet()->charts) {
      if (e.chart == chart_) {
        return e;
      }
    }
    fail("Фигуры больше нет на листе " + inQuotes(sheet_->sheet()->name) + ".");
  }
  static double measure(float points, bool position) {
    if (!std::isfinite(points) || points < 0 || points > 169056 || (!position && points == 0)) {
      fail("Недопустимый размер или положение фигуры: " + std::to_string(points) + ".");
    }
    return points;
  }
  std::shared_ptr<WorksheetObject> sheet_;
  std::shared_ptr<ChartModel> chart_;
};

xl::ChartObjectsPtr WorksheetObject::ChartObjects() {
  checkCells();
  return std::make_shared<ChartObjectsObject>(shared_from_this());
}

xl::ShapePtr WorksheetObject::Shapes(int index) {
  checkCells();
  const auto& charts = sheet_->charts;
  if (index < 1 || index > static_cast<int>(charts.size())) {
    fail("Фигуры с номером " + std::to_string(index) + " на листе " + inQuotes(sheet_->name) +
         " нет.");
  }
  return std::make_shared<ShapeObject>(shared_from_this(),
                                       charts[static_cast<std::size_t>(index - 1)].chart);
}

xl::ChartsPtr WorkbookObject::Charts() {
  book_->checkOpen();
  return std::make_shared<ChartsObject>(book_);
}

class WorkbooksObject final : public xl::Workbooks {
 public:
  explicit WorkbooksObject(std::shared_ptr<ApplicationState> app) : app_(std::move(app)) {}

  xl::WorkbookPtr Add() override {
    app_->checkRunning();
    auto book = std::make_shared<WorkbookState>();
    book->application = app_.get();
    book->name = "Книга" + std::to_string(++app_->created);
    for (int i = 1; i <= app_->sheetsInNewWorkbook; ++i) {
      auto sheet = std::make_shared<SheetModel>();
      sheet->name = "Лист" + std::to_string(i);
      book->model.sheets.push_back(std::move(sheet));
    }
    book->active = book->model.sheets.front();
    app_->workbooks.push_back(book);
    return std::make_shared<WorkbookObject>(std::move(book));
  }

 private:
  std::shared_ptr<ApplicationState> app_;
};

class ErrorCheckingOptionsObject final : public xl::ErrorCheckingOptions {
 public:
  explicit ErrorCheckingOptionsObject(std::shared_ptr<ApplicationState> app)
      : app_(std::move(app)) {}
  void setBackgroundChecking(bool on) override { set(app_->backgroundChecking, on); }
  void setNumberAsText(bool on) override { set(app_->numberAsText, on); }
  void setInconsistentFormula(bool on) override { set(app_->inconsistentFormula, on); }

 private:
  void set(bool& flag, bool on) {
    app_->checkRunning();
    flag = on;
  }
  std::shared_ptr<ApplicationState> app_;
};

class ApplicationObject final : public xl::Application {
 public:
  explicit ApplicationObject(std::shared_ptr<ApplicationState> app) : app_(std::move(app)) {}

  void setVisible(bool visible) override {
    app_->checkRunning();
    app_->visible = visible;
    if (!visible) {
      return;
    }
    // Shown: every saved workbook opens in the desktop's own application,
    // which from now on holds it; the engine lets go of its copy.
    const auto open = app_->workbooks;
    for (const auto& book : open) {
      if (book->path.empty()) {
        continue;
      }
      const std::string path = book->path;
      book->release();
      if (app_->options.opener) {
        app_->options.opener(path);
      }
    }
  }
  void setDisplayAlerts(bool on) override {
    app_->checkRunning();
    app_->displayAlerts = on;
  }
  void setSheetsInNewWorkbook(int count) override {
    app_->checkRunning();
    if (count < 1 || count > 255) {
      fail("Число листов в новой книге должно быть от 1 до 255.");
    }
    app_->sheetsInNewWorkbook = count;
  }
  xl::ErrorCheckingOptionsPtr ErrorCheckingOptions() override {
    app_->checkRunning();
    return std::make_shared<ErrorCheckingOptionsObject>(app_);
  }
  xl::WorkbooksPtr Workbooks() override {
    app_->checkRunning();
    return std::make_shared<WorkbooksObject>(app_);
  }
  xl::WorksheetPtr ActiveSheet() override {
    const auto book = app_->activeWorkbook();
    if (!book->active || book->active->removed) {
      for (const auto& sheet : book->model.sheets) {
        if (!sheet->removed) {
          book->active = sheet;
          break;
        }
      }
    }
    return std::make_shared<WorksheetObject>(book, book->active);
  }
  xl::WorksheetPtr Sheets(int index) override {
    const auto book = app_->activeWorkbook();
    std::vector<std::shared_ptr<SheetModel>> present;
    for (const auto& sheet : book->model.sheets) {
      if (!sheet->removed) {
        present.push_back(sheet);
      }
    }
    if (index < 1 || index > static_cast<int>(present.size())) {
      fail("Листа с номером " + std::to_string(index) + " в книге " + inQuotes(book->name) +
           " нет: в ней " + std::to_string(present.size()) + " лист(а/ов).");
    }
    return std::make_shared<WorksheetObject>(book, present[static_cast<std::size_t>(index - 1)]);
  }
  void Quit() override {
    app_->checkRunning();
    const auto open = app_->workbooks;
    for (const auto& book : open) {
      book->release();
    }
    app_->quit = true;
  }

 private:
  std::shared_ptr<ApplicationState> app_;
};

}  // namespace

Engine::Engine(EngineOptions options) : options_(std::move(options)) {}

Engine::~Engine() = default;

xl::ApplicationPtr Engine::attach() {
  if (!running_ || running_->quit) {
    running_ = std::make_shared<ApplicationState>();
    running_->options = options_;
  }
  return std::make_shared<ApplicationObject>(running_);
}

std::string savedPathOf(const xl::Workbook& workbook) {
  const auto* object = dynamic_cast<const WorkbookObject*>(&workbook);
  return object == nullptr ? std::string() : object->state()->path;
}

void openWithDesktop(const std::string& path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  std::string argument = path;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  const int error = posix_spawnp(&child, "xdg-open", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    throw std::runtime_error("Книга сохранена в файл \"" + path +
                             "\", но открыть её не удалось: не запускается xdg-open (" +
                             std::strerror(error) + ").");
  }
}

const WorkbookModel* modelOf(const xl::Workbook& workbook) {
  const auto* object = dynamic_cast<const WorkbookObject*>(&workbook);
  return object == nullptr || object->state()->closed ? nullptr : &object->state()->model;
}

}  // namespace vexa::sheet
