#include "cli/batch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "input/datetime.h"
#include "spreadsheet/package.h"
#include "support/file_marks.h"
#include "support/kill_helper.h"
#include "support/temp_files.h"
#include "support/xlsx_reader.h"

namespace vexa::cli {
namespace {

const std::string kClimate =
    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\r\n"
    "2021-01-02T10:00:00+03:00,21.5,40.1,3.01\r\n"
    "2021-01-02T11:00:00+03:00,22.5,41.1,3.00\r\n"
    "2021-01-02T12:00:00+03:00,23.5,42.1,2.99\r\n";
const std::string kEvents =
    "Date,Time,Type,Duration(seconds), Angle(degrees)\n01/02/2021,10:00:00,Moved,2.5,10\n";

class BatchTest : public ::testing::Test {
 protected:
  int run(const std::vector<std::string>& arguments, sheet::FileWriter writer = {}) {
    out.str("");
    err.str("");
    Environment environment;
    environment.opener = [this](const std::string& path) {
      if (noApplication) {
        throw xl::WorkbookNotShown("Книга сохранена в файл \"" + path +
                                   "\", но открыть её не удалось.");
      }
      opened.push_back(path);
    };
    environment.clock = [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); };
    environment.writer = std::move(writer);
    return runCommandLine(arguments, out, err, environment);
  }
  // The names in the folder, hidden ones included.
  std::set<std::string> folder() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.insert(platform::textOf(entry.path().filename()));
    }
    return names;
  }
  std::vector<std::string> lines(const std::ostringstream& stream) const {
    std::vector<std::string> result;
    std::istringstream in(stream.str());
    for (std::string line; std::getline(in, line);) {
      result.push_back(line);
    }
    return result;
  }
  std::string file(const std::string& name, const std::string& text) {
    return dir.write(name, text);
  }

  testing::TempDir dir;
  bool noApplication = false;
  std::ostringstream out;
  std::ostringstream err;
  std::vector<std::string> opened;
};

TEST_F(BatchTest, ReportsEveryFileAndPrintsWhereItIs) {
  const std::string a = file("a.csv", kClimate);
  const std::string b = file("b.csv", "Date,Time, T1\n2021-03-01,10:00:00,1\n");
  EXPECT_EQ(run({a, b}), 0) << err.str();
  const std::string savedA = (dir.path() / "a-070121_153045.xlsx").string();
  const std::string savedB = (dir.path() / "b-070121_153045.xlsx").string();
  EXPECT_EQ(lines(out), (std::vector<std::string>{savedA, savedB}));
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(testing::readPackage(savedA).count("xl/charts/chart1.xml"), 1u);
  EXPECT_TRUE(opened.empty());
}

TEST_F(BatchTest, OneBadFileAmongGoodOnesFailsTheRunButNotTheOthers) {
  const std::string good = file("good.csv", kClimate);
  const std::string refused = file("MotionLog_7.csv", kClimate);
  const std::string unknown = file("unknown.csv", "Time,Value\n1,2\n");
  const std::string broken =
      file("broken.csv",
           "Date/Time,Temperature(C),Battery(Volts)\n2021-01-02 10:00:00,1,2\n"
           "2021-01-02 11:00:00+05:00,1,2\n2021-01-02 12:00:00,1,2\n");
  const std::string missing = (dir.path() / "missing.csv").string();
  EXPECT_EQ(run({refused, good, unknown, broken, missing}), 1);
  EXPECT_EQ(lines(out),
            std::vector<std::string>{(dir.path() / "good-070121_153045.xlsx").string()});
  EXPECT_EQ(lines(err),
            (std::vector<std::string>{
                refused + ": Файл данных этого формата не поддерживается программой Vexa_Сhart",
                unknown + ": Не известный формат данных.",
                broken + ": '2021-01-02 11:00:00+05:00' is not a valid date and time",
                missing + ": Не удалось прочитать файл \"" + missing + "\": файл не найден.",
            }));
}

