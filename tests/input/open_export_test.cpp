#include "input/open_export.h"

#include <gtest/gtest.h>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/loading.h"
#include "input/messages.h"
#include "support/error_text.h"
#include "support/temp_files.h"

namespace vexa {
namespace {

using testing::errorOf;

struct RecordingObserver final : OpenObserver {
  std::vector<std::string> events;
  void thinningWarning(const std::string& text) override { events.push_back(text); }
  void layoutRecognised(const ExportLayout& layout) override {
    events.push_back("layout " + std::to_string(layout.count) + (layout.twoProbe ? " #" : "") +
                     (layout.lightOption ? " light" : ""));
  }
};

class OpenExportTest : public ::testing::Test {
 protected:
  ExportLayout open(const std::string& name, const std::string& text) {
    return openExport(dir.write(name, text), session, observer);
  }
  testing::TempDir dir;
  Session session;
  RecordingObserver observer;
};

constexpr const char* kClimateText =
    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\r\n"
    "2021-01-02T10:20:30+03:00,21.5,40.1,3.01\r\n"
    "2021-01-01T08:00:00+03:00,21.0,40.0,3.00\r\n"  // out of order
    "2021-01-03T09:00:00+03:00,21.0,40.0,3.00\r\n"
    "2021-01-02T00:00:00+03:00,22.0,41.0,3.02\r\n";

TEST_F(OpenExportTest, ClimateSpanIsFirstAndLastLineByPosition) {
  const ExportLayout layout = open("tag.csv", kClimateText);
  EXPECT_EQ(layout.count, kClimate);
  EXPECT_FALSE(layout.twoProbe);
  EXPECT_EQ(session.count, kClimate);
  EXPECT_EQ(session.ref, "all");
  EXPECT_EQ(formatDateTime(session.OsMin1), "2021-01-02 10:20:30");
  EXPECT_EQ(formatDateTime(session.OsMax1), "2021-01-02 00:00:00");
  EXPECT_EQ(session.List.size(), 5u);
  EXPECT_EQ(observer.events, std::vector<std::string>{"layout 3"});
}

TEST_F(OpenExportTest, TwoProbeMarkerOnlyForClimateAndTemperature) {
  struct Case {
    const char* name;
    const char* header;
    const char* line;
    bool twoProbe;
  };
  const Case cases[] = {
      {"probe#1.csv", "Date/Time,Temperature (C),Moisture (%),Battery (Volts)",
       "2021-01-02 10:00:00,1,2,3", true},
      {"probe#1.csv", "Date/Time,Temperature(C),Battery(Volts)", "2021-01-02 10:00:00,1,3", true},
      {"probe#1.csv", "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
       "2021-01-02 10:00:00,1,2,5,3", false},
      {"probe.csv", "Date/Time,Temperature(C),Battery(Volts)", "2021-01-02 10:00:00,1,3", false},
  };
  for (const Case& c : cases) {
    session.ref = "all";
    const ExportLayout layout = open(c.name, std::string(c.header) + "\n" + c.line + "\n");
    EXPECT_EQ(layout.twoProbe, c.twoProbe) << c.header;
    EXPECT_EQ(session.ref, c.twoProbe ? "#" : "all") << c.header;
  }
}

TEST_F(OpenExportTest, PairedSpanIsEarliestAndLatestOfAllSeries) {
  const ExportLayout layout = open("sensors_light.csv",
                                   "Date,Time, Lux A,Time, Lux B\n"
                                   "2021-03-01,10:00:00,5.5,09:00:00,7\n"
                                   "2021-03-01,,,08:30:00,8\n"
                                   "2021-03-02,11:00:00,6,,\n"
                                   "2021-03-02,,,10:15:00,9,,,\n");
  EXPECT_EQ(layout.count, kPairedNumeric);
  EXPECT_TRUE(layout.lightOption);
  EXPECT_EQ(session.datc, 2);
  EXPECT_EQ(formatDateTime(session.OsMin1), "2021-03-01 08:30:00");
  EXPECT_EQ(formatDateTime(session.OsMax1), "2021-03-02 11:00:00");
}

TEST_F(OpenExportTest, StateWordMakesThePairedStateLayout) {
  EXPECT_EQ(open("doors.csv",
                 "Date,Time, Door,Time, Window\n2021-03-01,10:00:00,Closed,,\n"
                 "2021-03-01,10:05:00,Opened,,\n")
                .count,
            kPairedState);
  EXPECT_EQ(session.count, kPairedState);
  // A state word in a heading is enough.
  EXPECT_EQ(open("zones.csv", "Date,Time, Armed zone\n2021-03-01,10:00:00,1\n").count,
            kPairedState);
  EXPECT_EQ(open("light.csv", "Date,Time, Lux\n2021-03-01,10:00:00,1\n").count, kPairedNumeric);
}

TEST_F(OpenExportTest, HeaderOnlyPairedFileKeepsThePreviousSpan) {
  session.OsMin1 = 1.5;
  session.OsMax1 = 2.5;
  session.datc = 7;
  open("empty.csv", "Date,Time, T1,Time, T2,Time, T3\n");
  EXPECT_EQ(session.count, kPairedNumeric);
  EXPECT_EQ(session.datc, 3);
  EXPECT_EQ(session.OsMin1, 1.5);
  EXPECT_EQ(session.OsMax1, 2.5);
}

TEST_F(OpenExportTest, MotionEventsAreNotScanned) {
  session.OsMin1 = 3.0;
  session.datc = 4;
  const ExportLayout layout =
      open("events.csv", "Date,Time,Type,Duration(seconds), Angle(degrees)\n");
  EXPECT_EQ(layout.count, kMotionEvents);
  EXPECT_EQ(session.OsMin1, 3.0);
  EXPECT_EQ(session.datc, 4);  // kept for layouts without pairs
}

TEST_F(OpenExportTest, FailuresEndOpenWithTheirOwnTexts) {
  struct Case {
    const char* name;
    std::string text;
    std::string error;  // "$" stands for the file's path
  };
  const std::string climate = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n";
  const Case cases[] = {
      {"unknown.csv", "Time,Value\n1,2\n", "Не известный формат данных."},
      {"climate.csv", climate,
       "Не удалось прочитать файл \"$\": в файле нет строк данных, только строка заголовка."},
      {"temp.csv", "Date/Time,Temperature(C),Battery(Volts)\r\n",
       "Не удалось прочитать файл \"$\": в файле нет строк данных, только строка заголовка."},
      {"light.csv", "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
       "Не удалось прочитать файл \"$\": в файле нет строк данных, только строка заголовка."},
      {"blank-last.csv", climate + "2021-01-01 10:00:00,1,2,3\n\n",
       "'' is not a valid date and time"},
      {"quoted.csv", climate + "\"2021-01-01 10:00:00\",1,2,3\n",
       "'\"2021-01-01 10:00:00\"' is not a valid date and time"},
      {"offset.csv", climate + "2021-01-01T10:00:00+05:00,1,2,3\n",
       "'2021-01-01 10:00:00+05:00' is not a valid date and time"},
      {"paired.csv", "Date,Time, T\n01.03.2021,10:00:00,1\n",
       "'01.03.2021 10:00:00' is not a valid date and time"},
      {"garbage.csv", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
       "Не известный формат данных."},
  };
  for (const Case& c : cases) {
    const std::string path = dir.write(c.name, c.text);
    std::string expected = c.error;
    if (const auto at = expected.find('$'); at != std::string::npos) {
      expected.replace(at, 1, path);
    }
    EXPECT_EQ(errorOf([&] { openExport(path, session, observer); }), expected) << c.name;
  }
}

TEST_F(OpenExportTest, ThinningWarningComesBeforeTheFormatCheck) {
  std::string text = "Unknown header\n";
  for (int i = 1; i < 32001; ++i) {
    text += "x\n";
  }
  EXPECT_THROW(open("big.csv", text), StopWithMessage);
  ASSERT_EQ(observer.events.size(), 1u);
  EXPECT_EQ(observer.events[0],
            "Внимание! Число измерений больше 32000. Данные будут сжаты. Коэффициент сжатия - 2");
  EXPECT_EQ(session.count, kUnknownFormat);
  EXPECT_EQ(session.List.size(), 16001u);
  EXPECT_EQ(session.thinning, 2);
}

// A thinned export keeps every k-th line for the table, but its span is
// that of the file's first data line and last line, not of the lines kept:
// the window Open proposes holds every reading.
TEST_F(OpenExportTest, ThinnedClimateFileSpansTheWholeExport) {
  std::string text = "Date/Time,Temperature(C),Battery(Volts)\n";
  // 64001 lines in all, one minute apart: factor 3 keeps indices 0, 3, ..., 63999.
  const auto stampOf = [](int i) { return formatDateTime(44197.0 + i / 1440.0); };
  for (int i = 1; i < 64001; ++i) {
    text += stampOf(i) + ",20.5,3.0\n";
  }
  open("long.csv", text);
  EXPECT_EQ(session.List.size(), 21334u);
  EXPECT_EQ(session.thinning, 3);  // for the summary to say so
  EXPECT_EQ(formatDateTime(session.OsMin1), stampOf(1));
  EXPECT_EQ(formatDateTime(session.OsMax1), stampOf(64000));
  EXPECT_EQ(session.readings->times[0].count, 64000u);
  EXPECT_EQ(session.readings->times[0].medianInterval, 60);
}

}  // namespace
}  // namespace vexa
