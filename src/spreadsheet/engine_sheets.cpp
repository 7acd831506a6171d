// Sheets, ranges and cells of the engine's object model: typed entry,
// formats, widths and borders of cell blocks.
#include <algorithm>
#include <map>

#include "spreadsheet/engine_objects.h"
#include "spreadsheet/entry_rules.h"

namespace vexa::sheet::objects {

namespace {

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

}  // namespace

void RangeObject::setHorizontalAlignment(int alignment) {
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

void RangeObject::setColumnWidth(double width) {
  sheet_->checkCells();
  if (!(width >= 0 && width <= 255)) {
    fail("Ширина столбца должна быть от 0 до 255 знаков.");
  }
  for (int c = block_.firstColumn; c <= block_.lastColumn; ++c) {
    sheet_->sheet()->columnWidths[c] = width;
  }
}

void RangeObject::setNumberFormat(std::string_view format) {
  applyNumberFormat(numberFormatCode(format));
}

void RangeObject::setNumberFormatLocal(std::string_view format) {
  applyNumberFormat(numberFormatFromLocal(format));
}

void RangeObject::setFormulaR1C1Local(const TextTable& values) {
  sheet_->checkCells();
  WorkbookModel& model = sheet_->book()->model;
  CellStore& cells = sheet_->sheet()->cells;
  std::map<std::pair<std::uint32_t, std::string_view>, std::uint32_t> withAutoFormat;
  for (int r = block_.firstRow; r <= block_.lastRow; ++r) {
    const int i = r - block_.firstRow + 1;
    auto& row = cells.row(r, block_.lastColumn);
    for (int c = block_.firstColumn; c <= block_.lastColumn; ++c) {
      const int j = c - block_.firstColumn + 1;
      // Cells beyond the array are left empty.
      const std::string_view typed =
          i <= values.rows() && j <= values.columns() ? values.at(i, j) : std::string_view();
      Cell& cell = row[static_cast<std::size_t>(c - 1)];
      if (typed.empty()) {
        cell.kind = Cell::Kind::Empty;
        continue;
      }
      LocalEntry entry = readLocalEntry(typed);
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

void RangeObject::applyNumberFormat(const std::string& code) {
  sheet_->checkCells();
  const std::uint32_t index = sheet_->book()->model.formats.internCode(code);
  reformat([index](CellFormat& f) { f.numberFormat = index; });
}

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

}  // namespace vexa::sheet::objects