TEST_F(BatchTest, MessagesOfStart) {
  const std::string climate = file("tag.csv", kClimate);
  EXPECT_EQ(run({"--from", "2021-01-03 00:00:00", "--to", "2021-01-02 00:00:00", climate}), 1);
  EXPECT_EQ(err.str(), climate + ": Неверный интервал времени.\n");
  EXPECT_EQ(run({"--series", "light", climate}), 1);
  EXPECT_EQ(err.str(), climate + ": Нет данных.\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(BatchTest, WindowAndSeriesChooseTheRows) {
  const std::string climate = file("tag.csv", kClimate);
  EXPECT_EQ(run({"--from=2021-01-02 11:00:00", "--series", "battery,temperature", "--decimals", "2",
                 climate}),
            0);
  const auto parts = testing::readPackage(lines(out).at(0));
  const std::string& sheet = parts.at("xl/worksheets/sheet2.xml");
  EXPECT_EQ(testing::occurrences(sheet, "<row "), 3);  // heading and two lines
  EXPECT_NE(parts.at("xl/styles.xml").find("formatCode=\"0.00\""), std::string::npos);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Напряжение (В)"), std::string::npos);
  EXPECT_EQ(parts.at("xl/sharedStrings.xml").find("Влажность"), std::string::npos);
}

TEST_F(BatchTest, ThinningWarningGoesToStandardError) {
  std::string big = "Date/Time,Temperature(C),Battery(Volts)\n";
  for (int i = 0; i < 40000; ++i) {
    big += formatDateTime(44197.0 + i / 1440.0) + ",20.5,3.0\n";
  }
  const std::string path = file("big.csv", big);
  EXPECT_EQ(run({path}), 0);
  EXPECT_EQ(err.str(), path +
                           ": Внимание! Число измерений больше 32000. Данные будут сжаты. "
                           "Коэффициент сжатия - 2\n");
}

TEST_F(BatchTest, OutputPathWithAndWithoutExtension) {
  const std::string climate = file("tag.csv", kClimate);
  const std::string plain = (dir.path() / "report").string();
  EXPECT_EQ(run({"--output", plain, climate}), 0);
  EXPECT_EQ(lines(out), std::vector<std::string>{plain + ".xlsx"});
  EXPECT_TRUE(std::filesystem::exists(plain + ".xlsx"));
  const std::string withExtension = (dir.path() / "named.xlsx").string();
  EXPECT_EQ(run({climate, "--output", withExtension}), 0);
  EXPECT_EQ(lines(out), std::vector<std::string>{withExtension});
  EXPECT_FALSE(std::filesystem::exists(withExtension + ".xlsx"));
  // Nothing under the time-stamped name.
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "tag-070121_153045.xlsx"));
}

TEST_F(BatchTest, OpenHandsTheWorkbookToTheDesktop) {
  const std::string climate = file("tag.csv", kClimate);
  EXPECT_EQ(run({"--open", climate}), 0);
  EXPECT_EQ(opened, lines(out));
  // Nothing opens .xlsx files: the workbook is saved all the same, and said so.
  noApplication = true;
  EXPECT_EQ(run({"--open", climate}), 0);
  ASSERT_EQ(lines(out).size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(lines(out)[0]));
  EXPECT_EQ(lines(err), std::vector<std::string>{climate + ": Книга сохранена в файл \"" +
                                                 lines(out)[0] + "\", но открыть её не удалось."});
}

TEST_F(BatchTest, LogarithmicAxisForLightFilesOnly) {
  const std::string paired = "Date,Time, Lux\n2021-03-01,10:00:00,5\n2021-03-01,11:00:00,500\n";
  EXPECT_EQ(run({"--log", file("hall_light.csv", paired)}), 0);
  EXPECT_NE(testing::readPackage(lines(out).at(0)).at("xl/charts/chart1.xml").find("logBase"),
            std::string::npos);
  EXPECT_EQ(run({"--log", file("hall.csv", paired)}), 0);
  EXPECT_EQ(testing::readPackage(lines(out).at(0)).at("xl/charts/chart1.xml").find("logBase"),
            std::string::npos);
}

TEST_F(BatchTest, UsageErrors) {
  const std::string climate = file("tag.csv", kClimate);
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{}, "не указан ни один файл выгрузки"},
      {{"--from", "02.01.2021 10:00:00", climate},
       "--from: «02.01.2021 10:00:00» — не дата и время вида «ГГГГ-ММ-ДД ЧЧ:ММ:СС»"},
      {{"--to", "2021-01-02", climate}, "--to: «2021-01-02» — не дата и время"},
      {{"--series", "temperature,pressure", climate}, "--series: неизвестный ряд «pressure»"},
      {{"--decimals", "9", climate}, "--decimals: «9» — не целое число от 0 до 8"},
      {{"--output", "x", climate, climate}, "--output — только для одного файла"},
      {{"--from"}, "--from: нужно значение"},
      {{"--colour", climate}, "неизвестный параметр --colour"},
      {{"--open=yes", climate}, "--open не принимает значения"},
      {{"-j", "0", climate}, "--jobs: «0» — не целое число от 1 до 9999"},
      {{"--jobs=x", climate}, "--jobs: «x» — не целое число"},
      {{"--limit", "temperature=abc:", climate},
       "--limit: предел «abc» ряда «temperature» — не число"},
      {{"--limit", "temperature=1:2", "--limit", "temperature=3:", climate},
       "--limit: пределы ряда «temperature» заданы дважды"},
      {{"--summary-only", "--pdf", climate},
       "--summary-only отчётов не сохраняет: --pdf и --pdf-only с ним не сочетаются"},
      {{"--join", climate}, "--join: нужно не меньше двух выгрузок одного тега"},
      {{"--join", "--compare", "--summary-only", climate, climate},
       "--join и --compare не сочетаются"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.arguments), 2) << c.message;
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("Подробнее: vexa-chart-report --help"), std::string::npos);
    EXPECT_EQ(out.str(), "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "tag-070121_153045.xlsx"));
}

