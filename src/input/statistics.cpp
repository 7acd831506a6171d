#include "input/statistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "input/text.h"

namespace vexa {

namespace {

constexpr double kAbsoluteZero = -273.15;
// ΔH/R for storage: 83.144 kJ/mol over the gas constant, 10 000 K.
constexpr double kActivationOverGas = 10000.0;

bool byTime(const Reading& a, const Reading& b) {
  return a.time < b.time;
}

// The excursions of time-ordered readings beyond a limit (`beyond` tells
// which readings are beyond it).
template <class Beyond>
Excursions excursionsOf(const std::vector<Reading>& ordered, double windowStart, double windowEnd,
                        Beyond beyond) {
  Excursions result;
  bool inRun = false;
  double start = 0;
  const auto close = [&](double end) {
    const double duration = std::max(end - start, 0.0);
    result.total += duration;
    if (!result.longestStart || duration > result.longest) {
      result.longest = duration;
      result.longestStart = start;
    }
    inRun = false;
  };
  for (const Reading& reading : ordered) {
    const bool out = beyond(reading.value);
    if (out && !inRun) {
      inRun = true;
      start = reading.time;
      ++result.count;
      if (!result.firstStart) {
        result.firstStart = start;
      }
    } else if (!out && inRun) {
      close(reading.time);
    }
  }
  if (inRun) {
    close(ordered.empty() ? windowEnd : std::max(windowEnd, ordered.back().time));
  }
  if (windowEnd > windowStart) {
    result.share = result.total / (windowEnd - windowStart);
  }
  return result;
}

}  // namespace

double hoursOf(double days) {
  return std::round(days * 86400) / 3600;
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

std::optional<double> meanKineticTemperature(const std::vector<double>& celsius) {
  if (celsius.empty()) {
    return std::nullopt;
  }
  // -ΔH/(R·T) of each reading, summed as exponentials from the largest, so
  // that nothing underflows whatever the temperatures.
  std::vector<double> exponents;
  exponents.reserve(celsius.size());
  double largest = -std::numeric_limits<double>::infinity();
  for (const double value : celsius) {
    if (!(value > kAbsoluteZero)) {
      return std::nullopt;
    }
    exponents.push_back(-kActivationOverGas / (value - kAbsoluteZero));
    largest = std::max(largest, exponents.back());
  }
  double sum = 0;
  for (const double exponent : exponents) {
    sum += std::exp(exponent - largest);
  }
  const double logMean = largest + std::log(sum / static_cast<double>(celsius.size()));
  return -kActivationOverGas / logMean + kAbsoluteZero;
}

MeasurementStatistics measure(std::vector<Reading> readings, double windowStart, double windowEnd,
                              bool temperature, const Limits& limits) {
  if (!std::is_sorted(readings.begin(), readings.end(), byTime)) {  // the table's are
    std::stable_sort(readings.begin(), readings.end(), byTime);
  }
  MeasurementStatistics s;
  s.readings = static_cast<int>(readings.size());
  if (limits.low) {
    const double low = *limits.low;
    s.below = excursionsOf(readings, windowStart, windowEnd, [low](double v) { return v < low; });
  }
  if (limits.high) {
    const double high = *limits.high;
    s.above = excursionsOf(readings, windowStart, windowEnd, [high](double v) { return v > high; });
  }
  if (readings.empty()) {
    return s;
  }
  s.first = readings.front().time;
  s.last = readings.back().time;
  s.minimum = s.maximum = readings.front().value;
  s.minimumAt = s.maximumAt = readings.front().time;
  double sum = 0;
  double weighted = 0;
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const Reading& r = readings[i];
    sum += r.value;
    if (r.value < s.minimum) {
      s.minimum = r.value;
      s.minimumAt = r.time;
    }
    if (r.value > s.maximum) {
      s.maximum = r.value;
      s.maximumAt = r.time;
    }
    if (i + 1 < readings.size()) {
      weighted += r.value * (readings[i + 1].time - r.time);
    }
  }
  s.mean = sum / static_cast<double>(readings.size());
  s.timeWeightedMean = s.last > s.first ? weighted / (s.last - s.first) : s.mean;
  if (temperature) {
    std::vector<double> values;
    values.reserve(readings.size());
    for (const Reading& r : readings) {
      values.push_back(r.value);
    }
    s.kineticMean = meanKineticTemperature(values);
  }
  return s;
}

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

}  // namespace vexa
