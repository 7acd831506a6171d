#include "input/statistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <numeric>
#include <thread>

#include "input/text.h"

namespace vexa {

namespace {

constexpr double kAbsoluteZero = -273.15;
// ΔH/R for storage: 83.144 kJ/mol over the gas constant, 10 000 K.
constexpr double kActivationOverGas = 10000.0;

// The mean kinetic temperature as its readings come: -ΔH/(R·T) of each,
// summed as exponentials from the largest so far, so that nothing
// underflows whatever the temperatures. A series repeats its values: the
// terms of the last values seen are kept, which gives the same sum.
class KineticMean {
 public:
  KineticMean() : cache_(kCacheSize) {}
  void add(double celsius) {
    if (!(celsius > kAbsoluteZero)) {
      valid_ = false;
      return;
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &celsius, sizeof bits);
    Entry& entry = cache_[(bits * 0x9E3779B97F4A7C15ULL) >> (64 - kCacheBits)];
    if (!(entry.celsius == celsius)) {
      entry.celsius = celsius;
      entry.exponent = -kActivationOverGas / (celsius - kAbsoluteZero);
      entry.largest = std::numeric_limits<double>::quiet_NaN();
    }
    const double exponent = entry.exponent;
    if (count_++ == 0) {
      largest_ = exponent;
      scaled_ = 1;
    } else if (exponent > largest_) {
      scaled_ = scaled_ * std::exp(largest_ - exponent) + 1;
      largest_ = exponent;
    } else {
      if (!(entry.largest == largest_)) {
        entry.term = std::exp(exponent - largest_);
        entry.largest = largest_;
      }
      scaled_ += entry.term;
    }
  }
  std::optional<double> value() const {
    if (!valid_ || count_ == 0) {
      return std::nullopt;
    }
    const double logMean = largest_ + std::log(scaled_ / static_cast<double>(count_));
    return -kActivationOverGas / logMean + kAbsoluteZero;
  }

 private:
  struct Entry {
    double celsius = std::numeric_limits<double>::quiet_NaN();
    double exponent = 0;
    double largest = 0;
    double term = 0;
  };
  static constexpr int kCacheBits = 10;
  static constexpr std::size_t kCacheSize = std::size_t{1} << kCacheBits;
  std::vector<Entry> cache_;
  bool valid_ = true;
  long long count_ = 0;
  double largest_ = 0;
  double scaled_ = 0;
};

// A sum of many numbers without the error of adding them one by one
// (Neumaier's compensation): a constant series' mean is its value.
class PreciseSum {
 public:
  void add(double x) {
    const double t = sum_ + x;
    compensation_ += std::fabs(sum_) >= std::fabs(x) ? (sum_ - t) + x : (x - t) + sum_;
    sum_ = t;
  }
  double value() const { return sum_ + compensation_; }

 private:
  double sum_ = 0;
  double compensation_ = 0;
};

}  // namespace

std::string_view alarmKindText(AlarmKind kind) {
  return kind == AlarmKind::Cumulative ? "накопительная" : "однократная";
}

std::string_view verdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::Normal:
      return "В норме";
    case Verdict::Alarm:
      return "Тревога";
    case Verdict::NoData:
      return "Нет данных";
    case Verdict::NoLimits:
      break;
  }
  return "Пределы не заданы";
}

double hoursOf(double days) {
  return std::round(days * 86400) / 3600;
}

double hoursOfSeconds(Seconds seconds) {
  return static_cast<double>(seconds) / 3600;
}

std::optional<std::optional<double>> limitFromText(std::string_view text) {
  std::string ascii = replaceAll(trimSpaces(text), "\u2212", "-");
  if (ascii.empty()) {
    return std::optional<double>();
  }
  std::replace(ascii.begin(), ascii.end(), ',', '.');
  double value = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return std::optional<double>(value);
}

std::optional<std::optional<double>> minutesFromText(std::string_view text) {
  const auto value = limitFromText(text);
  if (!value || (*value && **value < 0)) {
    return std::nullopt;
  }
  return value;
}