using testing::bytesOf;

// Several tags side by side: a row per export whose figures are those of
// that export's own summary, the highest maximum and the lowest minimum
// marked; an export that cannot be read is named and left out.
TEST_F(BatchTest, ComparedTagsShowEachExportsOwnFigures) {
  const std::string header = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n";
  const auto tag = [&](const std::string& name, const std::vector<std::string>& temperatures,
                       const std::string& humidity) {
    std::string text = header;
    for (std::size_t i = 0; i < temperatures.size(); ++i) {
      text += "2021-01-02T1" + std::to_string(i) + ":00:00+03:00," + temperatures[i] + "," +
              humidity + ",3.01\n";
    }
    return file(name, text);
  };
  const std::vector<std::string> tags{tag("морозильник 1.csv", {"-20", "-18.5", "-8", "-19"}, "30"),
                                      tag("морозильник 2.csv", {"-21.25", "-20", "-19.5"}, "40"),
                                      tag("камера.csv", {"2", "4", "3.5", "5", "4"}, "50")};
  std::vector<std::string> arguments{"--compare", "--summary-only", "--limit",
                                     "temperature=-25:-15"};
  arguments.insert(arguments.end(), tags.begin(), tags.end());
  arguments.insert(arguments.begin() + 5,
                   platform::textOf(dir.path() / platform::pathOf("нет.csv")));
  ASSERT_EQ(run(arguments), 1);
  EXPECT_NE(err.str().find("нет.csv"), std::string::npos) << err.str();
  const std::vector<std::string> table = lines(out);
  ASSERT_EQ(table.size(), 4u) << out.str();
  const auto cells = [](const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
      fields.push_back(field);
    }
    if (line.ends_with('\t')) {
      fields.emplace_back();
    }
    return fields;
  };
  const std::vector<std::string> headings = cells(table[0]);
  for (std::size_t t = 0; t < tags.size(); ++t) {
    SCOPED_TRACE(tags[t]);
    const std::vector<std::string> row = cells(table[t + 1]);
    ASSERT_EQ(row.size(), headings.size());
    ASSERT_EQ(run({"--summary-only", "--limit", "temperature=-25:-15", tags[t]}), 0);
    const std::string own = out.str();
    // "Температура (ºС): минимум" is the line "Температура (ºС)\tМинимум\t..." of its own.
    const std::pair<const char*, const char*> figures[] = {
        {"минимум", "Минимум"},
        {"время минимума", "Время минимума"},
        {"максимум", "Максимум"},
        {"время максимума", "Время максимума"},
        {"среднее по времени", "Среднее по времени"},
        {"средняя кинетическая температура", "Средняя кинетическая температура"},
        {"выше верхнего предела, ч", "Выше верхнего предела: всего, ч"},
        {"пропусков", "Пропусков"}};
    for (const auto& [figure, label] : figures) {
      const std::string heading = std::string("Температура (ºС): ") + figure;
      const auto column = static_cast<std::size_t>(
          std::find(headings.begin(), headings.end(), heading) - headings.begin());
      ASSERT_LT(column, headings.size()) << heading;
      EXPECT_NE(own.find("Температура (ºС)\t" + std::string(label) + "\t" + row[column] + "\n"),
                std::string::npos)
          << heading << " = " << row[column];
    }
    EXPECT_EQ(row[5], t == 1 ? "В норме" : "Тревога");
  }
  EXPECT_TRUE(table[1].ends_with("\tВлажность (%): наименьший минимум")) << table[1];
  EXPECT_TRUE(table[2].ends_with("\tТемпература (ºС): наименьший минимум")) << table[2];
  EXPECT_TRUE(table[3].ends_with(
      "\tТемпература (ºС): наибольший максимум; Влажность (%): наибольший максимум"))
      << table[3];
}

// A sheet's cells as text, each shared string in place of its number and
// the cells' looks left out: what a reader shows of them.
std::string cellsOf(const std::map<std::string, std::string>& parts, const std::string& sheet) {
  std::vector<std::string> strings;
  const std::string& shared = parts.at("xl/sharedStrings.xml");
  const std::regex item("<si><t[^>]*>([^<]*)</t></si>");
  for (auto it = std::sregex_iterator(shared.begin(), shared.end(), item);
       it != std::sregex_iterator(); ++it) {
    strings.push_back((*it)[1]);
  }
  std::string text = std::regex_replace(parts.at(sheet), std::regex(" s=\"[0-9]+\""), "");
  std::string out;
  const std::regex textCell("t=\"s\"><v>([0-9]+)</v>");
  std::size_t at = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), textCell);
       it != std::sregex_iterator(); ++it) {
    out += text.substr(at, static_cast<std::size_t>(it->position()) - at) + ">" +
           strings.at(std::stoul((*it)[1])) + "<";
    at = static_cast<std::size_t>(it->position() + it->length());
  }
  out += text.substr(at);
  const std::size_t from = out.find("<sheetData>");
  return out.substr(from, out.find("</sheetData>") - from);
}

