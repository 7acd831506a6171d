// What happened in a time window, series by series, worked out from every
// reading: how many readings, the lowest and the highest with their times,
// the means, the mean kinetic temperature of a temperature series, the
// places where readings are missing, and for each limit its excursions, its
// alarms under the limit's rule and its verdict; day by day as a journal.
// For state series (doors) the time spent in each state; for motion events
// the counts of each type.
//
// One rule gives the time a reading stands for: until the next reading, but
// no longer than the gap threshold, and never past the window's end. The
// time-weighted mean, the time beyond a limit and the excursions' durations
// all follow it; the time no reading stands for is without data («без
// данных») and counts neither within nor beyond a limit.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "input/datetime.h"
#include "input/loading.h"
#include "input/readings.h"

namespace vexa {

// How an excursion beyond a limit becomes an alarm.
enum class AlarmKind {
  Single,      // «однократная»: an excursion longer than the delay
  Cumulative,  // «накопительная»: all the time beyond the limit longer than the delay
};
std::string_view alarmKindText(AlarmKind kind);

struct AlarmRule {
  std::optional<double> delayMinutes;  // none (or 0): every excursion is an alarm
  AlarmKind kind = AlarmKind::Single;
  bool operator==(const AlarmRule&) const = default;
};

// An optional low and high limit of one series, each with its alarm rule. A
// reading exactly on a limit is within it.
struct Limits {
  Limits() = default;
  Limits(std::optional<double> lowLimit, std::optional<double> highLimit)
      : low(lowLimit), high(highLimit) {}
  std::optional<double> low;
  std::optional<double> high;
  AlarmRule lowAlarm;
  AlarmRule highAlarm;
  bool empty() const { return !low && !high; }
  bool operator==(const Limits&) const = default;
};

// The answer for a limit, and for a whole report.
enum class Verdict { Normal, Alarm, NoData, NoLimits };
std::string_view verdictText(Verdict verdict);  // «В норме», «Тревога», ...

// A duration in days as hours, to the second (the exports' time stamps are
// whole seconds): the day counts' own rounding stays out of the figures.
double hoursOf(double days);
double hoursOfSeconds(Seconds seconds);

// A limit as the user types it: spaces around it, a decimal point or comma,
// a typographic minus sign too. An empty text is no limit (an empty value);
// none when the text is no number.
std::optional<std::optional<double>> limitFromText(std::string_view text);

// A delay or a gap threshold as the user types it, in minutes: empty is
// none (an empty value); none when it is no number or below zero.
std::optional<std::optional<double>> minutesFromText(std::string_view text);

// The gap threshold of a series: three times the median interval between
// its readings, and at least a minute; or the minutes the user set.
inline constexpr Seconds kMinimumGapThreshold = 60;
Seconds gapThreshold(Seconds medianInterval, std::optional<double> userMinutes);

// The lists a summary prints are of the first items; the rest are counted.
inline constexpr std::size_t kListedItems = 100;
// The journal has a row per day, for ten years at most.
inline constexpr std::size_t kJournalDays = 3660;

// One excursion: readings beyond a limit whose times join without a gap.
// It lasts from its first reading to the end of the time its last one
// stands for.
struct Excursion {
  Seconds start = 0;
  Seconds end = 0;
  double extreme = 0;  // the lowest below a low limit, the highest above a high one
  bool alarm = false;
};

// Time that no reading stands for.
struct Gap {
  Seconds start = 0;
  Seconds end = 0;
};

struct LimitFigures {
  bool high = false;
  double limit = 0;
  AlarmRule rule;
  int count = 0;
  Seconds total = 0;
  Seconds longest = 0;
  std::optional<Seconds> firstStart;
  std::optional<Seconds> longestStart;
  int alarms = 0;                  // excursions that are alarms
  std::optional<Seconds> alarmAt;  // when the first alarm was raised
  Verdict verdict = Verdict::NoData;
  std::vector<Excursion> listed;  // the first kListedItems
};

// One day of the journal.
struct DayFigures {
  long long day = 0;  // as dayOf() counts
  int readings = 0;
  double minimum = 0;
  double maximum = 0;
  double sum = 0;          // of the readings: the mean is sum / readings
  Seconds beyond[2] = {};  // below the low limit, above the high one
  int excursions[2] = {};  // that the day has a part of
  int alarms[2] = {};
  Seconds noData = 0;
};

// The mean of a day's readings (a constant series keeps its value exactly).
inline double dayMean(const DayFigures& day) {
  return day.minimum == day.maximum ? day.minimum : day.sum / day.readings;
}

struct SeriesFigures {
  Seconds windowStart = 0;
  Seconds windowEnd = 0;
  Seconds threshold = 0;
  int readings = 0;
  Seconds first = 0;
  Seconds last = 0;
  double minimum = 0;
  Seconds minimumAt = 0;  // its first reading
  double maximum = 0;
  Seconds maximumAt = 0;
  double mean = 0;              // of the readings, each counting once
  double timeWeightedMean = 0;  // each reading for the time it stands for
  std::optional<double> kineticMean;
  Seconds covered = 0;  // the window's time that some reading stands for
  Seconds noData = 0;   // the rest of it
  int gaps = 0;
  Seconds gapTotal = 0;
  Seconds gapLongest = 0;
  std::optional<Seconds> longestGapStart;
  std::vector<Gap> listedGaps;  // the first kListedItems
  std::optional<LimitFigures> below;
  std::optional<LimitFigures> above;
  std::vector<DayFigures> days;  // the journal, when asked for
  std::size_t daysLeftOut = 0;   // days of the window past the journal's ten years
};

struct FigureOptions {
  bool temperature = false;  // its mean kinetic temperature is worked out
  bool journal = false;
  std::size_t listed = 0;  // excursions and gaps listed
};

// Takes the readings of one series in time order, inside the window, and
// works out its figures as they come: memory does not grow with them.
class SeriesAccumulator {
 public:
  SeriesAccumulator(Seconds windowStart, Seconds windowEnd, Seconds threshold, const Limits& limits,
                    const FigureOptions& options);
  ~SeriesAccumulator();
  SeriesAccumulator(SeriesAccumulator&&) noexcept;
  SeriesAccumulator& operator=(SeriesAccumulator&&) noexcept;
  void add(Seconds time, double value);
  // The readings from..to of a column (in time order), those with a value.
  void addColumn(const Seconds* times, const ReadingColumn& column, std::size_t from,
                 std::size_t to);
  SeriesFigures finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The figures of readings in any order (equal times keep theirs); those
// outside the window are left out.
SeriesFigures measureSeries(std::vector<std::pair<Seconds, double>> readings, Seconds windowStart,
                            Seconds windowEnd, Seconds threshold, const Limits& limits,
                            const FigureOptions& options);

// What to work out for one value column of an export's readings.
struct SeriesRequest {
  std::size_t column = 0;
  Limits limits;
  FigureOptions options;
};

// The figures of several columns of `readings` in one window, with one pass
// over the export when its readings are read again from its snapshot.
// `gapMinutes`: the user's gap threshold, for every series.
std::vector<SeriesFigures> measureColumns(const ExportReadings& readings,
                                          const ExportSnapshot& snapshot,
                                          const std::vector<SeriesRequest>& requests,
                                          Seconds windowStart, Seconds windowEnd,
                                          std::optional<double> gapMinutes);

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

// The readings of a state or event column of `readings` in [windowStart,
// windowEnd] (all of them when `whole`), with their texts.
std::vector<StateReading> stateReadingsOf(const ExportReadings& readings,
                                          const ExportSnapshot& snapshot, std::size_t column,
                                          Seconds windowStart, Seconds windowEnd, bool whole);

}  // namespace vexa