Seconds gapThreshold(Seconds medianInterval, std::optional<double> userMinutes) {
  if (userMinutes && *userMinutes > 0) {
    return std::max<Seconds>(std::llround(*userMinutes * 60), 1);
  }
  return std::max<Seconds>(3 * medianInterval, kMinimumGapThreshold);
}

// ---- the figures of one series ----

namespace {

// One limit of the series as its readings come.
struct Side {
  bool set = false;
  bool high = false;
  double limit = 0;
  Seconds delay = -1;  // none: every excursion is an alarm
  LimitFigures figures;
  bool open = false;
  Excursion current;
  Seconds beyondSoFar = 0;  // of the excursions closed, for a cumulative rule

  bool beyond(double value) const { return high ? value > limit : value < limit; }
};

}  // namespace

struct SeriesAccumulator::State {
  Seconds w0 = 0;
  Seconds w1 = 0;
  Seconds threshold = 0;
  FigureOptions options;
  Side sides[2];  // the low limit, the high one
  bool any = false;
  Seconds previousTime = 0;
  double previousValue = 0;
  SeriesFigures f;
  PreciseSum sum;
  PreciseSum weighted;
  KineticMean kinetic;
  long long firstDay = 0;
  std::vector<PreciseSum> daySums;

  // The day of the readings at hand, looked up again only when they pass it.
  Seconds dayStart = 0;
  Seconds dayEnd = 0;
  DayFigures* day = nullptr;

  DayFigures* dayAt(Seconds time) {
    if (time >= dayStart && time < dayEnd) {
      return day;
    }
    const long long number = dayOf(time);
    const long long index = number - firstDay;
    dayStart = number * kSecondsPerDay;
    dayEnd = dayStart + kSecondsPerDay;
    day = index >= 0 && index < static_cast<long long>(f.days.size())
              ? &f.days[static_cast<std::size_t>(index)]
              : nullptr;
    return day;
  }

  // Gives each day of the journal its part of [start, end).
  template <class Add>
  void spread(Seconds start, Seconds end, Add&& add) {
    while (start < end) {
      const Seconds dayEnd = (dayOf(start) + 1) * kSecondsPerDay;
      const Seconds partEnd = std::min(end, dayEnd);
      if (DayFigures* day = dayAt(start)) {
        add(*day, partEnd - start);
      }
      start = partEnd;
    }
  }

  void close(int which) {
    Side& side = sides[which];
    Excursion x = side.current;
    LimitFigures& limit = side.figures;
    const Seconds duration = x.end - x.start;
    ++limit.count;
    limit.total += duration;
    if (!limit.firstStart) {
      limit.firstStart = x.start;
    }
    if (!limit.longestStart || duration > limit.longest) {
      limit.longest = duration;
      limit.longestStart = x.start;
    }
    Seconds raised = x.start;
    if (side.delay < 0) {
      x.alarm = true;
    } else if (side.figures.rule.kind == AlarmKind::Single) {
      x.alarm = duration > side.delay;
      raised = x.start + side.delay;
    } else {
      const Seconds before = side.beyondSoFar;
      x.alarm = before + duration > side.delay;
      raised = x.start + std::max<Seconds>(side.delay - before, 0);
    }
    side.beyondSoFar += duration;
    if (x.alarm) {
      ++limit.alarms;
      if (!limit.alarmAt) {
        limit.alarmAt = raised;
      }
    }
    if (limit.listed.size() < options.listed) {
      limit.listed.push_back(x);
    }
    if (options.journal) {
      const long long lastDay = dayOf(std::max(x.end - 1, x.start));
      for (long long d = dayOf(x.start); d <= lastDay; ++d) {
        if (DayFigures* day = dayAt(d * kSecondsPerDay)) {
          ++day->excursions[which];
          day->alarms[which] += x.alarm ? 1 : 0;
        } else if (d >= firstDay) {
          break;
        }
      }
    }
    side.open = false;
  }

  // The time [start, end) that a reading of `value` stands for.
  // What a series asks for beyond its readings and their time: each costs
  // a look at every reading, so the loop over them is made for the
  // series' own (the window's band statistics ask for none of them).
  enum Feature : unsigned { kLimits = 1, kKinetic = 2, kJournal = 4 };
  unsigned features() const {
    return (sides[0].set || sides[1].set ? kLimits : 0u) | (options.temperature ? kKinetic : 0u) |
           (options.journal ? kJournal : 0u);
  }

