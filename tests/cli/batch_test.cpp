#include "cli/batch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "input/datetime.h"
#include "support/temp_files.h"
#include "support/xlsx_reader.h"

namespace vexa::cli {
namespace {

const std::string kClimate =
    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\r\n"
    "2021-01-02T10:00:00+03:00,21.5,40.1,3.01\r\n"
    "2021-01-02T11:00:00+03:00,22.5,41.1,3.00\r\n"
    "2021-01-02T12:00:00+03:00,23.5,42.1,2.99\r\n";

class BatchTest : public ::testing::Test {
 protected:
  int run(const std::vector<std::string>& arguments) {
    out.str("");
    err.str("");
    Environment environment;
    environment.opener = [this](const std::string& path) { opened.push_back(path); };
    environment.clock = [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); };
    return runCommandLine(arguments, out, err, environment);
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
      {{}, "no export file given"},
      {{"--from", "02.01.2021 10:00:00", climate},
       "--from: '02.01.2021 10:00:00' is not a date and time of the form \"YYYY-MM-DD HH:MM:SS\""},
      {{"--to", "2021-01-02", climate}, "--to: '2021-01-02' is not a date and time"},
      {{"--series", "temperature,pressure", climate}, "--series: unknown series 'pressure'"},
      {{"--decimals", "9", climate}, "--decimals: '9' is not a whole number from 0 to 8"},
      {{"--output", "x", climate, climate}, "--output works with a single FILE only"},
      {{"--from"}, "--from needs a value"},
      {{"--colour", climate}, "unknown option --colour"},
      {{"--open=yes", climate}, "--open takes no value"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.arguments), 2) << c.message;
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("Try 'vexa-chart-report --help'."), std::string::npos);
    EXPECT_EQ(out.str(), "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "tag-070121_153045.xlsx"));
}

TEST_F(BatchTest, HelpAndVersion) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_EQ(out.str(), std::string("Usage: ") + kUsage);
  EXPECT_EQ(run({"-h"}), 0);
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_EQ(out.str(), std::string("vexa-chart-report ") + VEXA_VERSION + "\n");
}

}  // namespace
}  // namespace vexa::cli
