// Workbooks written by the engine, read back by LibreOffice.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "spreadsheet/engine.h"
#include "support/libreoffice.h"
#include "support/temp_files.h"
#include "support/xlsx_reader.h"

namespace vexa::sheet {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class LibreOfficeTest : public ::testing::Test {
 protected:
  // A table as the report writes one: headings, date-times, numbers with
  // decimal commas, formats, borders, widths; Cyrillic texts.
  std::string writeWorkbook() {
    Engine engine(EngineOptions{});
    const auto app = engine.attach();
    const auto book = app->Workbooks()->Add();
    const auto sheet = app->Sheets(2);
    const auto block = [&](int r1, int c1, int r2, int c2) {
      return sheet->Range(*sheet->Cells(r1, c1), *sheet->Cells(r2, c2));
    };
    TextTable values(4, 4);
    const char* rows[4][4] = {
        {"Дата/Время", "Температура (ºС)", "Влажность (%)", "Тип"},
        {"2021-01-02 10:20:30", "21,5", "40,125", "Включён"},
        {"2021-01-02 10:21:30", "-3,25", "1,5E+3", "=1+1"},
        {"2021-01-02 10:22:30", "0", "", "Выключен"},
    };
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) {
        values.set(r + 1, c + 1, rows[r][c]);
      }
    }
    block(1, 1, 4, 4)->setHorizontalAlignment(3);
    block(1, 1, 1, 4)->Font()->setBold(true);
    block(1, 1, 1, 4)->setColumnWidth(17);
    block(2, 2, 4, 3)->setNumberFormat("0,00");
    block(2, 1, 4, 1)->setNumberFormatLocal("ДД/ММ/ГГ Ч:ММ:СС;@");
    const auto table = block(1, 1, 4, 4);
    table->setFormulaR1C1Local(values);
    table->Borders()->setLineStyle(1);
    table->Borders()->setWeight(2);
    const std::string base = (dir.path() / "climate-070121_153045").string();
    book->SaveAs(base, xl::xlWorkbookNormal, xl::xlNoChange);
    book->Save();
    return base + ".xlsx";
  }

  testing::TempDir dir;
};

TEST_F(LibreOfficeTest, ValuesComeBackAsWrittenWithNumbersAndDates) {
  const std::string workbook = writeWorkbook();

  // The shown values, as LibreOffice exports them.
  const std::string csv = testing::convertWithLibreOffice(
      workbook, "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,2",
      "csv", dir.path().string(), "-Лист2");
  ASSERT_FALSE(csv.empty()) << slurp((dir.path() / "soffice.log").string());
  const std::string shown = slurp(csv);
  EXPECT_NE(shown.find("Дата/Время,Температура (ºС),Влажность (%),Тип"), std::string::npos)
      << shown;
  EXPECT_NE(shown.find("02/01/21 10:20:30,21.50,40.13,Включён"), std::string::npos) << shown;
  EXPECT_NE(shown.find("02/01/21 10:21:30,-3.25,1500.00,=1+1"), std::string::npos) << shown;
  EXPECT_NE(shown.find("02/01/21 10:22:30,0.00,,Выключен"), std::string::npos) << shown;

  // The cell types, from the same file saved as OpenDocument.
  const std::string ods =
      testing::convertWithLibreOffice(workbook, "ods", "ods", dir.path().string());
  ASSERT_FALSE(ods.empty());
  const std::string content = testing::readPackage(ods).at("content.xml");
  EXPECT_NE(content.find("office:value-type=\"date\" office:date-value=\"2021-01-02T10:20:30\""),
            std::string::npos);
  EXPECT_NE(content.find("office:value-type=\"float\" office:value=\"21.5\""), std::string::npos);
  EXPECT_NE(content.find("office:value-type=\"float\" office:value=\"1500\""), std::string::npos);
  // The formula-looking text stays a text, never a formula.
  EXPECT_EQ(content.find("table:formula"), std::string::npos);
  EXPECT_NE(content.find("<text:p>=1+1</text:p>"), std::string::npos);

  const std::string pdf =
      testing::convertWithLibreOffice(workbook, "pdf", "pdf", dir.path().string());
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(slurp(pdf).rfind("%PDF", 0), 0u);
}

}  // namespace
}  // namespace vexa::sheet
