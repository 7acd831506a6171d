// Statistics and excursions against cases worked by hand.
#include "input/statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vexa {
namespace {

constexpr double kHour = 1.0 / 24;
constexpr double kMinute = 1.0 / 1440;
constexpr double kDay0 = 44200;  // a day; times below count from its midnight

std::vector<Reading> series(std::initializer_list<std::pair<double, double>> hoursAndValues) {
  std::vector<Reading> readings;
  for (const auto& [hours, value] : hoursAndValues) {
    readings.push_back({kDay0 + hours * kHour, value});
  }
  return readings;
}

struct ExcursionCase {
  const char* name;
  std::vector<Reading> readings;
  double windowStart;  // hours
  double windowEnd;
  Limits limits;
  // Below, then above: count, total and longest hours, first and longest
  // start (hours; -1: none), share of the window.
  struct Expected {
    int count;
    double total;
    double longest;
    double firstStart;
    double longestStart;
    double share;
  };
  Expected below;
  Expected above;
};

TEST(Statistics, ExcursionsBeyondEachLimit) {
  const ExcursionCase cases[] = {
      {"no reading", {}, 0, 10, {-25.0, -15.0}, {0, 0, 0, -1, -1, 0}, {0, 0, 0, -1, -1, 0}},
      {"one reading, within",
       series({{1, -18}}),
       0,
       10,
       {-25.0, -15.0},
       {0, 0, 0, -1, -1, 0},
       {0, 0, 0, -1, -1, 0}},
      {"exactly on the limits is within",
       series({{0, -25}, {1, -15}, {2, -20}}),
       0,
       2,
       {-25.0, -15.0},
       {0, 0, 0, -1, -1, 0},
       {0, 0, 0, -1, -1, 0}},
      // Warmer than -15 from 1 h to 3 h and from 5 h to 6 h: two excursions.
      {"two excursions above",
       series({{0, -18}, {1, -14}, {2, -12}, {3, -16}, {5, -10}, {6, -20}}),
       0,
       8,
       {std::nullopt, -15.0},
       {0, 0, 0, -1, -1, 0},
       {2, 3, 2, 1, 1, 3.0 / 8}},
      // Beyond from the first reading: it begins there, not before.
      {"at the window's start",
       series({{0.5, -30}, {1, -28}, {2, -20}}),
       0,
       4,
       {-25.0, std::nullopt},
       {1, 1.5, 1.5, 0.5, 0.5, 1.5 / 4},
       {0, 0, 0, -1, -1, 0}},
      // Still beyond at the last reading: it runs to the window's end.
      {"open at the window's end",
       series({{0, -20}, {3, -10}, {4, -11}}),
       0,
       6,
       {std::nullopt, -15.0},
       {0, 0, 0, -1, -1, 0},
       {1, 3, 3, 3, 3, 0.5}},
      // The longer excursion comes second.
      {"longest is not the first",
       series({{0, -10}, {1, -20}, {2, -9}, {5, -20}}),
       0,
       5,
       {std::nullopt, -15.0},
       {0, 0, 0, -1, -1, 0},
       {2, 4, 3, 0, 2, 4.0 / 5}},
      // Readings in no order are taken in time order.
      {"unordered readings",
       series({{2, -20}, {0, -10}, {1, -12}}),
       0,
       2,
       {std::nullopt, -15.0},
       {0, 0, 0, -1, -1, 0},
       {1, 2, 2, 0, 0, 1}},
  };
  const auto check = [](const char* side, const std::optional<Excursions>& got,
                        const ExcursionCase::Expected& want, bool set) {
    SCOPED_TRACE(side);
    ASSERT_EQ(got.has_value(), set);
    if (!set) {
      return;
    }
    EXPECT_EQ(got->count, want.count);
    EXPECT_NEAR(got->total / kHour, want.total, 1e-6);
    EXPECT_NEAR(got->longest / kHour, want.longest, 1e-6);
    EXPECT_EQ(got->firstStart.has_value(), want.firstStart >= 0);
    if (got->firstStart) {
      EXPECT_NEAR((*got->firstStart - kDay0) / kHour, want.firstStart, 1e-6);
    }
    EXPECT_EQ(got->longestStart.has_value(), want.longestStart >= 0);
    if (got->longestStart) {
      EXPECT_NEAR((*got->longestStart - kDay0) / kHour, want.longestStart, 1e-6);
    }
    ASSERT_TRUE(got->share.has_value());
    EXPECT_NEAR(*got->share, want.share, 1e-9);
  };
  for (const ExcursionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const MeasurementStatistics s = measure(c.readings, kDay0 + c.windowStart * kHour,
                                            kDay0 + c.windowEnd * kHour, true, c.limits);
    check("below", s.below, c.below, c.limits.low.has_value());
    check("above", s.above, c.above, c.limits.high.has_value());
  }
  // A window without length has no share.
  const MeasurementStatistics moment =
      measure(series({{1, -10}}), kDay0 + kHour, kDay0 + kHour, true, {std::nullopt, -15.0});
  EXPECT_EQ(moment.above->count, 1);
  EXPECT_FALSE(moment.above->share.has_value());
}

TEST(Statistics, ReadingsMinimaMaximaAndMeans) {
  // Readings at 0, 1, 3 and 4 h (a gap between 1 and 3 h, as a paired
  // column's own moments have): the value before the gap holds for 2 hours.
  const MeasurementStatistics s =
      measure(series({{0, 20}, {1, 22}, {3, 18}, {4, 22}}), kDay0, kDay0 + 4 * kHour, false);
  EXPECT_EQ(s.readings, 4);
  EXPECT_DOUBLE_EQ(s.first, kDay0);
  EXPECT_DOUBLE_EQ(s.last, kDay0 + 4 * kHour);
  EXPECT_EQ(s.minimum, 18);
  EXPECT_NEAR((s.minimumAt - kDay0) / kHour, 3, 1e-9);
  EXPECT_EQ(s.maximum, 22);
  EXPECT_NEAR((s.maximumAt - kDay0) / kHour, 1, 1e-9);  // its first reading
  EXPECT_DOUBLE_EQ(s.mean, 20.5);
  EXPECT_NEAR(s.timeWeightedMean, (20 * 1 + 22 * 2 + 18 * 1) / 4.0, 1e-9);
  EXPECT_FALSE(s.kineticMean.has_value());  // not a temperature

  const MeasurementStatistics one = measure(series({{2, -3.5}}), kDay0, kDay0 + 1, true);
  EXPECT_EQ(one.readings, 1);
  EXPECT_EQ(one.minimum, -3.5);
  EXPECT_EQ(one.maximum, -3.5);
  EXPECT_EQ(one.mean, -3.5);
  EXPECT_EQ(one.timeWeightedMean, -3.5);
  EXPECT_NEAR(*one.kineticMean, -3.5, 1e-9);

  const MeasurementStatistics none = measure({}, kDay0, kDay0 + 1, true);
  EXPECT_EQ(none.readings, 0);
  EXPECT_FALSE(none.kineticMean.has_value());
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
