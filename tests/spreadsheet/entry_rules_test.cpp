#include "spreadsheet/entry_rules.h"

#include <gtest/gtest.h>

#include "input/datetime.h"

namespace vexa::sheet {
namespace {

using Kind = LocalEntry::Kind;

TEST(LocalEntry, TypedTextsBecomeNumbersDatesOrText) {
  struct Case {
    const char* typed;
    Kind kind;
    double number;
    const char* format;
  };
  const double stamp = parseDateTime("2021-01-02 10:20:30");
  const Case cases[] = {
      {"", Kind::Empty, 0, ""},
      {"21,5", Kind::Number, 21.5, ""},
      {"-3,25", Kind::Number, -3.25, ""},
      {"1,5E+15", Kind::Number, 1.5e15, ""},
      {"+7", Kind::Number, 7, ""},
      {"42", Kind::Number, 42, ""},
      {" 3,01 ", Kind::Number, 3.01, ""},
      {"2021-01-02 10:20:30", Kind::Number, stamp, "dd.mm.yyyy h:mm:ss"},
      {"2021-01-02 10:20", Kind::Number, stamp - 30 / 86400.0, "dd.mm.yyyy h:mm"},
      {"2021-01-02", Kind::Number, 44198, "dd.mm.yyyy"},
      {"02.01.2021", Kind::Number, 44198, "dd.mm.yyyy"},
      {"02.01.2021 10:20:30", Kind::Number, stamp, "dd.mm.yyyy h:mm:ss"},
      {"10:20:30", Kind::Number, 37230 / 86400.0, "h:mm:ss"},
      {"10:20", Kind::Number, 37200 / 86400.0, "h:mm"},
      // Everything else is text, formulas included.
      {"2.5", Kind::Text, 0, ""},
      {"21.5", Kind::Text, 0, ""},
      {"01/02/2021", Kind::Text, 0, ""},
      {"2021-02-30 10:00:00", Kind::Text, 0, ""},
      {"25:00:00", Kind::Text, 0, ""},
      {"=1+1", Kind::Text, 0, ""},
      {"=HYPERLINK(\"http://x\")", Kind::Text, 0, ""},
      {"+", Kind::Text, 0, ""},
      {"-", Kind::Text, 0, ""},
      {"@SUM(A1)", Kind::Text, 0, ""},
      {"-cmd|' /C calc'!A0", Kind::Text, 0, ""},
      {"Дата/Время", Kind::Text, 0, ""},
      {" Напряжение (В)", Kind::Text, 0, ""},
      {"Opened", Kind::Text, 0, ""},
      // What a cell cannot hold as a value stays text: numbers beyond
      // ±9.99999999999999E+307, dates before 1900.
      {"9,99999999999999E+307", Kind::Number, 9.99999999999999e307, ""},
      {"-9,99999999999999E+307", Kind::Number, -9.99999999999999e307, ""},
      {"1E+308", Kind::Text, 0, ""},
      {"-1,5E+308", Kind::Text, 0, ""},
      {"1E+400", Kind::Text, 0, ""},
      {"1899-12-31 23:59:59", Kind::Text, 0, ""},
      {"31.12.1899", Kind::Text, 0, ""},
      {"0001-01-01", Kind::Text, 0, ""},
      // Before March 1900 the spreadsheet counts one day less (it has a
      // 29 February 1900).
      {"1900-01-01", Kind::Number, 1, "dd.mm.yyyy"},
      {"28.02.1900 12:00", Kind::Number, 59.5, "dd.mm.yyyy h:mm"},
      {"1900-03-01", Kind::Number, 61, "dd.mm.yyyy"},
  };
  for (const Case& c : cases) {
    const LocalEntry entry = readLocalEntry(c.typed);
    EXPECT_EQ(entry.kind, c.kind) << c.typed;
    if (c.kind == Kind::Number) {
      EXPECT_NEAR(entry.number, c.number, 1e-9) << c.typed;
    }
    if (c.kind == Kind::Text) {
      EXPECT_EQ(entry.text, c.typed);
    }
    EXPECT_EQ(entry.autoFormat, c.format) << c.typed;
  }
}

TEST(LocalEntry, OverlongTextIsCutToWhatACellHolds) {
  EXPECT_EQ(readLocalEntry(std::string(40000, 'x')).text.size(), 32767u);
  // Cyrillic letters are one UTF-16 unit each (two bytes here).
  EXPECT_EQ(readLocalEntry(std::string(20000, 'x') + std::string(20000, 'x')).text.size(), 32767u);
  std::string cyrillic;
  for (int i = 0; i < 40000; ++i) {
    cyrillic += "ж";
  }
  EXPECT_EQ(readLocalEntry(cyrillic).text.size(), 2u * 32767u);
  // A character outside the basic plane counts twice and is never split.
  const std::string emoji = std::string(32766, 'x') + "\U0001F600";
  EXPECT_EQ(cutToCellLength(emoji, 32767), std::string(32766, 'x'));
}

TEST(NumberFormats, CommaPlacesAndLocalCodes) {
  EXPECT_EQ(numberFormatCode("0"), "0");
  EXPECT_EQ(numberFormatCode("0,00"), "0.00");
  EXPECT_EQ(numberFormatCode("0,000000"), "0.000000");
  EXPECT_EQ(numberFormatCode("0.00"), "0.00");
  EXPECT_EQ(numberFormatCode("#,##0"), "#,##0");  // not a places pattern: as given
  EXPECT_EQ(numberFormatFromLocal("ДД/ММ/ГГ Ч:ММ:СС;@"), "dd/mm/yy h:mm:ss;@");
  EXPECT_EQ(numberFormatFromLocal("0,00"), "0.00");
  EXPECT_EQ(numberFormatFromLocal("Основной"), "General");
  EXPECT_EQ(numberFormatFromLocal("ДД.ММ.ГГГГ \"г.\""), "dd.mm.yyyy \"г.\"");
}

}  // namespace
}  // namespace vexa::sheet
