#include "input/text_table.h"

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

TextTable::TextTable(int rows, int columns, std::shared_ptr<TextArena> arena)
    : rows_(std::max(rows, 0)),
      columns_(std::max(columns, 0)),
      cells_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_)),
      arena_(arena ? std::move(arena) : std::make_shared<TextArena>()) {}

void TextTable::set(int row, int column, std::string_view text) {
  cells_[index(row, column)] = arena_->store(text);
}

void TextTable::outOfRange(int row, int column) const {
  throw std::out_of_range("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                          ") lies outside the " + std::to_string(rows_) + " x " +
                          std::to_string(columns_) + " report array");
}

}  // namespace vexa
