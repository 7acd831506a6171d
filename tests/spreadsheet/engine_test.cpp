#include "spreadsheet/engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "support/error_text.h"
#include "support/temp_files.h"
#include "support/xlsx_reader.h"
#include "support/xml_check.h"

namespace vexa::sheet {
namespace {

using testing::errorOf;

using testing::occurrences;
using testing::readPackage;

class EngineTest : public ::testing::Test {
 protected:
  EngineTest()
      : engine(
            EngineOptions{.opener = [this](const std::string& path) { opened.push_back(path); }}) {
    app = engine.attach();
    book = app->Workbooks()->Add();
    sheet2 = app->Sheets(2);
  }
  xl::RangePtr block(const xl::WorksheetPtr& sheet, int r1, int c1, int r2, int c2) {
    return sheet->Range(*sheet->Cells(r1, c1), *sheet->Cells(r2, c2));
  }
  const Cell* cell(int sheet, int row, int column) {
    return modelOf(*book)->sheets.at(static_cast<std::size_t>(sheet - 1))->cells.find(row, column);
  }
  const CellFormat& formatOf(int sheet, int row, int column) {
    return modelOf(*book)->formats.at(cell(sheet, row, column)->format);
  }
  std::string codeOf(int sheet, int row, int column) {
    return modelOf(*book)->formats.code(formatOf(sheet, row, column).numberFormat);
  }

