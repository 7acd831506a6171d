#include "input/text_table.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vexa {

namespace {
constexpr std::size_t kBlockSize = 256 * 1024;
}

std::string_view TextArena::store(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  if (text.size() > left_) {
    const std::size_t size = std::max(kBlockSize, text.size());
    blocks_.push_back(std::make_unique<char[]>(size));
    cursor_ = blocks_.back().get();
    left_ = size;
  }
  std::memcpy(cursor_, text.data(), text.size());
  const std::string_view stored(cursor_, text.size());
  cursor_ += text.size();
  left_ -= text.size();
  return stored;
}

namespace {

constexpr std::size_t kDenseCells = std::size_t{1} << 20;

}  // namespace

TextTable::TextTable(int rows, int columns, std::shared_ptr<TextArena> arena)
    : rows_(std::max(rows, 0)),
      columns_(std::max(columns, 0)),
      arena_(arena ? std::move(arena) : std::make_shared<TextArena>()) {
  const std::size_t cells = static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_);
  sparse_ = cells > kDenseCells;
  if (sparse_) {
    written_rows_.resize(static_cast<std::size_t>(rows_));
  } else {
    dense_.resize(cells);
  }
}

std::string_view TextTable::sparseAt(int row, int column) const {
  const auto& cells = written_rows_[static_cast<std::size_t>(row - 1)];
  const auto found =
      std::lower_bound(cells.begin(), cells.end(), column,
                       [](const Entry& entry, int wanted) { return entry.column < wanted; });
  return found != cells.end() && found->column == column ? found->text : std::string_view();
}

void TextTable::setStored(int row, int column, std::string_view storedText) {
  check(row, column);
  if (!sparse_) {
    std::string_view& cell = dense_[denseIndex(row, column)];
    if (cell.empty() && !storedText.empty()) {
      ++written_;
    } else if (!cell.empty() && storedText.empty()) {
      --written_;
    }
    cell = storedText;
    return;
  }
  auto& cells = written_rows_[static_cast<std::size_t>(row - 1)];
  // Rows are mostly written left to right.
  const auto found =
      !cells.empty() && cells.back().column < column
          ? cells.end()
          : std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Entry& entry, int wanted) { return entry.column < wanted; });
  const bool present = found != cells.end() && found->column == column;
  if (storedText.empty()) {
    if (present) {
      cells.erase(found);
      --written_;
    }
  } else if (present) {
    found->text = storedText;
  } else {
    cells.insert(found, Entry{column, storedText});
    ++written_;
  }
}

void TextTable::outOfRange(int row, int column) const {
  throw std::out_of_range("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                          ") lies outside the " + std::to_string(rows_) + " x " +
                          std::to_string(columns_) + " report array");
}

}  // namespace vexa
