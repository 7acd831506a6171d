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

class InteriorObject final : public xl::Interior {
 public:
  explicit InteriorObject(std::shared_ptr<RangeObject> range) : range_(std::move(range)) {}
  void setColor(int bgr) override {
    if (bgr < 0 || bgr > 0xFFFFFF) {
      fail("Недопустимый цвет заливки: " + std::to_string(bgr) + ".");
    }
    // The model keeps colours as the file writes them, red first.
    const auto value = static_cast<std::uint32_t>(bgr);
    const std::uint32_t rgb = (value & 0xFF) << 16 | (value & 0xFF00) | (value >> 16 & 0xFF);
    range_->reformat([rgb](CellFormat& f) { f.fill = rgb; });
  }

 private:
  std::shared_ptr<RangeObject> range_;
};

// "A" → 1, "AB" → 28: the column of a reference's letters; 0 when there are none.
int columnOfLetters(std::string_view letters) {
  int column = 0;
  for (const char c : letters) {
    if (c < 'A' || c > 'Z' || column > kMaxColumns) {
      return 0;
    }
    column = column * 26 + (c - 'A' + 1);
  }
  return column <= kMaxColumns ? column : 0;
}

// One corner of an absolute reference, "$B$7" (`row` is 0 for a column
// only, "$B").
bool readCorner(std::string_view text, int& column, int& row) {
  if (text.empty() || text[0] != '$') {
    return false;
  }
  text.remove_prefix(1);
  const auto dollar = text.find('$');
  column = columnOfLetters(text.substr(0, dollar));
  row = 0;
  if (dollar != std::string_view::npos) {
    const std::string_view digits = text.substr(dollar + 1);
    if (digits.empty() || digits.size() > 7) {
      return false;
    }
    for (const char c : digits) {
      if (c < '0' || c > '9') {
        return false;
      }
      row = row * 10 + (c - '0');
    }
    if (row < 1 || row > kMaxRows) {
      return false;
    }
  }
  return column > 0;
}

class PageSetupObject final : public xl::PageSetup {
 public:
  explicit PageSetupObject(std::shared_ptr<WorksheetObject> sheet) : sheet_(std::move(sheet)) {}

  void setOrientation(int orientation) override {
    if (orientation != xl::xlPortrait && orientation != xl::xlLandscape) {
      fail("Недопустимая ориентация страницы: " + std::to_string(orientation) + ".");
    }
    page().landscape = orientation == xl::xlLandscape;
  }
  void setPaperSize(int size) override {
    if (size < 1 || size > 118) {
      fail("Недопустимый размер бумаги: " + std::to_string(size) + ".");
    }
    page().paperSize = size;
  }
  void setFitToPagesWide(int pages) override {
    if (pages < 1 || pages > 32767) {
      fail("Число страниц в ширину должно быть от 1 до 32767.");
    }
    page().fitToWidth = pages;
  }
  void setPrintArea(std::string_view reference) override {
    const auto colon = reference.find(':');
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    if (colon == std::string_view::npos || !readCorner(reference.substr(0, colon), c1, r1) ||
        !readCorner(reference.substr(colon + 1), c2, r2) || r1 == 0 || r2 == 0) {
      fail("Область печати " + inQuotes(reference) + " должна быть вида $A$1:$D$20.");
    }
    page().printArea =
        CellBlock{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
  }
  void setPrintTitleColumns(std::string_view columns) override {
    const auto colon = columns.find(':');
    int c1 = 0, c2 = 0, r1 = 0, r2 = 0;
    if (colon == std::string_view::npos || !readCorner(columns.substr(0, colon), c1, r1) ||
        !readCorner(columns.substr(colon + 1), c2, r2) || r1 != 0 || r2 != 0) {
      fail("Сквозные столбцы " + inQuotes(columns) + " должны быть вида $A:$B.");
    }
    page().titleFirstColumn = std::min(c1, c2);
    page().titleLastColumn = std::max(c1, c2);
  }
  void setCenterHeader(std::string_view text) override { page().header = text; }
  void setCenterFooter(std::string_view text) override { page().footer = text; }

 private:
  PageSetupModel& page() {
    sheet_->checkCells();
    PageSetupModel& model = sheet_->sheet()->page;
    model.set = true;
    return model;
  }
  std::shared_ptr<WorksheetObject> sheet_;
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

void RangeObject::setRowHeight(double points) {
  sheet_->checkCells();
  if (!(points >= 0 && points <= 409)) {
    fail("Высота строки должна быть от 0 до 409 пунктов.");
  }
  for (int r = block_.firstRow; r <= block_.lastRow; ++r) {
    sheet_->sheet()->rowHeights[r] = points;
  }
}

void RangeObject::setWrapText(bool wrap) {
  reformat([wrap](CellFormat& f) { f.wrap = wrap; });
}

xl::InteriorPtr RangeObject::Interior() {
  sheet_->checkCells();
  return std::make_shared<InteriorObject>(shared_from_this());
}

xl::PageSetupPtr WorksheetObject::PageSetup() {
  checkCells();
  return std::make_shared<PageSetupObject>(shared_from_this());
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