// Several tags in one workbook: «Сводка» first, with a chart per quantity
// (a line per tag, the shared limits' lines), then a sheet per export named
// after its file, holding the table its own report holds; an unreadable
// export is named and left out.
TEST_F(BatchTest, ComparisonWorkbookHoldsEachTagsTable) {
  const std::string a = file("морозильник.csv", kClimate);
  const std::string b =
      file("other/морозильник.csv", kClimate.substr(0, kClimate.rfind("2021-01-02T12")));
  const std::string c = file("камера.csv",
                             "Date/Time,Temperature(C),Battery(Volts)\n"
                             "2021-01-02T10:30:00+03:00,4.5,3.0\n"
                             "2021-01-02T11:30:00+03:00,5.5,3.0\n");
  const std::string missing = platform::textOf(dir.path() / platform::pathOf("нет.csv"));
  ASSERT_EQ(run({"--compare", "--pdf", "--limit", "temperature=0:25", a, missing, b, c}), 1)
      << err.str();
  EXPECT_NE(err.str().find("нет.csv"), std::string::npos) << err.str();
  const std::string saved =
      platform::textOf(dir.path() / platform::pathOf("Сравнение-070121_153045.xlsx"));
  const std::string pdf = saved.substr(0, saved.size() - 5) + ".pdf";
  ASSERT_EQ(lines(out), (std::vector<std::string>{saved, pdf}));
  // The PDF: the overview, a page per quantity's chart, a page per tag.
  const std::string pdfBytes = bytesOf(pdf);
  EXPECT_EQ(pdfBytes.substr(0, 5), "%PDF-");
  EXPECT_GE(testing::occurrences(pdfBytes, "/Type /Page\n"), 1 + 2 + 3);
  const auto parts = testing::readPackage(saved);
  const std::string& book = parts.at("xl/workbook.xml");
  const std::vector<std::string> names{"Сводка", "морозильник", "морозильник (2)", "камера"};
  std::size_t place = 0;
  for (const std::string& name : names) {
    const std::size_t found = book.find("name=\"" + name + "\"", place);
    EXPECT_NE(found, std::string::npos) << name;
    place = found;
  }
  // Each export's table as its own report has it.
  const std::vector<std::string> files{a, b, c};
  for (std::size_t t = 0; t < files.size(); ++t) {
    const std::string single = (dir.path() / ("single" + std::to_string(t) + ".xlsx")).string();
    ASSERT_EQ(run({"--limit", "temperature=0:25", "--output", single, files[t]}), 0) << err.str();
    EXPECT_EQ(cellsOf(parts, "xl/worksheets/sheet" + std::to_string(t + 2) + ".xml"),
              cellsOf(testing::readPackage(single), "xl/worksheets/sheet2.xml"))
        << names[t + 1];
  }
  // Temperature: three tags and both limits; humidity: the two climate tags.
  ASSERT_EQ(parts.count("xl/charts/chart1.xml"), 1u);
  ASSERT_EQ(parts.count("xl/charts/chart3.xml"), 0u);
  EXPECT_EQ(testing::occurrences(parts.at("xl/charts/chart1.xml"), "<c:ser>"), 5);
  EXPECT_EQ(testing::occurrences(parts.at("xl/charts/chart2.xml"), "<c:ser>"), 2);
  EXPECT_NE(parts.at("xl/charts/chart1.xml").find("'морозильник (2)'!$A$2:$A$"), std::string::npos);
}