  testing::TempDir dir;
  std::vector<std::string> opened;
  Engine engine;
  xl::ApplicationPtr app;
  xl::WorkbookPtr book;
  xl::WorksheetPtr sheet2;
};

TEST_F(EngineTest, NewWorkbookHasThreeRussianSheets) {
  EXPECT_EQ(app->ActiveSheet()->Name(), "Лист1");
  EXPECT_EQ(app->Sheets(2)->Name(), "Лист2");
  EXPECT_EQ(app->Sheets(3)->Name(), "Лист3");
  app->setSheetsInNewWorkbook(1);
  app->Workbooks()->Add();
  EXPECT_NE(errorOf([&] { app->Sheets(2); }), "no error");
}

TEST_F(EngineTest, RangesCoverTheRectangleWhicheverCornerComesFirst) {
  TextTable values(2, 2);
  values.set(1, 1, "a");
  values.set(1, 2, "b");
  values.set(2, 1, "c");
  values.set(2, 2, "d");
  // (2, 2)..(1, 3) is the block of rows 1-2, columns 2-3.
  block(sheet2, 2, 2, 1, 3)->setFormulaR1C1Local(values);
  const WorkbookModel& model = *modelOf(*book);
  EXPECT_EQ(model.texts.at(cell(2, 1, 2)->text), "a");
  EXPECT_EQ(model.texts.at(cell(2, 1, 3)->text), "b");
  EXPECT_EQ(model.texts.at(cell(2, 2, 2)->text), "c");
  EXPECT_EQ(model.texts.at(cell(2, 2, 3)->text), "d");
}

TEST_F(EngineTest, MembersFailWhereASpreadsheetWould) {
  struct Case {
    const char* what;
    std::function<void()> action;
    const char* contains;
  };
  const Case cases[] = {
      {"column 0", [&] { sheet2->Cells(2, 0); }, "столбец 0"},
      {"row 0", [&] { sheet2->Cells(0, 1); }, "строка 0"},
      {"sheet 4", [&] { app->Sheets(4); }, "Листа с номером 4"},
      {"sheet 0", [&] { app->Sheets(0); }, "Листа с номером 0"},
      {"cells of two sheets",
       [&] { sheet2->Range(*sheet2->Cells(1, 1), *app->Sheets(3)->Cells(2, 2)); }, "Лист2"},
      {"alignment", [&] { sheet2->Cells(1, 1)->setHorizontalAlignment(99); }, "выравнивание"},
      {"width", [&] { sheet2->Cells(1, 1)->setColumnWidth(300); }, "Ширина"},
      {"border weight", [&] { sheet2->Cells(1, 1)->Borders()->setWeight(7); }, "толщина"},
      {"file format", [&] { book->SaveAs((dir.path() / "x").string(), 6, 1); }, "Формат файла 6"},
      {"save before save-as", [&] { book->Save(); }, "ещё не сохранялась"},
  };
  for (const Case& c : cases) {
    const std::string error = errorOf(c.action);
    EXPECT_NE(error.find(c.contains), std::string::npos) << c.what << ": " << error;
  }
}

TEST_F(EngineTest, TypedBlockTakesNumbersDatesAndTextsAndNeverFormulas) {
  TextTable values(3, 3);
  values.set(1, 1, "Дата/Время");
  values.set(1, 2, "Температура (ºС)");
  values.set(1, 3, "=1+2");
  values.set(2, 1, "2021-01-02 10:20:30");
  values.set(2, 2, "21,5");
  values.set(2, 3, "2.5");
  values.set(3, 1, "2021-01-02 10:20:31");
  values.set(3, 2, "-3,25");
  // Row 3, column 3 empty; the block is one row taller than the array.
  const auto target = block(sheet2, 1, 1, 4, 3);
  target->setNumberFormat("0,00");  // formats before data keep their own
  target->setFormulaR1C1Local(values);
  EXPECT_EQ(cell(2, 2, 1)->kind, Cell::Kind::Number);
  EXPECT_EQ(codeOf(2, 2, 1), "0.00");  // already formatted: no automatic date format
  EXPECT_DOUBLE_EQ(cell(2, 2, 2)->number, 21.5);
  EXPECT_DOUBLE_EQ(cell(2, 3, 2)->number, -3.25);
  EXPECT_EQ(cell(2, 1, 3)->kind, Cell::Kind::Text);
  EXPECT_EQ(modelOf(*book)->texts.at(cell(2, 1, 3)->text), "=1+2");
  EXPECT_EQ(cell(2, 2, 3)->kind, Cell::Kind::Text);
  EXPECT_EQ(cell(2, 3, 3)->kind, Cell::Kind::Empty);
  EXPECT_EQ(cell(2, 4, 1)->kind, Cell::Kind::Empty);  // beyond the array: empty, not an error

  // Without a format, a date-time brings its own.
  TextTable stamp(1, 1);
  stamp.set(1, 1, "2021-01-02 10:20:30");
  sheet2->Cells(7, 1)->setFormulaR1C1Local(stamp);
  EXPECT_EQ(codeOf(2, 7, 1), "dd.mm.yyyy h:mm:ss");
}

TEST_F(EngineTest, FormatsApplyToEveryCellOfTheBlock) {
  const auto table = block(sheet2, 1, 1, 3, 2);
  table->setHorizontalAlignment(3);
  block(sheet2, 1, 1, 1, 2)->Font()->setBold(true);
  block(sheet2, 1, 1, 1, 2)->setColumnWidth(17);
  block(sheet2, 2, 1, 3, 1)->setNumberFormatLocal("ДД/ММ/ГГ Ч:ММ:СС;@");
  table->Borders()->setLineStyle(1);
  table->Borders()->setWeight(2);
  for (int r = 1; r <= 3; ++r) {
    for (int c = 1; c <= 2; ++c) {
      EXPECT_EQ(formatOf(2, r, c).alignment, HorizontalAlignment::Center);
      EXPECT_EQ(formatOf(2, r, c).border, BorderLine::Thin);
      EXPECT_EQ(formatOf(2, r, c).bold, r == 1);
    }
  }
  EXPECT_EQ(codeOf(2, 2, 1), "dd/mm/yy h:mm:ss;@");
  EXPECT_EQ(codeOf(2, 1, 1), "General");
  EXPECT_EQ(modelOf(*book)->sheets[1]->columnWidths, (std::map<int, double>{{1, 17}, {2, 17}}));
}

TEST_F(EngineTest, SaveAsAppendsTheExtensionAndSaveWritesAgain) {
  const auto base = dir.path() / platform::pathOf("Отчёты/датчик №1-070121_153045");
  std::filesystem::create_directories(base.parent_path());
  book->SaveAs(platform::textOf(base), xl::xlWorkbookNormal, xl::xlNoChange);
  const std::string file = platform::textOf(base) + ".xlsx";
  ASSERT_TRUE(platform::exists(file));
  const auto firstSize = std::filesystem::file_size(platform::pathOf(file));

  TextTable values(1, 1);
  values.set(1, 1, "Температура (ºС)");
  sheet2->Cells(1, 1)->setFormulaR1C1Local(values);
  book->Save();
  EXPECT_GT(std::filesystem::file_size(platform::pathOf(file)), firstSize);
  const auto parts = readPackage(file);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Температура (ºС)"), std::string::npos);
  // Only the workbook: no temporary file stays in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(base.parent_path()),
                          std::filesystem::directory_iterator()),
            1);
#ifndef _WIN32
  // New files get the usual permissions.
  struct stat info {};
  ::stat(file.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0044, 0044u);
#endif

