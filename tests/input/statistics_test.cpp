// Statistics and excursions against cases worked by hand.
#include "input/statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vexa {
namespace {

constexpr double kHour = 1.0 / 24;
constexpr double kMinute = 1.0 / 1440;
constexpr double kDay0 = 44200;  // a day; times below count from its midnight
constexpr Seconds kDay0Seconds = 44200 * kSecondsPerDay;

// Seconds of the line at hours:minutes:seconds of day 0 (later days: hours
// past 24).
constexpr Seconds at(int hours, int minutes = 0, int seconds = 0) {
  return kDay0Seconds + hours * 3600 + minutes * 60 + seconds;
}
constexpr Seconds kMinuteSeconds = 60;

using Readings = std::vector<std::pair<Seconds, double>>;

// One minute apart from `start`, the values given.
Readings everyMinute(Seconds start, std::initializer_list<double> values) {
  Readings readings;
  for (const double value : values) {
    readings.emplace_back(start, value);
    start += kMinuteSeconds;
  }
  return readings;
}

// The time each reading stands for, and the time without data, worked out
// by hand: a reading stands until the next one, no longer than the gap
// threshold, never past the window's end.
TEST(Statistics, TheTimeAReadingStandsFor) {
  struct Case {
    const char* name;
    Readings readings;
    Seconds windowStart;
    Seconds windowEnd;
    Seconds threshold;
    Seconds covered;
    int gaps;
    Seconds longestGap;
    Seconds longestGapStart;  // 0: none
    double timeWeightedMean;
  };
  const Seconds three = 3 * kMinuteSeconds;
  const Case cases[] = {
      {"every minute, the window their span", everyMinute(at(10), {1, 2, 3, 4, 5, 6}), at(10),
       at(10, 5), three, 5 * 60, 0, 0, 0, 3},
      {"the last stands for the threshold, then the window has no data",
       everyMinute(at(10), {1, 2, 3, 4, 5, 6}), at(10), at(10, 10), three, 8 * 60, 1, 2 * 60,
       at(10, 8), (1 + 2 + 3 + 4 + 5 + 6 * 3) / 8.0},
      {"a last reading near the window's end stands up to the end", everyMinute(at(10), {2, 4}),
       at(10), at(10, 2, 30), three, 150, 0, 0, 0, (2 * 60 + 4 * 90) / 150.0},
      {"a hole longer than the threshold",
       {{at(10), 1}, {at(10, 1), 1}, {at(10, 10), 7}, {at(10, 11), 7}},
       at(10),
       at(10, 11),
       three,
       5 * 60,
       1,
       6 * 60,
       at(10, 4),
       (1 * 60 + 1 * 180 + 7 * 60) / 300.0},
      {"before the first reading the window has no data", everyMinute(at(10), {1, 1, 1}), at(9, 58),
       at(10, 2), three, 2 * 60, 1, 2 * 60, at(9, 58), 1},
      {"no reading: the whole window", {}, at(10), at(11), three, 0, 1, 3600, at(10), 0},
      {"a repeated stamp stands for nothing",
       {{at(10), 1}, {at(10), 3}, {at(10, 1), 1}},
       at(10),
       at(10, 1),
       three,
       60,
       0,
       0,
       0,
       3},
      {"readings out of order are put in order",
       {{at(10, 2), 3}, {at(10), 1}, {at(10, 1), 2}},
       at(10),
       at(10, 2),
       three,
       120,
       0,
       0,
       0,
       1.5},
      {"readings outside the window are left out", everyMinute(at(9, 58), {9, 9, 1, 1, 9}), at(10),
       at(10, 1), three, 60, 0, 0, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SeriesFigures f =
        measureSeries(c.readings, c.windowStart, c.windowEnd, c.threshold, {}, {});
    EXPECT_EQ(f.covered, c.covered);
    EXPECT_EQ(f.noData, c.windowEnd - c.windowStart - c.covered);
    EXPECT_EQ(f.gapTotal, f.noData);
    EXPECT_EQ(f.gaps, c.gaps);
    EXPECT_EQ(f.gapLongest, c.longestGap);
    EXPECT_EQ(f.longestGapStart.value_or(0), c.longestGapStart);
    if (f.readings > 0) {
      EXPECT_NEAR(f.timeWeightedMean, c.timeWeightedMean, 1e-12);
    }
  }
}

// Excursions beyond a limit and when they are alarms: 1 is beyond the high
// limit 0, -1 within; readings a minute apart unless given.
TEST(Statistics, ExcursionsAndAlarmRules) {
  struct Case {
    const char* name;
    Readings readings;
    Seconds windowEnd;
    AlarmRule rule;
    int count;
    Seconds total;
    Seconds longest;
    int alarms;
    Seconds alarmAt;          // 0: none
    std::vector<bool> alarm;  // of each excursion
  };
  const auto minutes = [](double m) { return std::optional<double>(m); };
  const Case cases[] = {
      {"without a delay every excursion is an alarm",
       everyMinute(at(10), {-1, 1, -1, 1, 1, -1}),
       at(10, 5),
       {},
       2,
       3 * 60,
       2 * 60,
       2,
       at(10, 1),
       {true, true}},
      {"exactly as long as the delay: no alarm",
       everyMinute(at(10), {-1, 1, 1, 1, 1, 1, -1}),
       at(10, 6),
       {minutes(5), AlarmKind::Single},
       1,
       5 * 60,
       5 * 60,
       0,
       0,
       {false}},
      {"a second longer than the delay: an alarm",
       [] {
         Readings r = everyMinute(at(10), {-1, 1, 1, 1, 1, 1, 1});
         r.back() = {at(10, 6, 1), -1};
         return r;
       }(),
       at(10, 7),
       {minutes(5), AlarmKind::Single},
       1,
       5 * 60 + 1,
       5 * 60 + 1,
       1,
       at(10, 6),
       {true}},
      {"a cumulative total passes the delay with the third excursion",
       everyMinute(at(10), {1, 1, -1, -1, -1, 1, 1, -1, -1, -1, 1, 1, -1}),
       at(10, 12),
       {minutes(5), AlarmKind::Cumulative},
       3,
       6 * 60,
       2 * 60,
       1,
       at(10, 11),
       {false, false, true}},
      {"a gap ends an excursion",
       {{at(10), 1}, {at(10, 1), 1}, {at(10, 20), 1}, {at(10, 21), 1}, {at(10, 22), -1}},
       at(10, 22),
       {},
       2,
       6 * 60,
       4 * 60,
       2,
       at(10),
       {true, true}},
      {"still beyond at the last reading: to the threshold, or the window's end",
       everyMinute(at(10), {-1, 1, 1}),
       at(10, 30),
       {},
       1,
       4 * 60,
       4 * 60,
       1,
       at(10, 1),
       {true}},
      {"on the limit is within", everyMinute(at(10), {0, 0, 0}), at(10, 2), {}, 0, 0, 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Limits limits;
    limits.high = 0.0;
    limits.highAlarm = c.rule;
    const SeriesFigures f = measureSeries(c.readings, at(10), c.windowEnd, 3 * kMinuteSeconds,
                                          limits, {false, false, 10});
    ASSERT_TRUE(f.above.has_value());
    EXPECT_FALSE(f.below.has_value());
    const LimitFigures& above = *f.above;
    EXPECT_EQ(above.count, c.count);
    EXPECT_EQ(above.total, c.total);
    EXPECT_EQ(above.longest, c.longest);
    EXPECT_EQ(above.alarms, c.alarms);
    EXPECT_EQ(above.alarmAt.value_or(0), c.alarmAt);
    EXPECT_EQ(above.verdict, c.alarms > 0 ? Verdict::Alarm : Verdict::Normal);
    ASSERT_EQ(above.listed.size(), c.alarm.size());
    for (std::size_t i = 0; i < c.alarm.size(); ++i) {
      EXPECT_EQ(above.listed[i].alarm, c.alarm[i]) << "excursion " << i;
      EXPECT_EQ(above.listed[i].extreme, 1);
    }
  }
  // A low limit counts the other side; no reading gives no verdict.
  Limits low;
  low.low = -0.5;
  const SeriesFigures below = measureSeries(everyMinute(at(10), {-1, -2, 0}), at(10), at(10, 2),
                                            180, low, {false, false, 5});
  ASSERT_TRUE(below.below.has_value());
  EXPECT_EQ(below.below->count, 1);
  EXPECT_EQ(below.below->listed.at(0).extreme, -2);
  EXPECT_EQ(measureSeries({}, at(10), at(11), 180, low, {}).below->verdict, Verdict::NoData);
}

// The journal: an excursion across midnight counts in both days with its
// own part of the time, a day without a reading keeps its row.
TEST(Statistics, JournalDayByDay) {
  const Readings readings = {
      {at(23), -1}, {at(23, 30), 1}, {at(24, 30), 1}, {at(25), -1}, {at(72 + 12), -1}};
  Limits limits;
  limits.high = 0.0;
  const SeriesFigures f =
      measureSeries(readings, at(0), at(72 + 12), 3600, limits, {false, true, kListedItems});
  ASSERT_EQ(f.days.size(), 4u);
  struct Day {
    int readings;
    Seconds above;
    int excursions;
    Seconds noData;
  };
  const Day expected[] = {
      {2, 1800, 1, 23 * 3600},  // before 23:00 nothing; 23:30 to midnight beyond
      {2, 3600, 1, 22 * 3600},  // beyond to 01:00; after 02:00 a hole
      {0, 0, 0, 24 * 3600},     // no reading at all
      {1, 0, 0, 12 * 3600},     // up to the last reading at noon
  };
  for (std::size_t d = 0; d < 4; ++d) {
    SCOPED_TRACE(d);
    const DayFigures& day = f.days[d];
    EXPECT_EQ(day.day, 44200 + static_cast<long long>(d));
    EXPECT_EQ(day.readings, expected[d].readings);
    EXPECT_EQ(day.beyond[1], expected[d].above);
    EXPECT_EQ(day.excursions[1], expected[d].excursions);
    EXPECT_EQ(day.alarms[1], expected[d].excursions);
    EXPECT_EQ(day.noData, expected[d].noData);
  }
  EXPECT_EQ(f.days[0].minimum, -1);
  EXPECT_EQ(f.days[0].maximum, 1);
  EXPECT_EQ(dayMean(f.days[1]), 0);
  EXPECT_EQ(f.above->count, 1);
  EXPECT_EQ(f.above->total, 5400);
  EXPECT_EQ(f.gaps, 2);
  EXPECT_EQ(f.gapTotal, (23 + 58) * 3600);
}

TEST(Statistics, ReadingsMinimaMaximaAndMeans) {
  const SeriesFigures s = measureSeries({{at(0), 20}, {at(1), 22}, {at(3), 18}, {at(4), 22}}, at(0),
                                        at(4), 2 * 3600, {}, {true, false, 0});
  EXPECT_EQ(s.readings, 4);
  EXPECT_EQ(s.first, at(0));
  EXPECT_EQ(s.last, at(4));
  EXPECT_EQ(s.minimum, 18);
  EXPECT_EQ(s.minimumAt, at(3));
  EXPECT_EQ(s.maximum, 22);
  EXPECT_EQ(s.maximumAt, at(1));  // its first reading
  EXPECT_DOUBLE_EQ(s.mean, 20.5);
  EXPECT_NEAR(s.timeWeightedMean, (20 * 1 + 22 * 2 + 18 * 1) / 4.0, 1e-12);
  EXPECT_TRUE(s.kineticMean.has_value());

  // A constant series keeps its value exactly, however many readings.
  Readings battery;
  for (int i = 0; i < 100000; ++i) {
    battery.emplace_back(at(0) + i * 60, 3.01);
  }
  const SeriesFigures constant = measureSeries(battery, at(0), at(0) + 100000 * 60, 180, {}, {});
  EXPECT_EQ(constant.mean, 3.01);
  EXPECT_EQ(constant.timeWeightedMean, 3.01);

  const SeriesFigures none = measureSeries({}, at(0), at(1), 60, {}, {true, false, 0});
  EXPECT_EQ(none.readings, 0);
  EXPECT_FALSE(none.kineticMean.has_value());
}

TEST(Statistics, GapThreshold) {
  EXPECT_EQ(gapThreshold(60, std::nullopt), 180);  // three times the usual interval
  EXPECT_EQ(gapThreshold(10, std::nullopt), 60);   // at least a minute
  EXPECT_EQ(gapThreshold(0, std::nullopt), 60);
  EXPECT_EQ(gapThreshold(60, 1.5), 90);  // the user's minutes
}

TEST(Statistics, MeanKineticTemperature) {
  struct Case {
    const char* name;
    std::vector<double> celsius;
    std::optional<double> expected;
  };
  const Case cases[] = {
      {"a constant temperature is its own", {25, 25, 25, 25, 25}, 25.0},
      {"a constant frost likewise", {-18.5, -18.5}, -18.5},
      {"warm hours weigh more than cold ones", {20, 30}, 26.25988691600344},
      {"a freezer's probe below zero", {-18.5, -17.0, -25.0, -12.0}, -16.694771186532762},
      {"no reading", {}, std::nullopt},
      {"at absolute zero there is none", {20, -273.15}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<double> got = meanKineticTemperature(c.celsius);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
      EXPECT_NEAR(*got, *c.expected, 1e-9);
    }
  }
}

// A door: opened three times (a second "Opened" in a row changes nothing),
// the last time still open at the window's end.
TEST(Statistics, TimeInEachStateOfADoor) {
  const auto at = [](int hour, int minute) { return kDay0 + hour * kHour + minute * kMinute; };
  const StateStatistics s = stateStatistics({{at(10, 0), "Opened"},
                                             {at(10, 5), "Closed"},
                                             {at(11, 0), "Opened"},
                                             {at(11, 2), "Opened"},
                                             {at(11, 30), "Closed"},
                                             {at(23, 50), "Opened"}},
                                            at(24, 0));
  EXPECT_EQ(s.readings, 6);
  ASSERT_EQ(s.states.size(), 2u);
  const StateTime& opened = s.states[0];
  EXPECT_EQ(opened.state, "Opened");
  EXPECT_EQ(opened.entries, 3);
  EXPECT_NEAR(opened.total / kMinute, 5 + 30 + 10, 1e-6);
  EXPECT_NEAR(opened.longest / kMinute, 30, 1e-6);
  EXPECT_DOUBLE_EQ(opened.firstStart, at(10, 0));
  const StateTime& closed = s.states[1];
  EXPECT_EQ(closed.entries, 2);
  EXPECT_NEAR(closed.total / kMinute, 55 + 740, 1e-6);

  EXPECT_TRUE(stateStatistics({}, kDay0).states.empty());

  const EventCounts events = countEvents(
      {{at(1, 0), "Сдвиг"}, {at(0, 30), "Включён"}, {at(2, 0), "Сдвиг"}, {at(3, 0), "Выключен"}});
  EXPECT_EQ(events.events, 4);
  EXPECT_DOUBLE_EQ(events.first, at(0, 30));
  EXPECT_DOUBLE_EQ(events.last, at(3, 0));
  EXPECT_EQ(events.byType, (std::vector<std::pair<std::string, int>>{
                               {"Сдвиг", 2}, {"Включён", 1}, {"Выключен", 1}}));
}

// Limits as the window's boxes and --limit take them: an empty side is no
// limit; what is no finite number is refused.
TEST(Statistics, LimitsAsTyped) {
  const struct {
    const char* text;
    std::optional<std::optional<double>> limit;
  } cases[] = {
      {"", std::optional<double>()},
      {"   ", std::optional<double>()},
      {"-25", std::optional<double>(-25.0)},
      {" \u221215,5 ", std::optional<double>(-15.5)},  // a typographic minus, a comma
      {"3.2", std::optional<double>(3.2)},
      {"1e2", std::optional<double>(100.0)},
      {"abc", std::nullopt},
      {"22 градуса", std::nullopt},
      {"1,5,5", std::nullopt},
      {"inf", std::nullopt},
      {"nan", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(limitFromText(c.text), c.limit) << c.text;
  }
}

}  // namespace
}  // namespace vexa
