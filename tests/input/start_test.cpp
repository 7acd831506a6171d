#include "input/start.h"

#include <gtest/gtest.h>

#include "input/formats.h"
#include "input/messages.h"
#include "support/error_text.h"
#include "support/recording_report_builder.h"

namespace vexa {
namespace {

using testing::columnOf;
using testing::RecordingReportBuilder;
using testing::rowOf;
using Row = std::vector<std::string>;

struct RecordingObserver final : StartObserver {
  std::vector<std::string> events;
  int maximum = 0;
  int position = 0;
  void progressShown(int top) override {
    events.push_back("progress at " + std::to_string(top));
    maximum = 3;
    position = 1;
  }
  void progressMaximum(int value) override { maximum = value; }
  void progressPosition(int value) override { position = value; }
  void humidityCleared() override { events.push_back("humidity cleared"); }
};

CivilDateTime at(const char* text) {
  return decodeDateTime(parseDateTime(text));
}

class StartTest : public ::testing::Test {
 protected:
  void load(std::vector<std::string> lines, const char* ref = "all") {
    session.List = std::move(lines);
    session.count = recogniseHeader(session.List.front());
    if (session.count == kPairedNumeric && containsStateWord(session.List)) {
      session.count = kPairedState;
    }
    session.ref = ref;
  }
  void window(const char* from, const char* to) {
    choices.start = at(from);
    choices.end = at(to);
  }
  void ticks(bool temperature, bool humidity, bool battery, bool light) {
    choices.CheckBox2 = temperature;
    choices.CheckBox3 = humidity;
    choices.CheckBox4 = battery;
    choices.CheckBox5 = light;
  }
  void start() { runStart(session, choices, observer, builder); }
  std::string failure() {
    return testing::errorOf([this] { start(); });
  }
  const testing::ExcelCall& call() const { return builder.calls.at(0); }