  // A name that already ends in .xlsx keeps it; relative names go to the current folder.
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  book->SaveAs("-070121_153045", xl::xlWorkbookNormal, xl::xlNoChange);
  std::filesystem::current_path(previous);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "-070121_153045.xlsx"));
  book->SaveAs((dir.path() / "named.xlsx").string(), xl::xlWorkbookNormal, xl::xlNoChange);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "named.xlsx"));
}

TEST_F(EngineTest, FailedSaveNamesThePathAndLeavesNothing) {
  const std::string missing = (dir.path() / "no such folder" / "tag-070121_153045").string();
  const std::string error = errorOf([&] { book->SaveAs(missing, xl::xlWorkbookNormal, 1); });
  EXPECT_EQ(error, "Не удалось сохранить книгу \"" + missing + ".xlsx\": такой папки нет.");

  std::filesystem::create_directories(dir.path() / "taken.xlsx");
  const std::string folder = (dir.path() / "taken").string();
  EXPECT_EQ(errorOf([&] { book->SaveAs(folder, xl::xlWorkbookNormal, 1); }),
            "Не удалось сохранить книгу \"" + folder + ".xlsx\": под этим именем уже есть папка.");

#ifndef _WIN32
  if (::geteuid() != 0) {  // root may write anywhere
    const auto locked = dir.path() / "locked";
    std::filesystem::create_directories(locked);
    std::filesystem::permissions(
        locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_NE(errorOf([&] { book->SaveAs((locked / "x").string(), -4143, 1); }).find("прав"),
              std::string::npos);
  }
#endif
  // Nothing was written anywhere.
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    files += entry.is_regular_file();
  }
  EXPECT_EQ(files, 0u);
}

TEST_F(EngineTest, VisibleOpensTheSavedWorkbookInTheDesktop) {
  app->setVisible(true);
  EXPECT_TRUE(opened.empty());  // nothing saved yet
  const std::string base = (dir.path() / "report").string();
  book->SaveAs(base, xl::xlWorkbookNormal, xl::xlNoChange);
  app->setVisible(true);
  EXPECT_EQ(opened, std::vector<std::string>{base + ".xlsx"});
  // The desktop now holds it; the running application takes the next workbook.
  EXPECT_EQ(engine.attach()->Workbooks()->Add() != nullptr, true);
}

#ifndef _WIN32
// A desktop where no application opens workbooks: the desktop's opener is
// not started, and the saved workbook is said to be saved.
TEST(DesktopOpener, NoApplicationForWorkbooks) {
  testing::TempDir empty;
  const std::string nowhere = empty.path().string();
  std::vector<std::pair<const char*, std::optional<std::string>>> was;
  for (const char* variable : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME",
                               "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP"}) {
    const char* value = std::getenv(variable);
    was.emplace_back(variable, value ? std::optional<std::string>(value) : std::nullopt);
    ::setenv(variable, nowhere.c_str(), 1);
  }
  ::unsetenv("XDG_CURRENT_DESKTOP");
  const std::string workbook = empty.write("report.xlsx", "");
  EXPECT_THROW(openWithDesktop(workbook), xl::WorkbookNotShown);
  EXPECT_EQ(errorOf([&] { openWithDesktop(workbook); }),
            "Книга сохранена в файл \"" + workbook +
                "\", но открыть её не удалось: на компьютере не найдено приложение для файлов "
                ".xlsx.");
  for (const auto& [variable, value] : was) {
    value ? ::setenv(variable, value->c_str(), 1) : ::unsetenv(variable);
  }
}
#endif

