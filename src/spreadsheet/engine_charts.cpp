// Charts, series and axes of the engine's object model: chart sheets, charts
// embedded in worksheets and their shapes.
#include <algorithm>
#include <cmath>

#include "spreadsheet/engine_objects.h"
#include "spreadsheet/entry_rules.h"

namespace vexa::sheet::objects {

namespace {

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
  xl::BorderPtr Border() override;

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

// The line of a series.
class SeriesBorderObject final : public xl::Border {
 public:
  SeriesBorderObject(ChartPlace place, std::shared_ptr<ChartSeries> series)
      : place_(std::move(place)), series_(std::move(series)) {}
  void setLineStyle(int style) override {
    place_.check();
    if (style != xl::xlContinuous && style != xl::xlDash) {
      fail("Недопустимый вид линии: " + std::to_string(style) + ".");
    }
    series_->lineStyle = style;
  }
  void setColor(int bgr) override {
    place_.check();
    if (bgr < 0 || bgr > 0xFFFFFF) {
      fail("Недопустимый цвет линии: " + std::to_string(bgr) + ".");
    }
    series_->lineColour = bgr;
  }
  void setWeight(int weight) override {
    place_.check();
    if (weight != 1 && weight != xl::xlThin && weight != xl::xlMedium && weight != 4) {
      fail("Недопустимая толщина линии: " + std::to_string(weight) + ".");
    }
    series_->lineWeight = weight;
  }

 private:
  ChartPlace place_;
  std::shared_ptr<ChartSeries> series_;
};

xl::BorderPtr SeriesObject::Border() {
  check();
  return std::make_shared<SeriesBorderObject>(place_, series_);
}

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
  place_.chart->source = SheetBlock{sheet, b.firstRow, b.firstColumn, b.lastRow, b.lastColumn};
  for (int c = b.firstColumn + 1; c <= b.lastColumn; ++c) {
    auto series = std::make_shared<ChartSeries>();
    series->name = SheetBlock{sheet, b.firstRow, c, b.firstRow, c};
    // Headings alone (a window without lines) still give every series its
    // cells: the blank row under them.
    if (b.firstRow < kMaxRows) {
      const int last = std::max(b.lastRow, b.firstRow + 1);
      series->xValues = SheetBlock{sheet, b.firstRow + 1, b.firstColumn, last, b.firstColumn};
      series->values = SheetBlock{sheet, b.firstRow + 1, c, last, c};
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

}  // namespace

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

}  // namespace vexa::sheet::objects
