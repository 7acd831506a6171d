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

#include "support/headless_report.h"

namespace vexa::sheet {
namespace {

// Every layout's report, drawn by LibreOffice: the first page holds the chart
// (or the table, for the layouts without one).
TEST(LibreOfficeReports, EveryLayoutConvertsWithItsChartPage) {
  testing::TempDir dir;
  std::string climate = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\r\n";
  std::string probe = climate;
  std::string light = "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)\r\n";
  std::string temperature = "Date/Time,Temperature(C),Battery(Volts)\r\n";
  std::string paired = "Date,Time, Boiler,Time, Return\r\n";
  std::string doors = "Date,Time, Door,Time, Window\r\n";
  std::string motion = "Date,Time,Type,Duration(seconds), Angle(degrees)\r\n";
  static const char* kStates[] = {"Armed", "Moved", "Disarmed"};
  for (int i = 0; i < 96; ++i) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "2021-01-%02dT%02d:%02d:00+03:00", 2 + i / 48, i / 2 % 24,
                  i % 2 * 30);
    const std::string t = std::to_string(20 + i % 7) + "." + std::to_string(i % 10);
    const std::string h = std::to_string(40 + i % 11);
    const std::string lux = std::to_string(i % 24 < 6 || i % 24 > 20 ? 1 + i % 3 : 300 + i * 7);
    climate += std::string(stamp) + "," + t + "," + h + ",3.0" + std::to_string(i % 9) + "\r\n";
    probe += std::string(stamp) + "," + t + ",1" + std::to_string(i % 9) + ".5,2.9\r\n";
    light += std::string(stamp) + "," + t + "," + h + "," + lux + ",3.01\r\n";
    temperature += std::string(stamp) + "," + t + ",2.95\r\n";
    const std::string date = "2021-01-0" + std::to_string(2 + i / 48);
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:00", i / 2 % 24, i % 2 * 30);
    paired += date + "," + clock + ",6" + std::to_string(i % 10) + ".5," + clock + ",4" +
              std::to_string(i % 7) + "\r\n";
    doors += date + "," + clock + "," + (i % 3 ? "Closed" : "Opened") + ",,\r\n";
    char day[16];
    std::snprintf(day, sizeof day, "01/%02d/2021", 2 + i / 48);
    motion += std::string(day) + "," + clock + "," + kStates[i % 3] + ",1.5,1" +
              std::to_string(i % 9) + "\r\n";
  }
  struct Layout {
    const char* name;
    const std::string& text;
    const char* ticks;
    std::vector<std::string> onFirstPage;
  };
  const Layout layouts[] = {
      {"climate.csv", climate, "234", {"Время", "Температура (ºС)", "Напряжение (В)"}},
      {"probe#1.csv", probe, "23", {"Время", "Температура зонда (°C)", "Температура корпуса (°C)"}},
      {"light.csv", light, "23456", {"Время", "Температура (ºС)", "Освещённость (Лк)"}},
      {"temperature.csv", temperature, "24", {"Время", "Температура (ºС)", "Напряжение (В)"}},
      {"boiler_temper.csv", paired, "", {"Время", "Температура (ºС)", "Boiler"}},
      {"doors.csv", doors, "", {"Дата Время", "Door", "Opened"}},
      {"events.csv", motion, "", {"Продолжительность (секунд)", "Включён", "Выключен"}},
  };
  std::vector<std::string> workbooks;
  for (const Layout& layout : layouts) {
    testing::ReportChoices choices;
    choices.ticks = layout.ticks;
    workbooks.push_back(
        testing::HeadlessReport().run(dir.write(layout.name, layout.text), choices));
  }
  const auto pdfs =
      testing::convertAllWithLibreOffice(workbooks, "pdf", "pdf", dir.path().string());
  for (std::size_t i = 0; i < pdfs.size(); ++i) {
    SCOPED_TRACE(layouts[i].name);
    ASSERT_FALSE(pdfs[i].empty()) << slurp((dir.path() / "soffice.log").string());
    const std::string page = testing::pdfPageText(pdfs[i], 1);
    for (const std::string& text : layouts[i].onFirstPage) {
      EXPECT_NE(page.find(text), std::string::npos) << text << " not in:\n" << page;
    }
  }
}

}  // namespace
}  // namespace vexa::sheet