// Three overlapping downloads of one tag, joined, give the report of one
// export that holds all their readings: the same figures, the same table;
// the summary says what was joined. A download of another layout refuses
// the join by its name.
TEST_F(BatchTest, JoinedDownloadsReportAsOneExport) {
  const std::string header = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n";
  std::vector<std::string> all;
  for (int hour = 0; hour < 30; ++hour) {
    all.push_back("2021-01-0" + std::to_string(2 + hour / 24) + "T" + (hour % 24 < 10 ? "0" : "") +
                  std::to_string(hour % 24) + ":00:00+03:00," + std::to_string(hour % 7 - 3) +
                  ".5,40.0,3.01\n");
  }
  const auto part = [&](int from, int to) {
    std::string text = header;
    for (int i = from; i <= to; ++i) {
      text += all[static_cast<std::size_t>(i)];
    }
    return text;
  };
  const std::string whole = file("whole.csv", part(0, 29));
  const std::vector<std::string> downloads{file("tag.csv", part(0, 12)),
                                           file("tag-2.csv", part(10, 22)),
                                           file("tag-3.csv", part(20, 29))};
  const auto summary = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--summary-only", "--limit", "temperature=-2:2"});
    EXPECT_EQ(run(arguments), 0) << err.str();
    std::vector<std::string> kept;
    for (const std::string& line : lines(out)) {
      if (line.find("\tВыгрузка\t") == std::string::npos &&
          line.find("\tSHA-256") == std::string::npos &&
          line.find("\tОбъединено") == std::string::npos &&
          line.find("\tОтметок времени в нескольких") == std::string::npos &&
          line.find("\tИз них") == std::string::npos) {
        kept.push_back(line);
      }
    }
    return std::make_pair(kept, out.str());
  };
  std::vector<std::string> joinedArguments{"--join"};
  joinedArguments.insert(joinedArguments.end(), downloads.begin(), downloads.end());
  const auto [joinedFigures, joinedText] = summary(joinedArguments);
  EXPECT_EQ(joinedFigures, summary({whole}).first);
  EXPECT_NE(joinedText.find("\tВыгрузка\ttag-объединение.csv\n"), std::string::npos);
  EXPECT_NE(joinedText.find("\tОбъединено выгрузок\t3\n"), std::string::npos) << joinedText;
  EXPECT_NE(joinedText.find("\tОтметок времени в нескольких выгрузках\t6\n"), std::string::npos);

  // The workbook and the PDF, named after the first download, in its folder.
  joinedArguments.insert(joinedArguments.begin(), "--pdf");
  ASSERT_EQ(run(joinedArguments), 0) << err.str();
  const std::string saved =
      platform::textOf(dir.path() / platform::pathOf("tag-объединение-070121_153045.xlsx"));
  EXPECT_EQ(lines(out),
            (std::vector<std::string>{
                saved, platform::textOf(dir.path() /
                                        platform::pathOf("tag-объединение-070121_153045.pdf"))}));
  const std::string single = (dir.path() / "single.xlsx").string();
  ASSERT_EQ(run({"--output", single, whole}), 0) << err.str();
  EXPECT_EQ(testing::readPackage(saved).at("xl/worksheets/sheet2.xml"),
            testing::readPackage(single).at("xl/worksheets/sheet2.xml"));

  const std::string other = file("другой.csv", kEvents);
  EXPECT_EQ(run({"--join", downloads[0], other}), 1);
  EXPECT_NE(err.str().find("«другой.csv»"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

// --pdf puts the PDF report beside the workbook under its name; --pdf-only
// writes the PDF alone, under the workbook's name or the .pdf one --output
// gives; each saved file's path is a line of standard output.
TEST_F(BatchTest, PdfReportBesideTheWorkbookOrAlone) {
  const std::string climate = file("tag.csv", kClimate);
  const std::string stamped = (dir.path() / "tag-070121_153045").string();
  const std::string named = (dir.path() / "named").string();
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> saved;
  };
  const Case cases[] = {
      {{"--pdf", climate}, {stamped + ".xlsx", stamped + ".pdf"}},
      {{"--pdf", "--output", named + ".xlsx", climate}, {named + ".xlsx", named + ".pdf"}},
      {{"--pdf-only", climate}, {stamped + ".pdf"}},
      {{"--pdf-only", "--output", named + ".pdf", climate}, {named + ".pdf"}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir.path() / "tag-070121_153045.xlsx");
    for (const char* leftover : {"tag-070121_153045.pdf", "named.xlsx", "named.pdf"}) {
      std::filesystem::remove(dir.path() / leftover);
    }
    EXPECT_EQ(run(c.arguments), 0) << err.str();
    EXPECT_EQ(lines(out), c.saved);
    std::set<std::string> expected{"tag.csv"};
    for (const std::string& path : c.saved) {
      expected.insert(std::filesystem::path(path).filename().string());
      EXPECT_EQ(bytesOf(path).substr(0, 4), path.ends_with(".pdf") ? "%PDF" : "PK\x03\x04") << path;
    }
    EXPECT_EQ(folder(), expected);  // nothing staged is left beside them
  }
}

// A workbook at --output stays byte for byte until the new report is
// complete: a report that fails after the lifecycle's early save, or a save
// that fails, leaves it as it was and leaves nothing beside it.
TEST_F(BatchTest, AnExistingWorkbookStaysUntilTheNewReportIsComplete) {
  const std::string climate = file("tag.csv", kClimate);
  const std::string noPair = file("late.csv", "Date,Time, T1\n2021-03-01,10:00:00,1\n");
  const std::string report = (dir.path() / "report.xlsx").string();
  ASSERT_EQ(run({"--output", report, climate}), 0);
  testing::markFile(report);
  const std::string before = bytesOf(report);

  EXPECT_EQ(run({"--output", report, "--from", "2022-01-01 00:00:00", "--to", "2022-01-02 00:00:00",
                 noPair}),
            1);
  EXPECT_NE(err.str().find("столбец 0"), std::string::npos) << err.str();
  EXPECT_EQ(bytesOf(report), before);

  const auto diskFull = [](const std::string& path, std::string_view) {
    throw sheet::SaveError(path, sheet::writeReason(ENOSPC));
  };
  EXPECT_EQ(run({"--output", report, "--series", "battery", climate}, diskFull), 1);
  EXPECT_NE(err.str().find(": на диске не хватает места."), std::string::npos) << err.str();
  EXPECT_EQ(bytesOf(report), before);
  EXPECT_EQ(folder(), (std::set<std::string>{"tag.csv", "late.csv", "report.xlsx"}));

  // A complete report replaces it and keeps its permissions (attributes).
  EXPECT_EQ(run({"--output", report, "--series", "battery", climate}), 0);
  EXPECT_NE(bytesOf(report), before);
  EXPECT_TRUE(testing::fileIsMarked(report));
  EXPECT_EQ(folder(), (std::set<std::string>{"tag.csv", "late.csv", "report.xlsx"}));
}

// A report killed during its final save leaves the workbook that was at
// --output whole; what it left behind goes with the next report to that name.
TEST_F(BatchTest, AReportKilledWhileSavingLeavesThePreviousWorkbook) {
  const std::string climate = file("tag.csv", kClimate);
  const std::string report = (dir.path() / "report.xlsx").string();
  ASSERT_EQ(run({"--output", report, climate}), 0);
  const std::string before = bytesOf(report);
  ASSERT_TRUE(testing::runKillHelper({"report", report, climate}).killed);
  EXPECT_EQ(bytesOf(report), before);
  EXPECT_EQ(folder().size(), 4u);  // the staging file and its temporary file besides

  EXPECT_EQ(run({"--output", report, "--series", "battery", climate}), 0);
  EXPECT_NE(bytesOf(report), before);
  EXPECT_EQ(folder(), (std::set<std::string>{"tag.csv", "report.xlsx"}));
}

// Memory that runs out ends the file's report with words, not "std::bad_alloc".
TEST_F(BatchTest, MemoryThatRunsOutIsToldInTheUsersWords) {
  const std::string climate = file("tag.csv", kClimate);
  EXPECT_EQ(run({climate}, [](const std::string&, std::string_view) { throw std::bad_alloc(); }),
            1);
  EXPECT_EQ(err.str(), climate +
                           ": Не хватает памяти: данных слишком много для одного отчёта. "
                           "Выберите интервал времени короче.\n");
  EXPECT_EQ(folder(), std::set<std::string>{"tag.csv"});
}

#ifndef _WIN32
// A link at --output keeps pointing at the workbook it names, which gets the
// report; a loop of links is refused in the user's words.
TEST_F(BatchTest, LinksAtTheOutputAreFollowed) {
  const std::string climate = file("tag.csv", kClimate);
  std::filesystem::create_directories(dir.path() / "reports");
  const auto target = dir.path() / "reports" / "latest.xlsx";
  const auto link = dir.path() / "latest.xlsx";
  std::filesystem::create_symlink("reports/latest.xlsx", link);
  EXPECT_EQ(run({"--output", link.string(), climate}), 0) << err.str();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(testing::readPackage(target.string()).count("xl/charts/chart1.xml"), 1u);

  const auto a = dir.path() / "a.xlsx";
  const auto b = dir.path() / "b.xlsx";
  std::filesystem::create_symlink(b, a);
  std::filesystem::create_symlink(a, b);
  EXPECT_EQ(run({"--output", a.string(), climate}), 1);
  EXPECT_NE(err.str().find("символические ссылки замкнуты в кольцо"), std::string::npos)
      << err.str();
  EXPECT_EQ(err.str().find("Too many"), std::string::npos);
}
#endif

// "--output DIR/" once wrote a hidden "DIR/.xlsx".
TEST_F(BatchTest, AFolderIsNoOutputName) {
  const std::string climate = file("tag.csv", kClimate);
  const std::string folder = platform::textOf(dir.path());
  for (const std::string& output :
       {folder + "/", folder + platform::kPathDelimiters.front(), folder}) {
    EXPECT_EQ(run({"--output", output, climate}), 2);
    EXPECT_NE(err.str().find("— папка; укажите имя файла книги"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / ".xlsx"));
}

// A workbook the program says it wrote is there, whatever its name: names
// that begin with a dot are no leftovers of earlier saves.
TEST_F(BatchTest, HiddenOutputNamesStay) {
  const std::string climate = file("tag.csv", kClimate);
  for (const char* name : {".hidden", ".report.xlsx", "..twice"}) {
    const std::string output = dir.file(name);
    ASSERT_EQ(run({"--output", output, climate}), 0) << name << ": " << err.str();
    const std::string written = lines(out).at(0);
    EXPECT_EQ(testing::readPackage(written).count("xl/charts/chart1.xml"), 1u) << name;
    // A second report beside it leaves it be.
    ASSERT_EQ(run({"--output", dir.file("next.xlsx"), climate}), 0);
    EXPECT_TRUE(platform::exists(written)) << written;
  }
}

// The refusal of motion-log names looks at the whole path, as the window does.
TEST_F(BatchTest, RefusedFolderNamesCountWhenTheFileIsGivenRelatively) {
  const std::string inRefusedFolder = file("MotionLog_2/tag.csv", kClimate);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path() / "MotionLog_2");
  EXPECT_EQ(run({"tag.csv"}), 1);
  std::filesystem::current_path(previous);
  EXPECT_EQ(err.str(),
            "tag.csv: Файл данных этого формата не поддерживается программой Vexa_Сhart\n");
}

// Reports whose time-stamped names would be the same never overwrite each
// other, nor a workbook already there.
TEST_F(BatchTest, SameTimeStampedNamesGetDistinctOnes) {
  const std::string csv = file("a.csv", kClimate);
  const std::string txt = file("a.txt", kClimate);
  const auto name = [&](const char* workbook) { return (dir.path() / workbook).string(); };
  EXPECT_EQ(run({"-j", "2", csv, txt}), 0);
  EXPECT_EQ(lines(out), (std::vector<std::string>{name("a-070121_153045.xlsx"),
                                                  name("a-070121_153045-2.xlsx")}));
  EXPECT_EQ(run({csv}), 0);
  EXPECT_EQ(lines(out), std::vector<std::string>{name("a-070121_153045-3.xlsx")});
}

// Files reported side by side print as if one after another: paths in the
// order of the arguments, each file's messages together, one file's failure
// the others' business not at all.
TEST_F(BatchTest, ParallelFilesKeepTheirOrderAndTheirMessages) {
  std::vector<std::string> arguments = {"--series", "temperature,humidity,battery"};
  for (int i = 0; i < 12; ++i) {
    const std::string name = "f" + std::to_string(i);
    if (i % 4 == 1) {
      arguments.push_back(file(name + ".csv", "Time,Value\n1,2\n"));  // unknown layout
    } else if (i % 4 == 2) {
      std::string big = "Date/Time,Temperature(C),Battery(Volts)\n";
      for (int line = 0; line < 33000 + i; ++line) {
        big += formatDateTime(44197.0 + line / 1440.0) + ",20.5,3.0\n";
      }
      arguments.push_back(file(name + ".csv", big));  // thinned, with its warning
    } else {
      arguments.push_back(file(name + ".csv", kClimate));
    }
  }
  std::vector<std::string> one = arguments;
  one.insert(one.begin(), {"-j", "1"});
  EXPECT_EQ(run(one), 1);
  const std::vector<std::string> outOne = lines(out);
  const std::vector<std::string> errOne = lines(err);
  for (const auto& path : outOne) {
    std::filesystem::remove(path);
  }
  std::vector<std::string> four = arguments;
  four.insert(four.begin(), "-j4");
  EXPECT_EQ(run(four), 1);
  EXPECT_EQ(lines(out), outOne);
  EXPECT_EQ(lines(err), errOne);
  ASSERT_EQ(outOne.size(), 9u);
  ASSERT_EQ(errOne.size(), 6u);
  EXPECT_NE(errOne[0].find("f1.csv: Не известный формат данных."), std::string::npos);
  EXPECT_NE(errOne[1].find("f2.csv: Внимание! Число измерений больше 32000."), std::string::npos);
}

// --limit SERIES=LOW:HIGH: either side may be empty, a decimal point or
// comma; what is no limit is said in Russian.
TEST(BatchLimits, ReadAsTypedOrRefusedInRussian) {
  struct Case {
    const char* text;
    const char* series;
    std::optional<double> low;
    std::optional<double> high;
    const char* error;  // empty: read
  };
  const Case cases[] = {
      {"temperature=-25:-15", "temperature", -25.0, -15.0, ""},
      {"temperature=-25,5:", "temperature", -25.5, std::nullopt, ""},
      {"humidity=:80.5", "humidity", std::nullopt, 80.5, ""},
      {"Подача= 60 : 90 ", "Подача", 60.0, 90.0, ""},
      {"temperature=\u221225:\u221215", "temperature", -25.0, -15.0, ""},
      {"temperature=-20:-20", "temperature", -20.0, -20.0, ""},
      {"temperature=abc:-15", "", std::nullopt, std::nullopt,
       "--limit: предел «abc» ряда «temperature» — не число"},
      {"temperature=-15:-25", "", std::nullopt, std::nullopt,
       "--limit: нижний предел -15 ряда «temperature» выше верхнего -25"},
      {"temperature=-25", "", std::nullopt, std::nullopt,
       "--limit: «temperature=-25» — ожидается РЯД=НИЖНИЙ:ВЕРХНИЙ, например temperature=-25:-15"},
      {"=1:2", "", std::nullopt, std::nullopt,
       "--limit: «=1:2» — ожидается РЯД=НИЖНИЙ:ВЕРХНИЙ, например temperature=-25:-15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      const auto [series, limits] = parseLimit(c.text);
      EXPECT_EQ(std::string(c.error), "");
      EXPECT_EQ(series, c.series);
      EXPECT_EQ(limits.low, c.low);
      EXPECT_EQ(limits.high, c.high);
    } catch (const UsageError& error) {
      EXPECT_EQ(std::string(error.what()), c.error);
    }
  }
}

// --alarm gives a limit its rule, --gap the threshold; both are checked as
// they are read.
TEST(BatchArguments, AlarmRulesAndTheGapThreshold) {
  struct Case {
    std::vector<std::string> arguments;
    const char* error;  // empty: accepted
  };
  const Case cases[] = {
      {{"--limit", "temperature=-25:-15", "--alarm", "temperature=high:30"}, ""},
      {{"--limit", "temperature=-25:-15", "--alarm", "temperature=low:1,5:cumulative"}, ""},
      {{"--alarm", "temperature=high:30"},
       "--alarm: у ряда «temperature» нет верхнего предела (--limit)"},
      {{"--limit", "temperature=-25:", "--alarm", "temperature=high:30"},
       "--alarm: у ряда «temperature» нет верхнего предела (--limit)"},
      {{"--limit", "temperature=-25:-15", "--alarm", "temperature=up:30"},
       "--alarm: «temperature=up:30» — ожидается РЯД=СТОРОНА:МИНУТЫ[:cumulative], например "
       "temperature=high:30"},
      {{"--limit", "temperature=-25:-15", "--alarm", "temperature=high:-5"},
       "--alarm: задержка «-5» ряда «temperature» — не число минут"},
      {{"--gap", "0"}, "--gap: «0» — не число минут больше нуля"},
      {{"--gap", "abc"}, "--gap: «abc» — не число минут больше нуля"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back("tag.csv");
    SCOPED_TRACE(arguments[1]);
    try {
      const Options options = parseArguments(arguments);
      EXPECT_EQ(std::string(c.error), "");
    } catch (const UsageError& error) {
      EXPECT_EQ(std::string(error.what()), c.error);
    }
  }
  const Options options = parseArguments({"--limit", "temperature=-25:-15", "--alarm",
                                          "temperature=low:60:cumulative", "--gap", "10", "t.csv"});
  EXPECT_EQ(options.limits.at("temperature").lowAlarm, (AlarmRule{60.0, AlarmKind::Cumulative}));
  EXPECT_EQ(options.limits.at("temperature").highAlarm, AlarmRule());
  EXPECT_EQ(options.gapMinutes, 10.0);
}

// --summary-only prints the summary and writes nothing; a limit of a series
// the export does not have ends that file's report with a message.
TEST_F(BatchTest, SummaryOnlyAndLimitsOfSeriesTheExportHasNot) {
  const std::string climate = file("tag.csv", kClimate);
  EXPECT_EQ(run({"--summary-only", "--limit", "temperature=:22", climate}), 0) << err.str();
  EXPECT_EQ(folder(), std::set<std::string>{"tag.csv"});
  const std::vector<std::string> printed = lines(out);
  ASSERT_GT(printed.size(), 3u);
  EXPECT_EQ(printed[0], "\tИтог\tТревога");
  EXPECT_EQ(printed[1], "\tВыгрузка\ttag.csv");
  EXPECT_NE(std::find(printed.begin(), printed.end(),
                      "Температура (ºС)\tВыше верхнего предела: выходов\t1"),
            printed.end());
  EXPECT_NE(std::find(printed.begin(), printed.end(), "Влажность (%)\tМаксимум\t42.1"),
            printed.end());

  EXPECT_EQ(run({"--limit", "light=:100", climate}), 1);
  EXPECT_EQ(err.str(), climate +
                           ": Предел задан для ряда «light», которого в этой выгрузке нет (её "
                           "ряды: temperature, humidity, battery).\n");
  EXPECT_EQ(run({"--limit", "battery=2.5:", climate}), 0);
  EXPECT_EQ(err.str(),
            climate + ": Предел ряда «battery» не учтён: этот ряд не выбран в --series.\n");
  EXPECT_EQ(run({"--summary-only", "--output", dir.file("x.xlsx"), climate}), 2);

  // Door states have no limits.
  const std::string doors = file("doors.csv", "Date,Time, Door\n2021-03-01,10:00:00,Opened\n");
  EXPECT_EQ(run({"--limit", "Door=1:2", doors}), 1);
  EXPECT_EQ(err.str(),
            doors + ": Пределы ряда «Door» не задаются: в нём состояния, а не измерения.\n");

  // A motion log has no time window to choose.
  const std::string events = file("events.csv", kEvents);
  EXPECT_EQ(run({"--from", "2021-01-01 00:00:00", events}), 1);
  EXPECT_EQ(err.str(), events +
                           ": У журнала событий движения нет интервала времени, --from и --to к "
                           "нему не применяются: без них отчёт будет построен по всему журналу.\n");
}

TEST_F(BatchTest, HelpAndVersion) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_EQ(out.str(), kUsage);
  EXPECT_EQ(run({"-h"}), 0);
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_EQ(out.str(), std::string("vexa-chart-report ") + VEXA_VERSION + "\n");
}

}  // namespace
}  // namespace vexa::cli