TEST_F(EngineTest, CloseAndQuitEndTheirObjects) {
  book->SaveAs((dir.path() / "a").string(), xl::xlWorkbookNormal, xl::xlNoChange);
  book->Close();
  EXPECT_NE(errorOf([&] { book->Save(); }).find("закрыта"), std::string::npos);
  app->Quit();
  EXPECT_NE(errorOf([&] { app->Workbooks(); }).find("завершило"), std::string::npos);
  // After Quit the next attach starts a new application.
  const auto next = engine.attach();
  next->Workbooks()->Add();
  EXPECT_EQ(next->ActiveSheet()->Name(), "Лист1");
}

// Every part is well-formed XML whatever the cells hold.
TEST_F(EngineTest, HostileTextsStayWellFormed) {
  TextTable values(1, 6);
  values.set(1, 1, std::string("nul\0bell\x07", 9));
  values.set(1, 2, "<tag attr=\"x\">&amp;</tag>");
  values.set(1, 3, "_x0041_");
  values.set(1, 4, "\xEF\xBF\xBF");
  values.set(1, 5, " leading and trailing ");
  values.set(1, 6, "]]><!--");
  sheet2->Range(*sheet2->Cells(1, 1), *sheet2->Cells(1, 6))->setFormulaR1C1Local(values);
  book->SaveAs((dir.path() / "hostile").string(), xl::xlWorkbookNormal, xl::xlNoChange);
  const auto parts = readPackage((dir.path() / "hostile.xlsx").string());
  for (const auto& [name, content] : parts) {
    EXPECT_EQ(testing::xmlProblem(content), "") << name;
  }
  const std::string& strings = parts.at("xl/sharedStrings.xml");
  EXPECT_NE(strings.find("nul_x0000_bell_x0007_"), std::string::npos);
  EXPECT_NE(strings.find("_x005F_x0041_"), std::string::npos);
  EXPECT_NE(strings.find("<t xml:space=\"preserve\"> leading and trailing </t>"),
            std::string::npos);
}