  template <unsigned kFeatures = kLimits | kJournal>
  void segment(Seconds start, Seconds end, double value) {
    const Seconds length = end - start;
    f.covered += length;
    if (length > 0) {
      weighted.add(value * static_cast<double>(length));
    }
    if constexpr ((kFeatures & kLimits) == 0) {
      return;
    }
    for (int which = 0; which < 2; ++which) {
      Side& side = sides[which];
      if (!side.set) {
        continue;
      }
      if (!side.beyond(value)) {
        if (side.open) {
          close(which);
        }
        continue;
      }
      if (side.open && side.current.end == start) {
        side.current.end = end;
        side.current.extreme = side.high ? std::max(side.current.extreme, value)
                                         : std::min(side.current.extreme, value);
      } else {
        if (side.open) {
          close(which);
        }
        side.open = true;
        side.current = {start, end, value, false};
      }
      if ((kFeatures & kJournal) != 0 && length > 0) {
        spread(start, end, [which](DayFigures& day, Seconds part) { day.beyond[which] += part; });
      }
    }
  }

  void gap(Seconds start, Seconds end) {
    if (end <= start) {
      return;
    }
    const Seconds length = end - start;
    ++f.gaps;
    f.gapTotal += length;
    if (!f.longestGapStart || length > f.gapLongest) {
      f.gapLongest = length;
      f.longestGapStart = start;
    }
    if (f.listedGaps.size() < options.listed) {
      f.listedGaps.push_back({start, end});
    }
    if (options.journal) {
      spread(start, end, [](DayFigures& day, Seconds part) { day.noData += part; });
    }
  }

  template <unsigned kFeatures = kLimits | kKinetic | kJournal>
  void add(Seconds time, double value) {
    if (!any) {
      gap(w0, time);
      any = true;
      f.first = f.minimumAt = f.maximumAt = time;
      f.minimum = f.maximum = value;
    } else {
      stand<kFeatures>(previousTime, previousValue, std::max(time, previousTime));
    }
    ++f.readings;
    f.last = time;
    sum.add(value);
    if (value < f.minimum) {
      f.minimum = value;
      f.minimumAt = time;
    }
    if (value > f.maximum) {
      f.maximum = value;
      f.maximumAt = time;
    }
    if ((kFeatures & kKinetic) != 0 && options.temperature) {
      kinetic.add(value);
    }
    if ((kFeatures & kJournal) != 0 && options.journal) {
      if (DayFigures* at = dayAt(time)) {
        if (at->readings++ == 0) {
          at->minimum = at->maximum = value;
        } else {
          at->minimum = std::min(at->minimum, value);
          at->maximum = std::max(at->maximum, value);
        }
        daySums[static_cast<std::size_t>(at - f.days.data())].add(value);
      }
    }
    previousTime = std::max(time, previousTime);
    previousValue = value;
  }

  // A reading stands until the next one, for no longer than the threshold,
  // never past the window's end; then the time up to `next` has no data.
  template <unsigned kFeatures = kLimits | kJournal>
  void stand(Seconds time, double value, Seconds next) {
    const Seconds end = std::min({next, time + threshold, w1});
    segment<kFeatures>(time, std::max(end, time), value);
    gap(std::max(end, time), next);
  }

  // The readings from..to of a column, those with a value.
  template <unsigned kFeatures, class ValueOf>
  void addRange(const Seconds* times, std::size_t from, std::size_t to, ValueOf valueOf) {
    for (std::size_t i = from; i < to; ++i) {
      const double value = valueOf(i);
      if (!std::isnan(value)) {
        add<kFeatures>(times[i], value);
      }
    }
  }
  template <class ValueOf>
  void addRange(const Seconds* times, std::size_t from, std::size_t to, ValueOf valueOf) {
    switch (features()) {
      case 0:
        return addRange<0>(times, from, to, valueOf);
      case kLimits:
        return addRange<kLimits>(times, from, to, valueOf);
      case kKinetic:
        return addRange<kKinetic>(times, from, to, valueOf);
      case kLimits | kKinetic:
        return addRange<kLimits | kKinetic>(times, from, to, valueOf);
      default:
        return addRange<kLimits | kKinetic | kJournal>(times, from, to, valueOf);
    }
  }
};

