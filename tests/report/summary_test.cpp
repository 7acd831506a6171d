// The summary of each layout's report, from the report input Start builds.
#include "report/summary.h"

#include "report/summary_sheet.h"

#include <gtest/gtest.h>

#include "input/datetime.h"
#include "input/formats.h"
#include "support/recording_report_builder.h"

namespace vexa {
namespace {

struct QuietObserver final : StartObserver {
  void progressShown(int) override {}
  void progressMaximum(int) override {}
  void progressPosition(int) override {}
  void humidityCleared() override {}
};

class SummaryTest : public ::testing::Test {
 protected:
  // Start over `lines` (the file `name`) with the boxes "2345" ticked as
  // given and the whole span as the window, then the summary.
  ReportSummary summaryOf(std::vector<std::string> lines, const std::string& name,
                          const std::string& ticks, std::map<std::string, Limits> limits = {},
                          const char* from = nullptr, const char* to = nullptr) {
    session = Session();
    session.List = std::move(lines);
    session.count = recogniseHeader(session.List.front());
    if (session.count == kPairedNumeric && containsStateWord(session.List)) {
      session.count = kPairedState;
    }
    if (name.find('#') != std::string::npos && session.count != kClimateLight) {
      session.ref = "#";
    }
    if (session.count == kPairedNumeric || session.count == kPairedState) {
      session.datc = CountPos("Time", session.List.front());
    }
    controls.OpenDialog1FileName = "/data/" + name;
    controls.Edit1 = controls.OpenDialog1FileName;
    controls.CheckBox2 = ticks.find('2') != std::string::npos;
    controls.CheckBox3 = ticks.find('3') != std::string::npos;
    controls.CheckBox4 = ticks.find('4') != std::string::npos;
    controls.CheckBox5 = ticks.find('5') != std::string::npos;
    StartChoices choices;
    choices.CheckBox2 = controls.CheckBox2;
    choices.CheckBox3 = controls.CheckBox3;
    choices.CheckBox4 = controls.CheckBox4;
    choices.CheckBox5 = controls.CheckBox5;
    choices.start = decodeDateTime(parseDateTime(from ? from : "2021-01-01 00:00:00"));
    choices.end = decodeDateTime(parseDateTime(to ? to : "2021-01-01 12:00:00"));
    builder.calls.clear();
    runStart(session, choices, observer, builder);
    const testing::ExcelCall& call = builder.calls.at(0);
    return summarize(call.count, call.Arr, session, controls, call.OsMin1, call.OsMax1, limits);
  }
  // The figure of series `s`, or none.
  static std::optional<double> figure(const ReportSummary& summary, const std::string& name,
                                      std::size_t s) {
    for (const SummaryRow& row : summary.rows) {
      if (row.figure == name) {
        return row.values.at(s);
      }
    }
    ADD_FAILURE() << "no row " << name;
    return std::nullopt;
  }
  static bool hasRow(const ReportSummary& summary, const std::string& name) {
    return std::any_of(summary.rows.begin(), summary.rows.end(),
                       [&](const SummaryRow& row) { return row.figure == name; });
  }

