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

// A table of up to a million cells is one block of cells; a larger one keeps
// its written cells only, row by row, so that a table of thousands of columns
// whose lines hold few values stays as small as its values.
class TextTable {
 public:
  TextTable() = default;
  // rows × columns empty cells, storing new texts in `arena` (a new one when null).
  TextTable(int rows, int columns, std::shared_ptr<TextArena> arena = nullptr);

  int rows() const { return rows_; }
  int columns() const { return columns_; }

  // The text of cell (row, column); empty when never written. Raises
  // std::out_of_range outside rows 1..rows(), columns 1..columns().
  std::string_view at(int row, int column) const {
    check(row, column);
    return sparse_ ? sparseAt(row, column) : dense_[denseIndex(row, column)];
  }
  bool isEmpty(int row, int column) const { return at(row, column).empty(); }

  // Writes a copy of `text` into the cell; an empty text empties it.
  void set(int row, int column, std::string_view text) {
    setStored(row, column, arena_->store(text));
  }

  // Writes a text that already lives in this table's arena (no copy).
  void setStored(int row, int column, std::string_view storedText);

  // Calls visit(column, text) for the written cells of `row`, in column order.
  template <class Visit>
  void forEachWritten(int row, Visit&& visit) const {
    check(row, 1);
    if (sparse_) {
      for (const Entry& entry : written_rows_[static_cast<std::size_t>(row - 1)]) {
        visit(entry.column, entry.text);
      }
      return;
    }
    const std::string_view* cells = &dense_[denseIndex(row, 1)];
    for (int column = 1; column <= columns_; ++column) {
      if (!cells[column - 1].empty()) {
        visit(column, cells[column - 1]);
      }
    }
  }

  // The number of written cells.
  std::size_t written() const { return written_; }

  const std::shared_ptr<TextArena>& arena() const { return arena_; }

 private:
  struct Entry {
    int column;
    std::string_view text;
  };
  void check(int row, int column) const {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) [[unlikely]] {
      outOfRange(row, column);
    }
  }
  std::size_t denseIndex(int row, int column) const {
    return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column - 1);
  }
  std::string_view sparseAt(int row, int column) const;
  [[noreturn]] void outOfRange(int row, int column) const;

  int rows_ = 0;
  int columns_ = 0;
  bool sparse_ = false;
  std::vector<std::string_view> dense_;           // by row, then column
  std::vector<std::vector<Entry>> written_rows_;  // sparse: per row, by column
  std::size_t written_ = 0;
  std::shared_ptr<TextArena> arena_;
};

}  // namespace vexa
