// The objects of the engine's object model, shared by the files that
// implement them by family: application and workbooks (engine.cpp); sheets,
// ranges and cells (engine_sheets.cpp); charts, series and axes
// (engine_charts.cpp).
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "report/automation.h"
#include "spreadsheet/engine.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

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

  // The time for the workbooks' properties.
  std::int64_t now() const;

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
  void release();

  // Writes the package of the workbook to `file`, atomically.
  void writeTo(const std::string& file);
};

namespace objects {

// Raises the failure of a member with the text the user sees.
[[noreturn]] void fail(const std::string& text);

// The name in double quotes, for messages.
std::string inQuotes(std::string_view name);

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
  xl::PageSetupPtr PageSetup() override;

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

class RangeObject final : public xl::Range, public std::enable_shared_from_this<RangeObject> {
 public:
  RangeObject(std::shared_ptr<WorksheetObject> sheet, CellBlock block)
      : sheet_(std::move(sheet)), block_(block) {}

  const std::shared_ptr<WorksheetObject>& worksheet() const { return sheet_; }
  const CellBlock& block() const { return block_; }

  void setHorizontalAlignment(int alignment) override;
  void setColumnWidth(double width) override;
  void setNumberFormat(std::string_view format) override;
  void setNumberFormatLocal(std::string_view format) override;
  void setFormulaR1C1Local(const TextTable& values) override;
  void setWrapText(bool wrap) override;
  void setRowHeight(double points) override;
  xl::FontPtr Font() override;
  xl::BordersPtr Borders() override;
  xl::InteriorPtr Interior() override;

  // Changes the format of every cell of the block.
  template <class Change>
  void reformat(Change&& change) {
    sheet_->checkCells();
    WorkbookModel& model = sheet_->book()->model;
    CellStore& cells = sheet_->sheet()->cells;
    std::map<std::uint32_t, std::uint32_t> changed;  // old format → new format
    // Neighbouring cells mostly share their format: the last change is kept
    // at hand.
    std::uint32_t lastOld = 0;
    std::uint32_t lastNew = 0;
    bool any = false;
    for (int r = block_.firstRow; r <= block_.lastRow; ++r) {
      auto& row = cells.row(r, block_.lastColumn);
      for (int c = block_.firstColumn; c <= block_.lastColumn; ++c) {
        Cell& cell = row[static_cast<std::size_t>(c - 1)];
        if (!any || cell.format != lastOld) {
          auto found = changed.find(cell.format);
          if (found == changed.end()) {
            CellFormat f = model.formats.at(cell.format);
            change(f);
            found = changed.emplace(cell.format, model.formats.intern(f)).first;
          }
          lastOld = found->first;
          lastNew = found->second;
          any = true;
        }
        cell.format = lastNew;
      }
    }
  }

 private:
  void applyNumberFormat(const std::string& code);

  std::shared_ptr<WorksheetObject> sheet_;
  CellBlock block_;
};

class WorkbookObject final : public xl::Workbook {
 public:
  explicit WorkbookObject(std::shared_ptr<WorkbookState> book) : book_(std::move(book)) {}

  void SaveAs(std::string_view fileName, int fileFormat, int accessMode) override;
  void Save() override;
  void Close() override;
  xl::ChartsPtr Charts() override;

  const std::shared_ptr<WorkbookState>& state() const { return book_; }

 private:
  std::shared_ptr<WorkbookState> book_;
};

}  // namespace objects
}  // namespace vexa::sheet