  Session session;
  ReportControls controls;
  QuietObserver observer;
  testing::RecordingReportBuilder builder;
};

const std::vector<std::string> kFreezer = {"Date/Time,Temperature (C),Moisture (%),Battery (Volts)",
                                           "2021-01-01T00:00:00+03:00,-18.0,21.0,2.98",
                                           "2021-01-01T01:00:00+03:00,-14.0,21.5,2.98",
                                           "2021-01-01T02:00:00+03:00,-12.0,22.0,2.97",
                                           "2021-01-01T03:00:00+03:00,-19.0,21.0,2.97",
                                           "2021-01-01T04:00:00+03:00,-26.0,21.0,2.97",
                                           "2021-01-01T06:00:00+03:00,-18.0,21.0,2.96"};

// A two-probe freezer: both temperatures get their mean kinetic
// temperature, the battery none; the probe's limits count its excursions.
TEST_F(SummaryTest, TwoProbeFreezerWithLimits) {
  const ReportSummary s =
      summaryOf(kFreezer, "tag#2_freezer.csv", "234", {{"temperature", {-25.0, -15.0}}},
                "2021-01-01 00:00:00", "2021-01-01 08:00:00");
  ASSERT_EQ(s.series.size(), 3u);
  EXPECT_EQ(s.exportName, "tag#2_freezer.csv");
  EXPECT_EQ(s.series[0].name, "Температура зонда (°C)");
  EXPECT_EQ(s.series[0].key, "temperature");
  EXPECT_EQ(s.series[1].name, "Температура корпуса (°C)");
  EXPECT_TRUE(s.series[0].temperature);
  EXPECT_TRUE(s.series[1].temperature);
  EXPECT_FALSE(s.series[2].temperature);
  EXPECT_EQ(s.series[2].box, 4);  // the battery
  EXPECT_EQ(figure(s, "Показаний", 0), 6);
  EXPECT_EQ(figure(s, "Минимум", 0), -26);
  EXPECT_EQ(figure(s, "Время минимума", 0), parseDateTime("2021-01-01 04:00:00"));
  EXPECT_EQ(figure(s, "Максимум", 0), -12);
  EXPECT_NEAR(*figure(s, "Среднее по показаниям", 0), -107.0 / 6, 1e-9);
  EXPECT_TRUE(figure(s, "Средняя кинетическая температура", 0).has_value());
  EXPECT_FALSE(figure(s, "Средняя кинетическая температура", 2).has_value());
  // Warmer than -15 from 1 h to 3 h; colder than -25 from 4 h to 6 h.
  EXPECT_EQ(figure(s, "Выше верхнего предела: выходов", 0), 1);
  EXPECT_EQ(figure(s, "Выше верхнего предела: всего, ч", 0), 2);
  EXPECT_EQ(figure(s, "Выше верхнего предела: доля времени, %", 0), 25);
  EXPECT_EQ(figure(s, "Выше верхнего предела: начало первого выхода", 0),
            parseDateTime("2021-01-01 01:00:00"));
  EXPECT_EQ(figure(s, "Ниже нижнего предела: дольше всего, ч", 0), 2);
  EXPECT_FALSE(figure(s, "Выше верхнего предела: выходов", 1).has_value());  // no limit set
  ASSERT_EQ(s.limitLines.size(), 2u);
  EXPECT_EQ(s.limitLines[0].label, "Нижний предел: -25");
  EXPECT_EQ(s.limitLines[1].label, "Верхний предел: -15");
  EXPECT_EQ(s.limitLines[1].series, 0);

  const std::string text = summaryText(s);
  EXPECT_EQ(text.rfind("\tИтог\tТревога\n"
                       "\tВыгрузка\ttag#2_freezer.csv\n"
                       "\tНачало интервала\t2021-01-01 00:00:00\n"
                       "\tКонец интервала\t2021-01-01 08:00:00\n"
                       "\tПоказаний в сводке\t18\n"
                       "Температура зонда (°C)\tПоказаний\t6\n",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("Температура зонда (°C)\tВыше верхнего предела: всего, ч\t2\n"),
            std::string::npos);
  EXPECT_NE(text.find("Температура зонда (°C)\tМинимум\t-26\n"), std::string::npos);
}

// The table's thinning is said under the readings the figures cover: on
// the sheet and in the text.
TEST_F(SummaryTest, ThinnedExportSaysSo) {
  ReportSummary s = summaryOf(kFreezer, "freezer.csv", "2");
  EXPECT_EQ(s.thinning, 1);
  EXPECT_EQ(summaryText(s).find(kThinningFigure), std::string::npos);
  EXPECT_EQ(summaryCells(s, 2).texts.at(5, 1), "");
  session.thinning = 32;
  const testing::ExcelCall& call = builder.calls.at(0);
  s = summarize(call.count, call.Arr, session, controls, call.OsMin1, call.OsMax1, {});
  EXPECT_NE(summaryText(s).find("\tПоказаний в сводке\t6\n"
                                "\tКоэффициент сжатия таблицы\t32\n"),
            std::string::npos);
  const SummaryCells cells = summaryCells(s, 2);
  EXPECT_EQ(cells.texts.at(4, 1), "Показаний в сводке");
  EXPECT_EQ(cells.texts.at(4, 2), "6");
  EXPECT_EQ(cells.texts.at(5, 1), "Коэффициент сжатия таблицы");
  EXPECT_EQ(cells.texts.at(5, 2), "32");
  EXPECT_EQ(cells.shownDecimals[4][1], 0);
}

// The verdict of the report and of each limit, over the freezer's hourly
// readings (the threshold three hours): an alarm, within limits, a delay
// longer than the excursion, an empty window, no limit at all.
TEST_F(SummaryTest, Verdicts) {
  const auto high = [](double limit, std::optional<double> delay) {
    Limits limits{std::nullopt, limit};
    limits.highAlarm.delayMinutes = delay;
    return limits;
  };
  struct Case {
    const char* name;
    std::map<std::string, Limits> limits;
    const char* from;
    Verdict report;
    const char* probe;  // the probe's «Выше верхнего предела: итог»; empty: none
  } cases[] = {
      {"warmer than -15 for two hours",
       {{"temperature", high(-15, std::nullopt)}},
       "2021-01-01 00:00:00",
       Verdict::Alarm,
       "Тревога"},
      {"never warmer than -10",
       {{"temperature", high(-10, std::nullopt)}},
       "2021-01-01 00:00:00",
       Verdict::Normal,
       "В норме"},
      {"a delay of two hours is not passed",
       {{"temperature", high(-15, 120)}},
       "2021-01-01 00:00:00",
       Verdict::Normal,
       "В норме"},
      {"one of 119 minutes is",
       {{"temperature", high(-15, 119)}},
       "2021-01-01 00:00:00",
       Verdict::Alarm,
       "Тревога"},
      {"a window without readings",
       {{"temperature", high(-15, std::nullopt)}},
       "2021-01-01 06:30:00",
       Verdict::NoData,
       "Нет данных"},
      {"no limit", {}, "2021-01-01 00:00:00", Verdict::NoLimits, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ReportSummary s =
        summaryOf(kFreezer, "freezer.csv", "23", c.limits, c.from, "2021-01-01 08:00:00");
    EXPECT_EQ(s.verdict, c.report);
    EXPECT_EQ(summaryText(s).rfind(
                  std::string("\tИтог\t") + std::string(verdictText(c.report)) + "\n", 0),
              0u);
    const SummaryRow* row = findRow(s, "Выше верхнего предела: итог");
    EXPECT_EQ(row != nullptr ? row->texts[0].value_or("") : "", c.probe);
    const SummaryCells cells = summaryCells(s, 2);
    EXPECT_EQ(cells.texts.at(cells.verdictRow, 2), verdictText(c.report));
  }
}

// Which series each climate layout reports, under which key, and which are
// temperatures; a window without readings.
TEST_F(SummaryTest, SeriesOfTheClimateLayouts) {
  const ReportSummary temperature = summaryOf(
      {"Date/Time,Temperature(C),Battery(Volts)", "2021-01-01 01:00:00,21.5,3.01"}, "t.csv", "234");
  ASSERT_EQ(temperature.series.size(), 2u);  // the temperature layout has no humidity
  EXPECT_EQ(temperature.series[0].name, "Температура (ºС)");
  EXPECT_EQ(temperature.series[1].key, "battery");
  EXPECT_TRUE(temperature.series[0].temperature);

  const ReportSummary light =
      summaryOf({"Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)",
                 "2021-01-01 01:00:00,21.5,40,120,3.01", "2021-01-01 02:00:00,22.5,41,0,3.00"},
                "light.csv", "2345");
  ASSERT_EQ(light.series.size(), 4u);
  EXPECT_EQ(light.series[2].key, "light");
  EXPECT_EQ(light.series[2].name, "Освещённость (Лк)");
  EXPECT_EQ(light.series[2].box, 5);  // light before the battery, as in the table
  EXPECT_EQ(light.series[3].box, 4);
  EXPECT_FALSE(light.series[1].temperature);  // humidity
  EXPECT_EQ(figure(light, "Минимум", 2), 0);

  const ReportSummary empty = summaryOf(kFreezer, "freezer.csv", "23", {{"temperature", {}}},
                                        "2022-01-01 00:00:00", "2022-01-02 00:00:00");
  EXPECT_EQ(figure(empty, "Показаний", 0), 0);
  EXPECT_FALSE(figure(empty, "Минимум", 0).has_value());
  EXPECT_FALSE(figure(empty, "Средняя кинетическая температура", 0).has_value());
  EXPECT_TRUE(empty.limitLines.empty());
}

// Paired columns: each series at its own moments, gaps included; the
// headings name and key them; a file named for temperatures gets their
// mean kinetic temperature. Door states: openings and the time open.
TEST_F(SummaryTest, PairedColumnsAndDoors) {
  const ReportSummary boiler =
      summaryOf({"Date,Time, Подача,Time, Обратка", "2021-01-01,01:00:00,70.5,01:30:00,50",
                 "2021-01-01,02:00:00,71.5,,", "2021-01-01,03:00:00,69.5,03:30:00,52"},
                "boiler_temper.csv", "", {{"Обратка", {std::nullopt, 51.0}}});
  ASSERT_EQ(boiler.series.size(), 2u);
  EXPECT_EQ(boiler.series[0].name, "Подача");
  EXPECT_EQ(boiler.series[1].key, "Обратка");
  EXPECT_TRUE(boiler.series[0].temperature);
  EXPECT_EQ(figure(boiler, "Показаний", 0), 3);
  EXPECT_EQ(figure(boiler, "Показаний", 1), 2);
  EXPECT_EQ(figure(boiler, "Первое показание", 1), parseDateTime("2021-01-01 01:30:00"));
  EXPECT_EQ(figure(boiler, "Выше верхнего предела: выходов", 1), 1);
  ASSERT_EQ(boiler.limitLines.size(), 1u);
  EXPECT_EQ(boiler.limitLines[0].label, "Верхний предел: 51");

  const ReportSummary doors =
      summaryOf({"Date,Time, Дверь", "2021-01-01,01:00:00,Opened", "2021-01-01,01:10:00,Closed",
                 "2021-01-01,05:00:00,Opened", "2021-01-01,06:00:00,Closed"},
                "doors.csv", "");
  ASSERT_EQ(doors.series.size(), 1u);
  EXPECT_EQ(doors.series[0].kind, SummarySeries::Kind::States);
  EXPECT_EQ(figure(doors, "Открываний", 0), 2);
  EXPECT_NEAR(*figure(doors, "Открыта всего, ч", 0), 1 + 10.0 / 60, 1e-9);
  EXPECT_EQ(figure(doors, "Открыта дольше всего, ч", 0), 1);
  EXPECT_EQ(figure(doors, "Закрываний", 0), 2);
  EXPECT_TRUE(doors.limitLines.empty());
}

TEST_F(SummaryTest, MotionEventsAreCountedByType) {
  const ReportSummary events =
      summaryOf({"Date,Time,Type,Duration(seconds), Angle(degrees)",
                 "01/01/2021,10:00:00,Armed,0,0", "01/01/2021,10:05:00,Moved,2.5,10",
                 "01/01/2021,10:07:00,Moved,1.5,12", "01/01/2021,11:00:00,Disarmed,0,0"},
                "events.csv", "");
  ASSERT_EQ(events.series.size(), 1u);
  EXPECT_EQ(figure(events, "Событий", 0), 4);
  EXPECT_EQ(figure(events, "«Сдвиг»", 0), 2);
  EXPECT_EQ(figure(events, "«Включён»", 0), 1);
  EXPECT_EQ(figure(events, "«Выключен»", 0), 1);
  EXPECT_EQ(events.windowStart, parseDateTime("2021-01-01 10:00:00"));
  EXPECT_EQ(events.windowEnd, parseDateTime("2021-01-01 11:00:00"));
  EXPECT_FALSE(hasRow(events, "Минимум"));
}

TEST(SummaryNumbers, WrittenWithEveryDigit) {
  EXPECT_EQ(summaryNumber(21.5), "21,5");
  EXPECT_EQ(summaryNumber(-0.1), "-0,10000000000000001");
  EXPECT_EQ(summaryNumber(1e20), "1E+20");
  EXPECT_EQ(limitLabel(true, -15.5), "Верхний предел: -15,5");
}

}  // namespace
}  // namespace vexa
