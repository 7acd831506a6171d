#include "input/formats.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexa {
namespace {

TEST(RecogniseHeader, ExactHeaderTexts) {
  struct Case {
    const char* header;
    int expected;
  };
  const Case cases[] = {
      {"Date/Time,Temperature (C),Moisture (%),Battery (Volts)", kClimate},
      {"Date,Time,Type,Duration(seconds), Angle(degrees)", kMotionEvents},
      {"Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)", kClimateLight},
      {"Date/Time,Temperature(C),Battery(Volts)", kTemperature},
      {"Date,Time, Sensor 1,Time, Sensor 2", kPairedNumeric},
      {"Date,Time, ", kPairedNumeric},
      // A trailing blank or another capitalisation matches nothing.
      {"Date/Time,Temperature (C),Moisture (%),Battery (Volts) ", kUnknownFormat},
      {"date/time,temperature (c),moisture (%),battery (volts)", kUnknownFormat},
      {"Date/Time,Temperature (C),Moisture (%),Brightness (lux),Battery(Volts)", kUnknownFormat},
      {"Date/Time,Temperature (C),Battery(Volts)", kUnknownFormat},
      // The motion header has no blank after its second comma.
      {"Date,Time,Sensor 1", kUnknownFormat},
      {"Date,Time,  Sensor", kPairedNumeric},
      {"\"Date/Time\",Temperature (C),Moisture (%),Battery (Volts)", kUnknownFormat},
      {"", kUnknownFormat},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(recogniseHeader(c.header), c.expected) << c.header;
  }
}

TEST(StateWords, FoundInHeaderOrDataLines) {
  const std::vector<std::string> numeric = {"Date,Time, T1,Time, T2",
                                            "2021-01-01,10:00:00,21.5,10:00:00,22"};
  EXPECT_FALSE(containsStateWord(numeric));
  for (const char* word : {"Closed", "Opened", "Disarmed", "Armed", "Moved"}) {
    std::vector<std::string> lines = numeric;
    lines.push_back(std::string("2021-01-01,10:00:00,") + word + ",,");
    EXPECT_TRUE(containsStateWord(lines)) << word;
  }
  EXPECT_TRUE(containsStateWord({"Date,Time, Armed zone", "2021-01-01,10:00:00,1"}));
  EXPECT_FALSE(containsStateWord({"Date,Time, T1", "2021-01-01,10:00:00,opened"}));
}

TEST(Stem, FileNameWithoutExtension) {
  EXPECT_EQ(stemOf("/data/tag.csv"), "tag");
  EXPECT_EQ(stemOf("/data/tag.2021.csv"), "tag.2021");
  EXPECT_EQ(stemOf("/data.old/tag"), "tag");
  EXPECT_EQ(stemOf("tag#2.csv"), "tag#2");
  EXPECT_EQ(stemOf("/data/.csv"), "");
  EXPECT_EQ(stemOf(""), "");
}

TEST(FileNameMarkers, CaseSensitiveSubstrings) {
  EXPECT_TRUE(isRefusedName("/home/u/MotionLog_12.csv"));
  EXPECT_TRUE(isRefusedName("/home/u/motion_Logs/tag.csv"));  // in a folder name too
  EXPECT_TRUE(isRefusedName("/home/MotionLog_x/climate.csv"));
  EXPECT_FALSE(isRefusedName("/home/u/motionlog_12.csv"));
  EXPECT_FALSE(isRefusedName("/home/u/Motion_Logs.csv"));
  EXPECT_TRUE(hasTwoProbeMarker("tag#1"));
  EXPECT_FALSE(hasTwoProbeMarker("tag1"));
  EXPECT_TRUE(hasLightMarker("tag_light"));
  EXPECT_FALSE(hasLightMarker("tag_Light"));
}

TEST(TimeStampNormalisation, LetterTAndTheMoscowOffset) {
  EXPECT_EQ(normaliseTimeStamp("2021-01-02T10:20:30+03:00,21.5,40"), "2021-01-02 10:20:30");
  EXPECT_EQ(normaliseTimeStamp("2021-01-02T10:20:30+05:00,21.5"), "2021-01-02 10:20:30+05:00");
  EXPECT_EQ(normaliseTimeStamp("2021-01-02 10:20:30,1"), "2021-01-02 10:20:30");
  // The heading's T survives because "Date/Time" is translated first.
  EXPECT_EQ(normaliseTimeStamp(std::string(kClimateHeader)), "Дата/Время");
  EXPECT_EQ(normaliseTimeStamp("2021-01-02 10:20:30"), "");  // no comma: empty field
}

struct Walked {
  std::string date;
  std::vector<std::pair<std::string, std::string>> pairs;
};

Walked walk(std::string_view line, int pairs) {
  Walked result;
  result.date = walkPairedLine(line, pairs, [&](int, const PairFields& pair) {
    result.pairs.emplace_back(std::string(pair.time), pairValue(pair));
  });
  return result;
}

TEST(PairedLineWalk, PairsAndEmptyPairs) {
  Walked w = walk("2021-01-01,10:00:00,21.5,10:00:05,22.5", 2);
  EXPECT_EQ(w.date, "2021-01-01");
  ASSERT_EQ(w.pairs.size(), 2u);
  EXPECT_EQ(w.pairs[0], std::make_pair(std::string("10:00:00"), std::string("21.5")));
  EXPECT_EQ(w.pairs[1], std::make_pair(std::string("10:00:05"), std::string("22.5")));

  // One time and one value followed by three empty fields: the second pair is empty.
  w = walk("2021-01-01,10:00:00,21.5,,,", 2);
  EXPECT_EQ(w.pairs[0], std::make_pair(std::string("10:00:00"), std::string("21.5")));
  EXPECT_EQ(w.pairs[1], std::make_pair(std::string(""), std::string("")));

  // Trailing commas after the last value do no harm.
  w = walk("2021-01-01,,,10:00:05,22.5,,,", 2);
  EXPECT_EQ(w.pairs[0].first, "");
  EXPECT_EQ(w.pairs[1], std::make_pair(std::string("10:00:05"), std::string("22.5")));

  // A time that is the very last field of a line reads as empty.
  w = walk("2021-01-01,10:00:00", 1);
  EXPECT_EQ(w.pairs[0].first, "");
  EXPECT_EQ(w.pairs[0].second, "10:00:00");

  // The header line walks like a data line.
  w = walk("Date,Time, T1,Time, T2", 2);
  EXPECT_EQ(w.date, "Date");
  EXPECT_EQ(w.pairs[0], std::make_pair(std::string("Time"), std::string(" T1")));
  EXPECT_EQ(w.pairs[1], std::make_pair(std::string("Time"), std::string(" T2")));
}

}  // namespace
}  // namespace vexa