SeriesAccumulator::SeriesAccumulator(Seconds windowStart, Seconds windowEnd, Seconds threshold,
                                     const Limits& limits, const FigureOptions& options)
    : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.w0 = windowStart;
  s.w1 = std::max(windowEnd, windowStart);
  s.threshold = std::max<Seconds>(threshold, 0);
  s.options = options;
  s.f.windowStart = s.w0;
  s.f.windowEnd = s.w1;
  s.f.threshold = s.threshold;
  const std::optional<double>* values[2] = {&limits.low, &limits.high};
  const AlarmRule* rules[2] = {&limits.lowAlarm, &limits.highAlarm};
  for (int which = 0; which < 2; ++which) {
    Side& side = s.sides[which];
    side.set = values[which]->has_value();
    side.high = which == 1;
    side.limit = side.set ? **values[which] : 0;
    const AlarmRule& rule = *rules[which];
    if (rule.delayMinutes && *rule.delayMinutes > 0) {
      side.delay = std::llround(*rule.delayMinutes * 60);
    }
    side.figures.high = side.high;
    side.figures.limit = side.limit;
    side.figures.rule = rule;
  }
  if (options.journal) {
    s.firstDay = dayOf(s.w0);
    const auto days = static_cast<std::size_t>(dayOf(s.w1) - s.firstDay + 1);
    s.f.days.resize(std::min(days, kJournalDays));
    s.daySums.resize(s.f.days.size());
    s.f.daysLeftOut = days - s.f.days.size();
    for (std::size_t i = 0; i < s.f.days.size(); ++i) {
      s.f.days[i].day = s.firstDay + static_cast<long long>(i);
    }
  }
}

SeriesAccumulator::~SeriesAccumulator() = default;
SeriesAccumulator::SeriesAccumulator(SeriesAccumulator&&) noexcept = default;
SeriesAccumulator& SeriesAccumulator::operator=(SeriesAccumulator&&) noexcept = default;

void SeriesAccumulator::add(Seconds time, double value) {
  state_->add(time, value);
}

void SeriesAccumulator::addColumn(const Seconds* times, const ReadingColumn& column,
                                  std::size_t from, std::size_t to) {
  State& s = *state_;
  if (column.inDoubles) {
    const double* doubles = column.doubles.data();
    s.addRange(times, from, to, [doubles](std::size_t i) { return doubles[i]; });
    return;
  }
  const double scale = decimalScale(column.decimals);
  const std::int32_t* scaled = column.scaled.data();
  s.addRange(times, from, to, [scaled, scale](std::size_t i) {
    return scaled[i] == ReadingColumn::kNone ? std::numeric_limits<double>::quiet_NaN()
                                             : scaled[i] / scale;
  });
}

SeriesFigures SeriesAccumulator::finish() {
  State& s = *state_;
  if (s.any) {
    s.stand(s.previousTime, s.previousValue, s.w1);
  } else {
    s.gap(s.w0, s.w1);
  }
  SeriesFigures& f = s.f;
  for (int which = 0; which < 2; ++which) {
    Side& side = s.sides[which];
    if (side.open) {
      s.close(which);
    }
    if (side.set) {
      side.figures.verdict = f.readings == 0       ? Verdict::NoData
                             : side.figures.alarms ? Verdict::Alarm
                                                   : Verdict::Normal;
      (which == 0 ? f.below : f.above) = std::move(side.figures);
    }
  }
  f.noData = f.gapTotal;
  for (std::size_t i = 0; i < s.daySums.size(); ++i) {
    f.days[i].sum = s.daySums[i].value();
  }
  if (f.readings > 0) {
    const bool constant = f.minimum == f.maximum;
    f.mean = constant ? f.minimum : s.sum.value() / f.readings;
    f.timeWeightedMean =
        constant || f.covered == 0 ? f.mean : s.weighted.value() / static_cast<double>(f.covered);
    f.kineticMean = s.options.temperature ? s.kinetic.value() : std::nullopt;
  }
  return std::move(f);
}

