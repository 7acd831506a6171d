#include "input/join.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "support/temp_files.h"

namespace vexa {
namespace {

const std::string kHeader = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)";

// A climate line of hour `hour` of 2021-01-02 with temperature `t`.
std::string climateLine(int hour, const std::string& t) {
  return "2021-01-02T" + std::string(hour < 10 ? "0" : "") + std::to_string(hour) +
         ":00:00+03:00," + t + ",40.0,3.01";
}

std::string exportOf(int from, int to, const std::string& t = "20.0") {
  std::string text = kHeader + "\r\n";
  for (int hour = from; hour <= to; ++hour) {
    text += climateLine(hour, t) + "\r\n";
  }
  return text;
}

std::string contentOf(const std::string& path) {
  std::ifstream in(platform::pathOf(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Join, DownloadsMergeInTimeOrderAndTheLaterFileWins) {
  struct Case {
    const char* what;
    std::vector<std::string> exports;
    std::vector<std::string> expected;  // the joined export's data lines
    long long repeated;
    long long differing;
  };
  const std::vector<Case> cases{
      {"abutting",
       {exportOf(0, 2), exportOf(3, 4)},
       {climateLine(0, "20.0"), climateLine(1, "20.0"), climateLine(2, "20.0"),
        climateLine(3, "20.0"), climateLine(4, "20.0")},
       0,
       0},
      {"overlapping, the same values",
       {exportOf(0, 3), exportOf(2, 4)},
       {climateLine(0, "20.0"), climateLine(1, "20.0"), climateLine(2, "20.0"),
        climateLine(3, "20.0"), climateLine(4, "20.0")},
       2,
       0},
      {"overlapping, one stamp differs: the file named later wins",
       {exportOf(0, 2), kHeader + "\n" + climateLine(2, "-8.5") + "\n" + climateLine(3, "20.0")},
       {climateLine(0, "20.0"), climateLine(1, "20.0"), climateLine(2, "-8.5"),
        climateLine(3, "20.0")},
       1,
       1},
      {"given late first, out of order within a file",
       {kHeader + "\n" + climateLine(5, "1") + "\n" + climateLine(4, "1"), exportOf(0, 1)},
       {climateLine(0, "20.0"), climateLine(1, "20.0"), climateLine(4, "1"), climateLine(5, "1")},
       0,
       0},
      {"a line whose time does not read stays after its neighbour",
       {kHeader + "\n" + climateLine(1, "1") + "\nbroken,1,2,3\n" + climateLine(3, "1"),
        exportOf(2, 2)},
       {climateLine(1, "1"), "broken,1,2,3", climateLine(2, "20.0"), climateLine(3, "1")},
       0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempDir dir;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < c.exports.size(); ++i) {
      files.push_back(dir.write("tag" + std::to_string(i) + ".csv", c.exports[i]));
    }
    TemporaryFolder folder;
    const JoinedExport joined = joinExports(files, folder.path(), "tag-объединение.csv");
    std::string expected = kHeader + "\n";
    for (const std::string& line : c.expected) {
      expected += line + "\n";
    }
    EXPECT_EQ(contentOf(joined.path), expected);
    EXPECT_EQ(joined.repeatedStamps, c.repeated);
    EXPECT_EQ(joined.differingStamps, c.differing);
    EXPECT_EQ(joined.joined, files);
    EXPECT_TRUE(joined.leftOut.empty());
  }
}

TEST(Join, AnotherLayoutIsRefusedByNameAndUnreadableFilesAreLeftOut) {
  testing::TempDir dir;
  const std::string climate = dir.write("freezer.csv", exportOf(0, 1));
  const std::string temperature = dir.write(
      "другой.csv", "Date/Time,Temperature(C),Battery(Volts)\n2021-01-02T05:00:00+03:00,1,3\n");
  TemporaryFolder folder;
  try {
    joinExports({climate, temperature}, folder.path(), "x.csv");
    ADD_FAILURE() << "a join of two layouts was made";
  } catch (const JoinRefused& refused) {
    EXPECT_NE(std::string(refused.what()).find("«другой.csv»"), std::string::npos)
        << refused.what();
  }

  // Fifty downloads, one of them missing and one with no export's header.
  std::vector<std::string> files;
  for (int i = 0; i < 50; ++i) {
    files.push_back(dir.write("d" + std::to_string(i) + ".csv", exportOf(i % 24, i % 24)));
  }
  files[17] = platform::textOf(dir.path() / platform::pathOf("нет такого.csv"));
  files[30] = dir.write("junk.csv", "no header here\n1,2,3\n");
  const JoinedExport joined = joinExports(files, folder.path(), "d-объединение.csv");
  ASSERT_EQ(joined.leftOut.size(), 2u);
  EXPECT_EQ(joined.leftOut[0].rfind(files[17] + ": ", 0), 0u) << joined.leftOut[0];
  EXPECT_EQ(joined.leftOut[1].rfind(files[30] + ": ", 0), 0u) << joined.leftOut[1];
  EXPECT_EQ(joined.joined.size(), 48u);
  // Every hour of the day stands in one download or more, once.
  std::string expected = kHeader + "\n";
  for (int hour = 0; hour < 24; ++hour) {
    expected += climateLine(hour, "20.0") + "\n";
  }
  EXPECT_EQ(contentOf(joined.path), expected);
}

}  // namespace
}  // namespace vexa