  Session session;
  StartChoices choices;
  RecordingObserver observer;
  RecordingReportBuilder builder;
};

const std::vector<std::string> kClimateLines = {
    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)",
    "2020-12-01T10:00:00+03:00,21.5,40.1,3.01",
    "2020-12-01T11:00:00+03:00,\"22.5\",41,3.0",
    "2020-12-02T10:00:00+03:00,-3.25,42.5,2.95",
};

TEST_F(StartTest, ClimateRowsHeadingsAndDecimalCommas) {
  load(kClimateLines);
  window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
  ticks(true, true, true, false);
  start();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(call().count, kClimate);
  EXPECT_EQ(call().s, 4);
  EXPECT_EQ(session.countsttr, 4);
  EXPECT_EQ(rowOf(call().Arr, 1, 4),
            (Row{"Дата/Время", "Температура (ºС)", "Влажность (%)", "Напряжение (В)"}));
  EXPECT_EQ(rowOf(call().Arr, 2, 4), (Row{"2020-12-01 10:00:00", "21,5", "40,1", "3,01"}));
  EXPECT_EQ(rowOf(call().Arr, 3, 4), (Row{"2020-12-01 11:00:00", "22,5", "41", "3,0"}));
  EXPECT_EQ(rowOf(call().Arr, 4, 4), (Row{"2020-12-02 10:00:00", "-3,25", "42,5", "2,95"}));
  EXPECT_EQ(call().OsMin1, parseDateTime("2020-12-01 00:00:00"));
  EXPECT_EQ(call().OsMax1, parseDateTime("2020-12-31 00:00:00"));
  EXPECT_EQ(observer.events, std::vector<std::string>{"progress at 132"});
  EXPECT_EQ(observer.position, 2);
}

TEST_F(StartTest, HeadingsOfEveryLayoutAndTickCombination) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    const char* ref;
    bool b2, b3, b4, b5;
    Row heading;
    Row firstRow;
  };
  const std::vector<std::string> light = {
      "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
      "2020-12-01 10:00:00,21.5,40,120.5,3.01"};
  const std::vector<std::string> temperature = {"Date/Time,Temperature(C),Battery(Volts)",
                                                "2020-12-01 10:00:00,21.5,3.01"};
  const Case cases[] = {
      {"two-probe climate",
       kClimateLines,
       "#",
       true,
       true,
       true,
       false,
       {"Дата/Время", "Температура зонда (°C)", "Температура корпуса (°C)", "Напряжение (В)"},
       {"2020-12-01 10:00:00", "21,5", "40,1", "3,01"}},
      {"climate, humidity and battery",
       kClimateLines,
       "all",
       false,
       true,
       true,
       false,
       {"Дата/Время", "Влажность (%)", "Напряжение (В)"},
       {"2020-12-01 10:00:00", "40,1", "3,01"}},
      {"temperature layout in Russian like the others",
       temperature,
       "all",
       true,
       true,
       true,
       false,
       {"Дата/Время", "Температура (ºС)", "Напряжение (В)"},
       {"2020-12-01 10:00:00", "21,5", "3,01"}},
      {"two-probe temperature layout",
       temperature,
       "#",
       true,
       false,
       true,
       false,
       {"Дата/Время", "Температура зонда (°C)", "Напряжение (В)"},
       {"2020-12-01 10:00:00", "21,5", "3,01"}},
      {"light, all four: light before battery",
       light,
       "#",
       true,
       true,
       true,
       true,
       {"Дата/Время", "Температура (ºС)", "Влажность (%)", "Освещённость (Лк)", "Напряжение (В)"},
       {"2020-12-01 10:00:00", "21,5", "40", "120,5", "3,01"}},
      {"light only",
       light,
       "all",
       false,
       false,
       false,
       true,
       {"Дата/Время", "Освещённость (Лк)"},
       {"2020-12-01 10:00:00", "120,5"}},
      {"temperature and light",
       light,
       "all",
       true,
       false,
       false,
       true,
       {"Дата/Время", "Температура (ºС)", "Освещённость (Лк)"},
       {"2020-12-01 10:00:00", "21,5", "120,5"}},
      {"battery and light",
       light,
       "all",
       false,
       false,
       true,
       true,
       {"Дата/Время", "Освещённость (Лк)", "Напряжение (В)"},
       {"2020-12-01 10:00:00", "120,5", "3,01"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    builder.calls.clear();
    load(c.lines, c.ref);
    window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
    ticks(c.b2, c.b3, c.b4, c.b5);
    start();
    ASSERT_EQ(builder.calls.size(), 1u);
    const int s = static_cast<int>(c.heading.size());
    EXPECT_EQ(call().s, s);
    EXPECT_EQ(call().Arr.columns(), s);
    EXPECT_EQ(rowOf(call().Arr, 1, s), c.heading);
    EXPECT_EQ(rowOf(call().Arr, 2, s), c.firstRow);
  }
}

TEST_F(StartTest, TemperatureLayoutClearsTheHumidityBox) {
  load({"Date/Time,Temperature(C),Battery(Volts)", "2020-12-01 10:00:00,21.5,3.01"});
  window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
  ticks(true, true, true, false);
  start();
  EXPECT_FALSE(choices.CheckBox3);
  EXPECT_EQ(observer.events, (std::vector<std::string>{"progress at 132", "humidity cleared"}));
  EXPECT_EQ(call().s, 3);
  // Only humidity ticked: it is cleared and nothing is left but the time stamps.
  builder.calls.clear();
  ticks(false, true, false, false);
  start();
  EXPECT_EQ(call().s, 1);
  EXPECT_EQ(rowOf(call().Arr, 2, 1), Row{"2020-12-01 10:00:00"});
}

TEST_F(StartTest, IntervalEndsAreInclusive) {
  load(kClimateLines);
  window("2020-12-01 11:00:00", "2020-12-01 11:00:00");
  start();
  EXPECT_EQ(session.countsttr, 2);
  EXPECT_EQ(rowOf(call().Arr, 2, 3), (Row{"2020-12-01 11:00:00", "22,5", "41"}));
  EXPECT_TRUE(call().Arr.isEmpty(3, 1));
  EXPECT_EQ(call().Arr.rows(), 4);  // sized to the line count

  builder.calls.clear();
  window("2020-12-01 10:00:00", "2020-12-02 10:00:00");
  start();
  EXPECT_EQ(session.countsttr, 4);
}

TEST_F(StartTest, WindowWithoutDataLinesStillBuildsTheReport) {
  for (const auto& lines :
       {kClimateLines,
        std::vector<std::string>{
            "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
            "2020-12-01 10:00:00,21.5,40,120,3.01"}}) {
    builder.calls.clear();
    load(lines);
    window("2021-06-01 00:00:00", "2021-06-02 00:00:00");
    ticks(true, true, false, false);
    start();
    ASSERT_EQ(builder.calls.size(), 1u);
    EXPECT_EQ(session.countsttr, 1);
    EXPECT_EQ(call().OsMin1, parseDateTime("2021-06-01 00:00:00"));
  }
}

TEST_F(StartTest, ClimateLightBoundsComeFromTheFirstAndLastLines) {
  const std::vector<std::string> lines = {
      "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
      "2020-12-01T10:00:00+03:00,21.5,40,120,3.01",
      "2020-12-01T09:00:00+03:00,21.5,40,120,3.01",  // before line 2: left out
      "2020-12-01T12:00:00+03:00,21.5,40,120,3.01",
      "2020-12-01T13:00:00+03:00,21.5,40,120,3.01",
  };
  load(lines);
  window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
  start();
  EXPECT_EQ(formatDateTime(call().OsMin1), "2020-12-01 10:00:00");
  EXPECT_EQ(formatDateTime(call().OsMax1), "2020-12-01 13:00:00");
  EXPECT_EQ(session.countsttr, 4);
  EXPECT_EQ(columnOf(call().Arr, 1, 4), (Row{"Дата/Время", "2020-12-01 10:00:00",
                                             "2020-12-01 12:00:00", "2020-12-01 13:00:00"}));
  EXPECT_EQ(observer.events, std::vector<std::string>{"progress at 155"});

  // Neither end line in the window: the picker values stay.
  builder.calls.clear();
  window("2020-12-01 11:00:00", "2020-12-01 12:30:00");
  start();
  EXPECT_EQ(formatDateTime(call().OsMin1), "2020-12-01 11:00:00");
  EXPECT_EQ(formatDateTime(call().OsMax1), "2020-12-01 12:30:00");
}

TEST_F(StartTest, TimeStampsThatDoNotConvertStopStart) {
  struct Case {
    std::vector<std::string> lines;
    const char* error;
  };
  const Case cases[] = {
      {{"Date/Time,Temperature (C),Moisture (%),Battery (Volts)",
        "2020-12-01T10:00:00+02:00,21.5,40.1,3.01"},
       "'2020-12-01 10:00:00+02:00' is not a valid date and time"},
      // Outside the window still has to convert.
      {{"Date/Time,Temperature(C),Battery(Volts)", "2020-12-01 10:00:00,1,2",
        "2031-12-01 10:00:00+05:00,1,2"},
       "'2031-12-01 10:00:00+05:00' is not a valid date and time"},
      // The climate-and-light layout reads the stamp before deleting quotes.
      {{"Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
        "\"2020-12-01 10:00:00\",21.5,40,120,3.01"},
       "'\"2020-12-01 10:00:00\"' is not a valid date and time"},
      {{"Date,Time,Type,Duration(seconds), Angle(degrees)"}, "'Дата' is not a valid date and time"},
      {{"Date,Time, T1", "2020-12-01,10.00.00,5"},
       "'2020-12-01 10,00,00' is not a valid date and time"},
      {{"Date,Time, T1", "2020-12-01,10:00:00,5.5.1"},
       "'5,5,1' is not a valid floating point value"},
  };
  for (const Case& c : cases) {
    builder.calls.clear();
    load(c.lines);
    window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
    ticks(true, true, false, true);
    EXPECT_EQ(failure(), c.error);
    EXPECT_TRUE(builder.calls.empty());
  }
}

TEST_F(StartTest, QuotesAreDeletedFromClimateStamps) {
  load({"Date/Time,Temperature (C),Moisture (%),Battery (Volts)",
        "\"2020-12-01T10:00:00+03:00\",\"21.5\",40,3"});
  window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
  start();
  EXPECT_EQ(rowOf(call().Arr, 2, 3), (Row{"2020-12-01 10:00:00", "21,5", "40"}));
}

TEST_F(StartTest, MotionEventsTakeEveryLineAsText) {
  load({"Date,Time,Type,Duration(seconds), Angle(degrees)",
        "\"01/02/2021\",10:00:00,Armed,2.5,\"10\"", "01/03/2021,11:00:00,Moved,0.5,20.5",
        "01/05/2021,12:00:00,Disarmed,1,30"});
  window("2030-01-01 00:00:00", "2030-01-01 00:00:00");  // the pickers play no part
  start();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(call().s, 5);
  EXPECT_EQ(rowOf(call().Arr, 1, 5),
            (Row{"Дата", "Время", "Тип", "Продолжительность (секунд)", " Угол (градусов)"}));
  EXPECT_EQ(rowOf(call().Arr, 2, 5), (Row{"01/02/2021", "10:00:00", "Включён", "2.5", "\"10\""}));
  EXPECT_EQ(rowOf(call().Arr, 3, 5), (Row{"01/03/2021", "11:00:00", "Сдвиг", "0.5", "20.5"}));
  EXPECT_EQ(rowOf(call().Arr, 4, 5), (Row{"01/05/2021", "12:00:00", "Выключен", "1", "30"}));
  EXPECT_EQ(formatDateTime(call().OsMin1), "2021-01-02 00:00:00");
  EXPECT_EQ(formatDateTime(call().OsMax1), "2021-01-05 00:00:00");
  EXPECT_EQ(observer.events, std::vector<std::string>{"progress at 132"});
}

TEST_F(StartTest, RefusedIntervalAndNoSeries) {
  load(kClimateLines);
  window("2020-12-02 00:00:00", "2020-12-01 23:59:59");
  try {
    start();
    FAIL();
  } catch (const StopWithMessage& stop) {
    EXPECT_EQ(std::string(stop.what()), "Неверный интервал времени.");
    EXPECT_EQ(stop.caption(), "Внимание!");
  }
  EXPECT_TRUE(builder.calls.empty());

  // No series: the climate layout stops before showing progress, the
  // climate-and-light layout after.
  observer.events.clear();
  ticks(false, false, false, true);
  window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
  EXPECT_EQ(failure(), "Нет данных.");
  EXPECT_TRUE(observer.events.empty());
  load({"Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
        "2020-12-01 10:00:00,1,2,3,4"});
  ticks(false, false, false, false);
  EXPECT_EQ(failure(), "Нет данных.");
  EXPECT_EQ(observer.events, std::vector<std::string>{"progress at 155"});
  EXPECT_TRUE(builder.calls.empty());
}

const std::vector<std::string> kPairedLines = {
    "Date,Time, Sensor 1,Time, Sensor 2",
    "2021-03-01,10:00:00,21.5,09:00:00,7",
    "2021-03-01,,,09:30:00,8",
    "2021-03-02,11:00:00,-3.25,,",
    "2021-03-02,12:00:00,,10:15:00,9,,,",
};

TEST_F(StartTest, PairedColumnsAreStagedAndCompacted) {
  load(kPairedLines);
  window("2021-03-01 00:00:00", "2021-03-31 00:00:00");
  start();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(call().s, 0);
  EXPECT_EQ(session.datc, 2);
  EXPECT_EQ(session.countm, 2);
  EXPECT_EQ(session.coung, 4);
  EXPECT_EQ(session.countstt, 5);
  EXPECT_EQ(rowOf(session.Arr2, 1, 4), (Row{"Дата Время", " Sensor 1", "Дата Время", " Sensor 2"}));
  EXPECT_EQ(rowOf(session.Arr2, 3, 4), (Row{"", "", "2021-03-01 09:30:00", "8"}));
  const TextTable& Arr = call().Arr;
  EXPECT_EQ(columnOf(Arr, 1, 4), (Row{"Дата Время", "2021-03-01 10:00:00", "2021-03-02 11:00:00",
                                      "2021-03-02 12:00:00"}));
  // An empty value beside a time: the value column is one cell shorter.
  EXPECT_EQ(columnOf(Arr, 2, 4), (Row{" Sensor 1", "21,5", "-3,25", ""}));
  EXPECT_EQ(columnOf(Arr, 3, 4), (Row{"Дата Время", "2021-03-01 09:00:00", "2021-03-01 09:30:00",
                                      "2021-03-02 10:15:00"}));
  // Trailing commas after the last value change nothing.
  EXPECT_EQ(columnOf(Arr, 4, 4), (Row{" Sensor 2", "7", "8", "9"}));
  EXPECT_EQ(session.OsMin21, -3.25);
  EXPECT_EQ(session.OsMax21, 21.5);
  // One step per line and one per staging cell: the bar reaches its end.
  EXPECT_EQ(observer.maximum, 5 + 2 * 5 * 2);
  EXPECT_GE(observer.position, observer.maximum);
}

TEST_F(StartTest, PairedSeriesOutsideTheWindowDisappears) {
  load(kPairedLines);
  window("2021-03-01 09:00:00", "2021-03-01 09:45:00");  // only series 2 samples
  start();
  EXPECT_EQ(session.coung, 2);
  EXPECT_EQ(session.countstt, 4);  // three cells in the longest column
  EXPECT_EQ(columnOf(call().Arr, 1, 3),
            (Row{"Дата Время", "2021-03-01 09:00:00", "2021-03-01 09:30:00"}));
  EXPECT_EQ(columnOf(call().Arr, 2, 3), (Row{" Sensor 2", "7", "8"}));
  EXPECT_EQ(session.OsMin21, 7);
  EXPECT_EQ(session.OsMax21, 8);
}

TEST_F(StartTest, PairedWindowWithoutAnyPair) {
  load(kPairedLines);
  window("2022-01-01 00:00:00", "2022-01-02 00:00:00");
  start();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(session.coung, 0);
  EXPECT_EQ(session.countstt, 2);
  EXPECT_EQ(session.OsMin21, kValueMinStart);
  EXPECT_EQ(session.OsMax21, kValueMaxStart);
}

TEST_F(StartTest, PairedStatesAreNotReadAsNumbers) {
  load({"Date,Time, Door", "2021-03-01,10:00:00,Opened", "2021-03-01,10:05:00,Closed"});
  ASSERT_EQ(session.count, kPairedState);
  window("2021-03-01 00:00:00", "2021-03-31 00:00:00");
  start();
  EXPECT_EQ(call().count, kPairedState);
  EXPECT_EQ(columnOf(call().Arr, 2, 3), (Row{" Door", "Opened", "Closed"}));
  EXPECT_EQ(session.OsMin21, 1.029384756e15);
  EXPECT_EQ(session.OsMax21, -1.029384756e15);
  EXPECT_EQ(observer.maximum, 3 * 3);  // with one pair the maximum is 3·N
}

TEST_F(StartTest, RefusedIntervalLeavesThePreviousPairedInput) {
  load(kPairedLines);
  window("2021-03-01 00:00:00", "2021-03-31 00:00:00");
  start();
  const int coung = session.coung;
  window("2021-03-31 00:00:00", "2021-03-01 00:00:00");
  EXPECT_EQ(failure(), "Неверный интервал времени.");
  EXPECT_EQ(session.coung, coung);
  EXPECT_EQ(session.Arr.at(2, 2), "21,5");
  EXPECT_EQ(builder.calls.size(), 1u);
}

TEST_F(StartTest, EachRunBuildsANewArrayAndKeepsWhatItDoesNotSet) {
  load(kClimateLines);
  window("2020-12-01 00:00:00", "2020-12-31 00:00:00");
  start();
  ticks(false, true, false, false);
  start();
  ASSERT_EQ(builder.calls.size(), 2u);
  EXPECT_EQ(builder.calls[0].s, 3);
  EXPECT_EQ(builder.calls[1].s, 2);
  EXPECT_EQ(builder.calls[0].Arr.at(2, 2), "21,5");  // the first run's array is untouched
  EXPECT_EQ(builder.calls[1].Arr.at(2, 2), "40,1");
  EXPECT_EQ(session.countsttr, 4);

  // A paired-column run leaves countsttr as it was.
  load(kPairedLines);
  window("2021-03-01 00:00:00", "2021-03-31 00:00:00");
  start();
  EXPECT_EQ(session.countsttr, 4);
}

}  // namespace
}  // namespace vexa

