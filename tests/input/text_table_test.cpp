#include "input/text_table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace vexa {
namespace {

using Cells = std::map<std::pair<int, int>, std::string>;

Cells writtenCells(const TextTable& table) {
  Cells cells;
  for (int r = 1; r <= table.rows(); ++r) {
    int previous = 0;
    table.forEachWritten(r, [&](int column, std::string_view text) {
      EXPECT_GT(column, previous);  // in column order
      previous = column;
      cells[{r, column}] = std::string(text);
    });
  }
  return cells;
}

// A small table is one block of cells, a large one keeps its written cells
// only: both read back what was written, in any order, overwritten or emptied.
TEST(TextTable, SmallAndLargeTablesAgreeWithAMap) {
  for (const auto& [rows, columns] : {std::pair{40, 30}, std::pair{32000, 4000}}) {
    TextTable table(rows, columns);
    Cells expected;
    std::mt19937 random(static_cast<unsigned>(rows));
    for (int n = 0; n < 5000; ++n) {
      const int r = 1 + static_cast<int>(random() % static_cast<unsigned>(std::min(rows, 50)));
      const int c = 1 + static_cast<int>(random() % static_cast<unsigned>(std::min(columns, 40)));
      const std::string text = random() % 4 == 0 ? "" : std::to_string(random() % 1000);
      table.set(r, c, text);
      if (text.empty()) {
        expected.erase({r, c});
      } else {
        expected[{r, c}] = text;
      }
    }
    EXPECT_EQ(writtenCells(table), expected) << rows;
    EXPECT_EQ(table.written(), expected.size()) << rows;
    for (const auto& [place, text] : expected) {
      EXPECT_EQ(table.at(place.first, place.second), text);
    }
    const auto last = expected.find({rows, columns});
    EXPECT_EQ(table.at(rows, columns), last == expected.end() ? std::string() : last->second);
    EXPECT_THROW(table.at(rows + 1, 1), std::out_of_range);
    EXPECT_THROW(table.set(1, columns + 1, "x"), std::out_of_range);
    EXPECT_THROW(table.at(0, 1), std::out_of_range);

    // A copy is a table of its own; the texts stay shared.
    const std::string first(table.at(1, 1));
    TextTable copy = table;
    copy.set(1, 1, "copy");
    EXPECT_EQ(table.at(1, 1), first);
    EXPECT_EQ(copy.at(1, 1), "copy");
  }
}

}  // namespace
}  // namespace vexa