SeriesFigures measureSeries(std::vector<std::pair<Seconds, double>> readings, Seconds windowStart,
                            Seconds windowEnd, Seconds threshold, const Limits& limits,
                            const FigureOptions& options) {
  std::stable_sort(readings.begin(), readings.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  SeriesAccumulator accumulator(windowStart, windowEnd, threshold, limits, options);
  for (const auto& [time, value] : readings) {
    if (time >= windowStart && time <= windowEnd) {
      accumulator.add(time, value);
    }
  }
  return accumulator.finish();
}

// ---- the columns of an export ----

namespace {

// The readings of a column gathered from an export whose time stamps are
// out of order, to be put in order before they are measured.
struct Gathered {
  std::vector<std::pair<Seconds, double>> readings;
};

Seconds medianOf(std::vector<std::pair<Seconds, double>>& sorted) {
  std::vector<Seconds> intervals;
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (sorted[i].first > sorted[i - 1].first) {
      intervals.push_back(sorted[i].first - sorted[i - 1].first);
    }
  }
  if (intervals.empty()) {
    return 0;
  }
  const auto middle = intervals.begin() + static_cast<std::ptrdiff_t>((intervals.size() - 1) / 2);
  std::nth_element(intervals.begin(), middle, intervals.end());
  return *middle;
}

}  // namespace