namespace vexa {
namespace {

// The column compaction as a plain column-by-column walk over the staging
// array, to hold the report array against.
// Wide paired exports: memory follows the values, not the grid; what a sheet
// or a report cannot hold is refused with a message, before any counter could
// overflow.
TEST_F(StartTest, WidePairedExportsFollowTheirValuesOrAreRefused) {
  const auto header = [](int pairs) {
    std::string line = "Date,Time";
    for (int p = 1; p <= pairs; ++p) {
      line += ", S" + std::to_string(p) + (p < pairs ? ",Time" : "");
    }
    return line;
  };
  window("2021-01-01 00:00:00", "2021-12-31 00:00:00");

  // 2000 pairs over 32000 lines that hold nothing: a grid of 128 million
  // cells, of which only the headings are written.
  std::vector<std::string> lines = {header(2000)};
  lines.resize(32000);
  load(lines);
  start();
  EXPECT_EQ(session.Arr2.written(), 4000u);
  EXPECT_EQ(session.countm, 2000 * 31999);
  EXPECT_LE(observer.position, observer.maximum);

  // More columns than a sheet holds: 33555 pairs once overflowed the progress.
  load({header(33555), "2021-01-01,10:00:00,1"});
  EXPECT_EQ(failure(),
            "В файле 67110 столбцов, а лист вмещает не больше 16384. Отчёт по такому файлу не "
            "построить.");
  EXPECT_EQ(failure(), tooManyColumnsMessage(67110));

  // A table too big for a report: one long series beside 999 short ones.
  lines = {header(1000)};
  std::string everyPair = "2021-01-01";
  for (int p = 1; p <= 1000; ++p) {
    everyPair += ",10:00:00,1";
  }
  lines.push_back(everyPair);
  for (int i = 0; i < 4001; ++i) {
    lines.push_back("2021-01-02,10:00:00,2");
  }
  load(lines);
  EXPECT_EQ(failure(), tooMuchDataMessage(4004, 2000));
  EXPECT_NE(failure().find("не больше 4 000 000"), std::string::npos);
}

struct Compacted {
  std::vector<std::vector<std::string>> Arr;  // [row][column], 0-based
  int coung = 1;
  int countstt = 1;
};

Compacted compactByColumns(const TextTable& Arr2) {
  const int N = Arr2.rows();
  Compacted out;
  out.Arr.assign(static_cast<std::size_t>(N),
                 std::vector<std::string>(static_cast<std::size_t>(Arr2.columns())));
  for (int g = 1; g <= Arr2.columns(); ++g) {
    int k = 1;
    for (int i = 1; i <= N; ++i) {
      if (!Arr2.isEmpty(i, g)) {
        out.Arr[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(out.coung - 1)] =
            std::string(Arr2.at(i, g));
        ++k;
      }
    }
    if (k != 2) {
      ++out.coung;
    }
    out.countstt = std::max(out.countstt, k);
  }
  --out.coung;
  return out;
}

TEST(PairedCompaction, AgreesWithAColumnByColumnWalk) {
  std::uint32_t state = 7;
  const auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (int round = 0; round < 300; ++round) {
    const int datc = 1 + static_cast<int>(next() % 4);
    std::string header = "Date";
    for (int j = 1; j <= datc; ++j) {
      header += ",Time,";
      if (next() % 4 != 0) {
        header += " S" + std::to_string(j);  // some value headings are empty
      }
    }
    Session session;
    session.List.push_back(header);
    const int lines = static_cast<int>(next() % 12);
    for (int i = 0; i < lines; ++i) {
      std::string line = "2021-03-0" + std::to_string(1 + next() % 3);
      for (int j = 1; j <= datc; ++j) {
        const unsigned kind = next() % 5;
        const std::string time = "1" + std::to_string(next() % 10) + ":00:00";
        if (kind == 0) {
          line += ",,";  // no sample
        } else if (kind == 1) {
          line += "," + time + ",";  // a time without a value
        } else if (kind == 2) {
          line += ",," + std::to_string(next() % 50);  // a value without a time
        } else {
          line += "," + time + "," + std::to_string(next() % 50) + ".5";
        }
      }
      session.List.push_back(line);
    }
    session.count = kPairedNumeric;
    StartChoices choices;
    choices.start = at(next() % 2 ? "2021-03-01 00:00:00" : "2021-03-02 12:00:00");
    choices.end = at(next() % 2 ? "2021-03-03 23:59:59" : "2021-03-02 15:00:00");
    RecordingObserver observer;
    RecordingReportBuilder builder;
    runStart(session, choices, observer, builder);

    const Compacted expected = compactByColumns(session.Arr2);
    SCOPED_TRACE(::testing::PrintToString(session.List));
    ASSERT_EQ(session.coung, expected.coung);
    ASSERT_EQ(session.countstt, expected.countstt);
    for (int r = 1; r <= session.Arr.rows(); ++r) {
      for (int c = 1; c <= session.Arr.columns(); ++c) {
        ASSERT_EQ(session.Arr.at(r, c),
                  expected.Arr[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)])
            << "row " << r << ", column " << c;
      }
    }
  }
}

}  // namespace
}  // namespace vexa
