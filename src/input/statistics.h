// What happened in a time window, series by series: how many readings, the
// lowest and the highest with their times, the means, the mean kinetic
// temperature of a temperature series, and for each limit the excursions
// beyond it; for state series (doors) the time spent in each state; for
// motion events the counts of each type. Times are day counts (the
// spreadsheet's date-time serials), durations in days.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

struct Reading {
  double time = 0;
  double value = 0;
};

// An optional low and high limit of one series.
struct Limits {
  std::optional<double> low;
  std::optional<double> high;
  bool empty() const { return !low && !high; }
  bool operator==(const Limits&) const = default;
};

// A duration in days as hours, to the second (the exports' time stamps are
// whole seconds): the day counts' own rounding stays out of the figures.
double hoursOf(double days);

// A limit as the user types it: spaces around it, a decimal point or comma,
// a typographic minus sign too. An empty text is no limit (an empty value);
// none when the text is no number.
std::optional<std::optional<double>> limitFromText(std::string_view text);

// Runs of consecutive readings beyond one limit. A run lasts from its first
// reading beyond the limit to the first reading back within it, or to the
// window's end when none comes back.
struct Excursions {
  int count = 0;
  double total = 0;    // days
  double longest = 0;  // days
  std::optional<double> firstStart;
  std::optional<double> longestStart;
  std::optional<double> share;  // of the window's time; none for a window without length
};

struct MeasurementStatistics {
  int readings = 0;
  double first = 0;  // the earliest and the latest reading's time
  double last = 0;
  double minimum = 0;
  double minimumAt = 0;  // the first reading of that value
  double maximum = 0;
  double maximumAt = 0;
  double mean = 0;                    // of the readings, each counting once
  double timeWeightedMean = 0;        // each value holding until the next reading
  std::optional<double> kineticMean;  // temperature series: the mean kinetic temperature
  std::optional<Excursions> below;    // when a low limit is set
  std::optional<Excursions> above;    // when a high limit is set
};

// The statistics of `readings` (any order; equal times keep theirs) in the
// window [windowStart, windowEnd]. With no reading, only `readings` (0) and
// the excursions (none) mean anything.
MeasurementStatistics measure(std::vector<Reading> readings, double windowStart, double windowEnd,
                              bool temperature, const Limits& limits = {});

// The mean kinetic temperature, in °C, of temperatures in °C (ΔH/R =
// 10 000 K: ΔH = 83.144 kJ/mol, the usual value for storage); none without
// readings or with one at or below absolute zero.
std::optional<double> meanKineticTemperature(const std::vector<double>& celsius);

// A state series (door states and the like): readings of state words.
struct StateReading {
  double time = 0;
  std::string state;
};

// The time a series spent in one state: how many times it entered it, in
// all and at the longest, and when it first entered it.
struct StateTime {
  std::string state;
  int entries = 0;
  double total = 0;  // days
  double longest = 0;
  double firstStart = 0;
};

struct StateStatistics {
  int readings = 0;
  double first = 0;
  double last = 0;
  std::vector<StateTime> states;  // in the order they first appear
};

// A state lasts from the reading that enters it to the next reading of
// another state, or to the window's end.
StateStatistics stateStatistics(std::vector<StateReading> readings, double windowEnd);

// Counts of events by type, in the order the types first appear.
struct EventCounts {
  int events = 0;
  double first = 0;
  double last = 0;
  std::vector<std::pair<std::string, int>> byType;
};

EventCounts countEvents(const std::vector<StateReading>& events);

}  // namespace vexa
