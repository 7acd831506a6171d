#include "spreadsheet/comparison.h"

#include <gtest/gtest.h>

namespace vexa::sheet {
namespace {

// Sheet names from file names: what a sheet name cannot hold goes, at most
// 31 characters (UTF-16 units), distinct whatever the case, and never the
// overview's own name.
TEST(ComparisonSheetNames, FromFileNamesWithinTheSpreadsheetsRules) {
  std::set<std::string> taken;
  const std::pair<const char*, const char*> cases[] = {
      {"/site/морозильник.csv", "морозильник"},
      {"/other/морозильник.csv", "морозильник (2)"},
      {"/site/МОРОЗИЛЬНИК.txt", "МОРОЗИЛЬНИК (3)"},
      {"/site/сводка.csv", "сводка (2)"},
      {"/site/a[1]b.csv", "a_1_b"},
      {"/site/'quoted'.csv", "quoted"},
      {"/site/'''.csv", "Выгрузка"},
      {"/site/Холодильная камера номер двенадцать, склад 3.csv", "Холодильная камера номер двенад"},
      {"/site/Холодильная камера номер двенадцать, склад 4.csv", "Холодильная камера номер дв (2)"},
      // A character of two UTF-16 units that would end past the 31st.
      {"/site/abcdefghijklmnopqrstuvwxyz1234\xF0\x9F\x98\x80.csv",
       "abcdefghijklmnopqrstuvwxyz1234"},
  };
  for (const auto& [file, expected] : cases) {
    EXPECT_EQ(sheetNameFor(file, taken), expected) << file;
  }
}

}  // namespace
}  // namespace vexa::sheet
