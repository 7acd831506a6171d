#include "spreadsheet/engine.h"

#include <filesystem>
#include <map>
#include <stdexcept>

#include "spreadsheet/entry_rules.h"
#include "spreadsheet/ooxml_writer.h"
#include "spreadsheet/package.h"

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
  int activeSheet = 0;

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
    const std::string bytes = zipPackage(workbookParts(model), application->options.deflateLevel);
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
  xl::ChartObjectsPtr ChartObjects() override {
    fail("Диаграммы на листах этой версией не поддерживаются.");
  }
  xl::ShapePtr Shapes(int) override { fail("Фигуры на листах этой версией не поддерживаются."); }

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

  xl::ChartsPtr Charts() override { fail("Диаграммы этой версией не поддерживаются."); }

  const std::shared_ptr<WorkbookState>& state() const { return book_; }

 private:
  std::shared_ptr<WorkbookState> book_;
};

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
    return std::make_shared<WorksheetObject>(
        book, book->model.sheets.at(static_cast<std::size_t>(book->activeSheet)));
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

const WorkbookModel* modelOf(const xl::Workbook& workbook) {
  const auto* object = dynamic_cast<const WorkbookObject*>(&workbook);
  return object == nullptr || object->state()->closed ? nullptr : &object->state()->model;
}

}  // namespace vexa::sheet
