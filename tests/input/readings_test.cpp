// Every reading of an export, as Open collects it beside the lines it
// keeps: values read exactly as the table's cells read, the time stamps'
// order and usual interval, the memory budget, and a second pass over the
// snapshot that gives the same readings.
#include "input/readings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "input/numbers.h"
#include "support/temp_files.h"

namespace vexa {
namespace {

constexpr const char* kClimateHeader = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)";

// The same number (a negative zero is held as the zero it equals), or both none.
bool sameDouble(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || a == b;
}

// Whatever form a value takes, the column holds the very double the
// general reader makes of it, or none; a column that meets a value with
// more places, or one that does not fit, keeps the earlier ones exact.
TEST(Readings, ValuesReadAsTheTableReadsThem) {
  const char* const texts[] = {"20.95",
                               "-20.95",
                               "3.050",
                               "0",
                               "-0",
                               ".5",
                               "-.5",
                               "12.",
                               "1013.25",
                               "12345678",
                               "123456789",
                               "1.23456789",
                               "-0.000001",
                               "2147483647",
                               "9999999.99",
                               "1e3",
                               "\"21.5\"",
                               " 21.5 ",
                               "-",
                               "",
                               "abc",
                               "1.2.3",
                               "--1",
                               "4.9E-324",
                               "123456789012345",
                               "1234567890123456"};
  // Each value in the temperature column (the humidity keeps a usual one,
  // the battery the value too: the last field of a line).
  std::vector<std::string> lines = {kClimateHeader};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    lines.push_back("2021-01-01 00:" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ":00," +
                    texts[i] + ",40.5," + texts[i]);
  }
  const ExportReadings readings = readingsOfLines(lines);
  ASSERT_EQ(readings.columns.size(), 3u);
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    SCOPED_TRACE(texts[i]);
    double expected = std::nan("");
    if (!tryParseReadingValue(texts[i], expected)) {
      expected = std::nan("");
    }
    EXPECT_TRUE(sameDouble(readings.columns[0].value(i), expected))
        << readings.columns[0].value(i) << " vs " << expected;
    EXPECT_TRUE(sameDouble(readings.columns[2].value(i), expected));
    EXPECT_EQ(readings.columns[1].value(i), 40.5);
  }
  // The usual humidity stays a column of whole numbers; the others did not.
  EXPECT_FALSE(readings.columns[1].inDoubles);
  EXPECT_TRUE(readings.columns[0].inDoubles);
}

TEST(Readings, TimeStampsTheirOrderAndUsualInterval) {
  struct Case {
    const char* name;
    std::vector<std::string> stamps;
    bool ordered;
    Seconds median;
    std::size_t unreadable;
  };
  const Case cases[] = {
      {"every minute, the export's own form",
       {"2021-01-01T00:00:00+03:00", "2021-01-01T00:01:00+03:00", "2021-01-01T00:02:00+03:00"},
       true,
       60,
       0},
      {"a repeated stamp is no interval",
       {"2021-01-01 00:00:00", "2021-01-01 00:00:00", "2021-01-01 00:05:00", "2021-01-01 00:06:00"},
       true,
       60,
       0},
      {"out of order: the intervals of the stamps in order",
       {"2021-01-01 00:10:00", "2021-01-01 00:00:00", "2021-01-01 00:05:00"},
       false,
       300,
       0},
      {"across midnight and a new year",
       {"2020-12-31 23:59:00", "2021-01-01 00:00:00", "2021-01-01 00:01:00"},
       true,
       60,
       0},
      {"a stamp that does not read is no reading",
       {"2021-01-01 00:00:00", "01/01/2021 00:01", "2021-01-01 00:02:00"},
       true,
       120,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = {kClimateHeader};
    for (const std::string& stamp : c.stamps) {
      lines.push_back(stamp + ",1,2,3");
    }
    const ExportReadings readings = readingsOfLines(lines);
    EXPECT_EQ(readings.times[0].ordered, c.ordered);
    EXPECT_EQ(readings.times[0].medianInterval, c.median);
    EXPECT_EQ(readings.unreadableLines, c.unreadable);
    EXPECT_EQ(readings.times[0].count, c.stamps.size() - c.unreadable);
  }
}

// Beyond the budget the columns are given back, but the time stamps'
// order and interval are still known; a second pass over the snapshot gives
// the readings a block at a time, the same as those held.
TEST(Readings, BeyondTheBudgetReadAgainFromTheSnapshot) {
  testing::TempDir dir;
  std::string text = std::string(kClimateHeader) + "\r\n";
  for (int minute = 0; minute < 3000; ++minute) {
    text += "2021-01-0" + std::to_string(1 + minute / 1440) + " " +
            (minute % 1440 / 60 < 10 ? "0" : "") + std::to_string(minute % 1440 / 60) + ":" +
            (minute % 60 < 10 ? "0" : "") + std::to_string(minute % 60) + ":00," +
            std::to_string(minute % 7 - 3) + ".25,40," + (minute == 10 ? "x" : "3.01") + "\r\n";
  }
  const std::string path = dir.write("export.csv", text);

  ReadingCollector held;
  const LoadedLines loaded = loadExportLines(path, kMaxLines, {}, &held);
  const ExportReadings all = held.finish();
  ASSERT_TRUE(all.held);
  ReadingCollector small(1000);  // bytes
  loadExportLines(path, kMaxLines, {}, &small);
  const ExportReadings profile = small.finish();
  EXPECT_FALSE(profile.held);
  EXPECT_TRUE(profile.columns[0].scaled.empty());
  EXPECT_EQ(profile.times[0].count, 3000u);
  EXPECT_EQ(profile.times[0].medianInterval, 60);
  EXPECT_EQ(profile.firstLineTime, all.firstLineTime);
  EXPECT_EQ(profile.lastLineTime, all.lastLineTime);

  std::size_t seen = 0;
  forEachReadingBlock(profile, loaded.snapshot, [&](const ExportReadings& block) {
    for (std::size_t i = 0; i < block.times[0].seconds.size(); ++i, ++seen) {
      ASSERT_EQ(block.times[0].seconds[i], all.times[0].seconds[seen]);
      for (std::size_t c = 0; c < 3; ++c) {
        ASSERT_TRUE(sameDouble(block.columns[c].value(i), all.columns[c].value(seen)));
      }
    }
  });
  EXPECT_EQ(seen, 3000u);
  EXPECT_TRUE(std::isnan(all.columns[2].value(10)));

  // A file that changed since Open is not read as its snapshot.
  dir.write("export.csv", text + "2021-01-03 02:00:00,1,2,3\r\n");
  EXPECT_THROW(forEachReadingBlock(profile, loaded.snapshot, [](const ExportReadings&) {}),
               FileReadError);
}

}  // namespace
}  // namespace vexa