TEST_F(EngineTest, PackageHoldsTheStandardParts) {
  block(sheet2, 1, 1, 2, 2)->Borders()->setLineStyle(1);
  book->SaveAs((dir.path() / "parts").string(), xl::xlWorkbookNormal, xl::xlNoChange);
  const auto parts = readPackage((dir.path() / "parts.xlsx").string());
  for (const char* name :
       {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
        "xl/styles.xml", "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml",
        "xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml", "xl/theme/theme1.xml",
        "docProps/core.xml", "docProps/app.xml"}) {
    EXPECT_EQ(parts.count(name), 1u) << name;
  }
  const std::string& workbook = parts.at("xl/workbook.xml");
  EXPECT_EQ(occurrences(workbook, "<sheet "), 3);
  EXPECT_NE(workbook.find("<workbookPr defaultThemeVersion=\"124226\"/>"), std::string::npos);
  EXPECT_NE(workbook.find("</sheets><calcPr calcId=\"124519\"/></workbook>"), std::string::npos);
  // The theme that the styles' colours and fonts name, and the charts' colours.
  EXPECT_NE(parts.at("xl/_rels/workbook.xml.rels")
                .find("relationships/theme\" Target=\"theme/theme1.xml\""),
            std::string::npos);
  EXPECT_NE(parts.at("xl/theme/theme1.xml").find("<a:accent1><a:srgbClr val=\"4F81BD\"/>"),
            std::string::npos);
  EXPECT_NE(parts.at("xl/styles.xml").find("<color theme=\"1\"/><name val=\"Calibri\"/>"),
            std::string::npos);
  EXPECT_EQ(occurrences(parts.at("xl/styles.xml"), "<scheme val=\"minor\"/>"), 2);
  EXPECT_NE(workbook.find("name=\"Лист2\""), std::string::npos);
  EXPECT_NE(parts.at("xl/styles.xml").find("<left style=\"thin\">"), std::string::npos);
  const std::string& root = parts.at("_rels/.rels");
  EXPECT_NE(root.find("relationships/metadata/core-properties\" Target=\"docProps/core.xml\""),
            std::string::npos);
  EXPECT_NE(root.find("relationships/extended-properties\" Target=\"docProps/app.xml\""),
            std::string::npos);
  const std::string& types = parts.at("[Content_Types].xml");
  EXPECT_NE(
      types.find("PartName=\"/docProps/core.xml\" "
                 "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\""),
      std::string::npos);
  const std::string& app = parts.at("docProps/app.xml");
  // Readers take the defaults of what the parts leave out from the version
  // whose parts they are written like.
  EXPECT_NE(app.find("<Application>Microsoft Excel</Application>"), std::string::npos);
  EXPECT_NE(app.find("<AppVersion>12.0000</AppVersion></Properties>"), std::string::npos);
  EXPECT_NE(types.find("PartName=\"/xl/theme/theme1.xml\" "
                       "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\""),
            std::string::npos);
  EXPECT_NE(app.find("<vt:lpstr>Листы</vt:lpstr></vt:variant><vt:variant><vt:i4>3</vt:i4>"),
            std::string::npos);
  EXPECT_NE(app.find("<vt:vector size=\"3\" baseType=\"lpstr\"><vt:lpstr>Лист1</vt:lpstr>"),
            std::string::npos);
}

// Who made the workbook and when, in UTC: created when it was added,
// modified at each save.
TEST(EngineProperties, CreatorAndTimesInUtc) {
  std::int64_t now = 1609986645;  // 2021-01-07 02:30:45 UTC
  Engine engine(EngineOptions{.author = "Инженер <смены>", .clock = [&] { return now; }});
  const auto app = engine.attach();
  const auto book = app->Workbooks()->Add();
  testing::TempDir dir;
  now += 3600 * 24 * 400;
  book->SaveAs((dir.path() / "times").string(), xl::xlWorkbookNormal, xl::xlNoChange);
  const std::string core =
      readPackage((dir.path() / "times.xlsx").string()).at("docProps/core.xml");
  EXPECT_NE(core.find("<dc:creator>Инженер &lt;смены&gt;</dc:creator>"), std::string::npos);
  EXPECT_NE(core.find("<dcterms:created xsi:type=\"dcterms:W3CDTF\">2021-01-07T02:30:45Z<"),
            std::string::npos);
  EXPECT_NE(core.find("<dcterms:modified xsi:type=\"dcterms:W3CDTF\">2022-02-11T02:30:45Z<"),
            std::string::npos)
      << core;
}

// Every row and cell names its place: readers differ on cells without it.
TEST_F(EngineTest, EveryRowAndCellCarriesItsReference) {
  TextTable values(2, 3);
  values.set(1, 1, "Дата");
  values.set(2, 3, "5");
  block(sheet2, 1, 26, 2, 28)->setFormulaR1C1Local(values);
  block(sheet2, 4, 2, 4, 2)->Borders()->setLineStyle(1);
  book->SaveAs((dir.path() / "refs").string(), xl::xlWorkbookNormal, xl::xlNoChange);
  const std::string sheet =
      readPackage((dir.path() / "refs.xlsx").string()).at("xl/worksheets/sheet2.xml");
  // Rows name the columns their block of sixteen uses, as the spreadsheet
  // writes them.
  EXPECT_NE(
      sheet.find("<sheetData><row r=\"1\" spans=\"2:28\"><c r=\"Z1\" t=\"s\"><v>0</v></c></row>"
                 "<row r=\"2\" spans=\"2:28\"><c r=\"AB2\"><v>5</v></c></row>"
                 "<row r=\"4\" spans=\"2:28\"><c r=\"B4\" s=\""),
      std::string::npos)
      << sheet;
  EXPECT_EQ(occurrences(sheet, "<c "), occurrences(sheet, "<c r=\""));
}

