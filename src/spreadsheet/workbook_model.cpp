#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

FormatTable::FormatTable() {
  intern(CellFormat{});
  internCode("General");
}

std::uint32_t FormatTable::intern(const CellFormat& format) {
  const auto key =
      std::make_tuple(format.numberFormat, format.bold, static_cast<int>(format.alignment),
                      static_cast<int>(format.border), format.fill, format.wrap);
  const auto found = formatIndex_.find(key);
  if (found != formatIndex_.end()) {
    return found->second;
  }
  const auto index = static_cast<std::uint32_t>(formats_.size());
  formats_.push_back(format);
  formatIndex_.emplace(key, index);
  return index;
}

std::uint32_t FormatTable::internCode(std::string_view code) {
  const auto found = codeIndex_.find(std::string(code));
  if (found != codeIndex_.end()) {
    return found->second;
  }
  const auto index = static_cast<std::uint32_t>(codes_.size());
  codes_.emplace_back(code);
  codeIndex_.emplace(std::string(code), index);
  return index;
}

std::uint32_t TextPool::intern(std::string_view text) {
  const auto found = index_.find(std::string(text));
  if (found != index_.end()) {
    return found->second;
  }
  const auto index = static_cast<std::uint32_t>(texts_.size());
  texts_.emplace_back(text);
  index_.emplace(std::string(text), index);
  return index;
}

Cell& CellStore::at(int row, int column) {
  return this->row(row, column)[static_cast<std::size_t>(column - 1)];
}

std::vector<Cell>& CellStore::row(int row, int columns) {
  if (static_cast<std::size_t>(row) > rows_.size()) {
    rows_.resize(static_cast<std::size_t>(row));
  }
  auto& cells = rows_[static_cast<std::size_t>(row - 1)];
  if (static_cast<std::size_t>(columns) > cells.size()) {
    cells.resize(static_cast<std::size_t>(columns));
  }
  return cells;
}

const Cell* CellStore::find(int row, int column) const {
  if (row < 1 || static_cast<std::size_t>(row) > rows_.size()) {
    return nullptr;
  }
  const auto& cells = rows_[static_cast<std::size_t>(row - 1)];
  if (column < 1 || static_cast<std::size_t>(column) > cells.size()) {
    return nullptr;
  }
  return &cells[static_cast<std::size_t>(column - 1)];
}

const std::vector<Cell>& CellStore::row(int row) const {
  static const std::vector<Cell> kNone;
  if (row < 1 || static_cast<std::size_t>(row) > rows_.size()) {
    return kNone;
  }
  return rows_[static_cast<std::size_t>(row - 1)];
}

std::shared_ptr<SheetModel> WorkbookModel::sheetNamed(std::string_view name) const {
  for (const auto& sheet : sheets) {
    if (!sheet->removed && sheet->name == name) {
      return sheet;
    }
  }
  return nullptr;
}

}  // namespace vexa::sheet