std::vector<SeriesFigures> measureColumns(const ExportReadings& readings,
                                          const ExportSnapshot& snapshot,
                                          const std::vector<SeriesRequest>& requests,
                                          Seconds windowStart, Seconds windowEnd,
                                          std::optional<double> gapMinutes) {
  std::vector<SeriesAccumulator> accumulators;
  std::vector<Gathered> gathered(requests.size());
  for (const SeriesRequest& request : requests) {
    const TimeColumn& times = readings.times.at(readings.columns.at(request.column).time);
    accumulators.emplace_back(windowStart, windowEnd,
                              gapThreshold(times.medianInterval, gapMinutes), request.limits,
                              request.options);
  }
  forEachReadingBlock(readings, snapshot, [&](const ExportReadings& block) {
    // The series of a block are independent: with many readings, half of
    // them go to a second core.
    const auto measure = [&](std::size_t r) {
      const ReadingColumn& column = block.columns[requests[r].column];
      const TimeColumn& times = block.times[column.time];
      const bool ordered = readings.times[column.time].ordered;
      const Seconds* seconds = times.seconds.data();
      std::size_t from = 0;
      std::size_t to = times.seconds.size();
      if (ordered) {
        from = static_cast<std::size_t>(std::lower_bound(seconds, seconds + to, windowStart) -
                                        seconds);
        to = static_cast<std::size_t>(std::upper_bound(seconds, seconds + to, windowEnd) - seconds);
      }
      if (ordered) {
        accumulators[r].addColumn(seconds, column, from, to);
        return;
      }
      for (std::size_t i = from; i < to; ++i) {
        const double value = column.value(i);
        if (!std::isnan(value) && seconds[i] >= windowStart && seconds[i] <= windowEnd) {
          gathered[r].readings.emplace_back(seconds[i], value);
        }
      }
    };
    std::size_t readingsInBlock = 0;
    for (const SeriesRequest& request : requests) {
      readingsInBlock += block.columns[request.column].size();
    }
    constexpr std::size_t kWorthASecondCore = 200'000;
    if (requests.size() < 2 || readingsInBlock < kWorthASecondCore ||
        std::thread::hardware_concurrency() < 2) {
      for (std::size_t r = 0; r < requests.size(); ++r) {
        measure(r);
      }
      return;
    }
    std::exception_ptr failure;
    std::thread second([&] {
      try {
        for (std::size_t r = 1; r < requests.size(); r += 2) {
          measure(r);
        }
      } catch (...) {
        failure = std::current_exception();
      }
    });
    try {
      for (std::size_t r = 0; r < requests.size(); r += 2) {
        measure(r);
      }
    } catch (...) {
      second.join();
      throw;
    }
    second.join();
    if (failure) {
      std::rethrow_exception(failure);
    }
  });
  std::vector<SeriesFigures> figures;
  for (std::size_t r = 0; r < requests.size(); ++r) {
    const ReadingColumn& column = readings.columns[requests[r].column];
    if (!readings.times[column.time].ordered) {
      auto& taken = gathered[r].readings;
      std::stable_sort(taken.begin(), taken.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      Seconds median = readings.times[column.time].medianInterval;
      if (median == 0) {
        median = medianOf(taken);
      }
      accumulators[r] = SeriesAccumulator(windowStart, windowEnd, gapThreshold(median, gapMinutes),
                                          requests[r].limits, requests[r].options);
      for (const auto& [time, value] : taken) {
        accumulators[r].add(time, value);
      }
    }
    figures.push_back(accumulators[r].finish());
  }
  return figures;
}

std::optional<double> meanKineticTemperature(const std::vector<double>& celsius) {
  KineticMean mean;
  for (const double value : celsius) {
    mean.add(value);
  }
  return mean.value();
}

// ---- states and events ----

StateStatistics stateStatistics(std::vector<StateReading> readings, double windowEnd) {
  std::stable_sort(readings.begin(), readings.end(),
                   [](const StateReading& a, const StateReading& b) { return a.time < b.time; });
  StateStatistics s;
  s.readings = static_cast<int>(readings.size());
  if (readings.empty()) {
    return s;
  }
  s.first = readings.front().time;
  s.last = readings.back().time;
  const auto timeOf = [&](const std::string& state) -> StateTime& {
    for (StateTime& time : s.states) {
      if (time.state == state) {
        return time;
      }
    }
    s.states.push_back({state, 0, 0, 0, 0});
    return s.states.back();
  };
  std::size_t start = 0;
  while (start < readings.size()) {
    std::size_t next = start + 1;
    while (next < readings.size() && readings[next].state == readings[start].state) {
      ++next;
    }
    const double end = next < readings.size() ? readings[next].time : std::max(windowEnd, s.last);
    const double duration = std::max(end - readings[start].time, 0.0);
    StateTime& time = timeOf(readings[start].state);
    if (time.entries++ == 0) {
      time.firstStart = readings[start].time;
    }
    time.total += duration;
    time.longest = std::max(time.longest, duration);
    start = next;
  }
  return s;
}

EventCounts countEvents(const std::vector<StateReading>& events) {
  EventCounts counts;
  counts.events = static_cast<int>(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    counts.first = i == 0 ? events[i].time : std::min(counts.first, events[i].time);
    counts.last = i == 0 ? events[i].time : std::max(counts.last, events[i].time);
    auto found = std::find_if(counts.byType.begin(), counts.byType.end(),
                              [&](const auto& type) { return type.first == events[i].state; });
    if (found == counts.byType.end()) {
      counts.byType.emplace_back(events[i].state, 1);
    } else {
      ++found->second;
    }
  }
  return counts;
}

std::vector<StateReading> stateReadingsOf(const ExportReadings& readings,
                                          const ExportSnapshot& snapshot, std::size_t column,
                                          Seconds windowStart, Seconds windowEnd, bool whole) {
  std::vector<StateReading> taken;
  forEachReadingBlock(readings, snapshot, [&](const ExportReadings& block) {
    const ReadingColumn& values = block.columns.at(column);
    const TimeColumn& times = block.times.at(values.time);
    for (std::size_t i = 0; i < times.seconds.size(); ++i) {
      const Seconds time = times.seconds[i];
      if (!whole && (time < windowStart || time > windowEnd)) {
        continue;
      }
      const std::uint32_t text = i < values.texts.size() ? values.texts[i] : kNoText;
      const double number = values.value(i);
      if (text != kNoText) {
        taken.push_back({serialOf(time), block.texts[text]});
      } else if (!std::isnan(number)) {
        // A number among the states: written as the table writes it.
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.15g", number);
        taken.push_back({serialOf(time), decimalComma(shown)});
      }
    }
  });
  return taken;
}

}  // namespace vexa