// A sheet laid out to print: its page, area, repeated columns, header and
// footer, and the fills and wrapped labels of its cells, as Excel writes
// them; wrong values fail where Excel's members would.
TEST_F(EngineTest, SheetPrintsAsSet) {
  const xl::WorksheetPtr sheet3 = app->Sheets(3);
  TextTable values(2, 2);
  values.set(1, 1, "Итог");
  values.set(1, 2, "Тревога");
  block(sheet3, 1, 1, 2, 2)->setFormulaR1C1Local(values);
  block(sheet3, 1, 2, 1, 2)->Interior()->setColor(0xCEC7FF);  // 0xBBGGRR: red
  block(sheet3, 1, 1, 1, 1)->setWrapText(true);
  block(sheet3, 1, 1, 1, 1)->setRowHeight(30);
  const xl::PageSetupPtr page = sheet3->PageSetup();
  page->setOrientation(xl::xlPortrait);
  page->setPaperSize(xl::xlPaperA4);
  page->setFitToPagesWide(1);
  page->setPrintArea("$A$1:$J$40");
  page->setPrintTitleColumns("$A:$A");
  page->setCenterHeader("tag && freezer");
  page->setCenterFooter("Стр. &P из &N");
  for (const auto& [member, call] : std::vector<std::pair<std::string, std::function<void()>>>{
           {"orientation", [&] { page->setOrientation(3); }},
           {"area", [&] { page->setPrintArea("A1:B2"); }},
           {"titles", [&] { page->setPrintTitleColumns("$A$1:$A$2"); }},
           {"colour", [&] { block(sheet3, 1, 1, 1, 1)->Interior()->setColor(-1); }}}) {
    EXPECT_THROW(call(), std::runtime_error) << member;
  }
  book->SaveAs((dir.path() / "print").string(), xl::xlWorkbookNormal, xl::xlNoChange);
  const auto parts = readPackage((dir.path() / "print.xlsx").string());
  const std::string& sheet = parts.at("xl/worksheets/sheet3.xml");
  for (const char* expected :
       {"<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>",
        "<row r=\"1\" spans=\"1:2\" ht=\"30\" customHeight=\"1\">",
        "<pageSetup paperSize=\"9\" orientation=\"portrait\" fitToWidth=\"1\" fitToHeight=\"0\"/>"
        "<headerFooter><oddHeader>&amp;Ctag &amp;&amp; freezer</oddHeader>"
        "<oddFooter>&amp;CСтр. &amp;P из &amp;N</oddFooter></headerFooter>"}) {
    EXPECT_NE(sheet.find(expected), std::string::npos) << expected << "\n" << sheet;
  }
  EXPECT_NE(parts.at("xl/workbook.xml")
                .find("</sheets><definedNames>"
                      "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"2\">'Лист3'!$A$1:$J$40"
                      "</definedName><definedName name=\"_xlnm.Print_Titles\" localSheetId=\"2\">"
                      "'Лист3'!$A:$A</definedName></definedNames>"),
            std::string::npos);
  const std::string& styles = parts.at("xl/styles.xml");
  EXPECT_NE(styles.find("<fills count=\"3\">"), std::string::npos) << styles;
  EXPECT_NE(styles.find("<patternFill patternType=\"solid\"><fgColor rgb=\"FFFFC7CE\"/>"),
            std::string::npos);
  EXPECT_NE(styles.find("<alignment wrapText=\"1\"/>"), std::string::npos);
}
}  // namespace
}  // namespace vexa::sheet
