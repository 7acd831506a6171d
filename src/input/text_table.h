// The report array: a two-dimensional block of cells, 1-based, each empty or
// holding a text. Texts live in an append-only arena that tables may share, so
// that copying a cell from one table to another (the column compaction of the
// paired-column exports) copies no characters.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace vexa {

// Append-only text storage; a stored text never moves.
class TextArena {
 public:
  std::string_view store(std::string_view text);

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* cursor_ = nullptr;
  std::size_t left_ = 0;
};

class TextTable {
 public:
  TextTable() = default;
  // rows × columns empty cells, storing new texts in `arena` (a new one when null).
  TextTable(int rows, int columns, std::shared_ptr<TextArena> arena = nullptr);

  int rows() const { return rows_; }
  int columns() const { return columns_; }

  // The text of cell (row, column); empty when never written. Raises
  // std::out_of_range outside rows 1..rows(), columns 1..columns().
  std::string_view at(int row, int column) const { return cells_[index(row, column)]; }
  bool isEmpty(int row, int column) const { return at(row, column).empty(); }

  // Writes a copy of `text` into the cell.
  void set(int row, int column, std::string_view text);

  // Writes a text that already lives in this table's arena (no copy).
  void setStored(int row, int column, std::string_view storedText) {
    cells_[index(row, column)] = storedText;
  }

  const std::shared_ptr<TextArena>& arena() const { return arena_; }

 private:
  std::size_t index(int row, int column) const {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) [[unlikely]] {
      outOfRange(row, column);
    }
    return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column - 1);
  }
  [[noreturn]] void outOfRange(int row, int column) const;

  int rows_ = 0;
  int columns_ = 0;
  std::vector<std::string_view> cells_;
  std::shared_ptr<TextArena> arena_;
};

}  // namespace vexa
