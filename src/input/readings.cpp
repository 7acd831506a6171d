#include "input/readings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "input/formats.h"
#include "input/numbers.h"
#include "input/text.h"

namespace vexa {

namespace {

constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int twoDigits(const char* p) {
  return (p[0] - '0') * 10 + (p[1] - '0');
}

// The text before the first comma (empty without one), and after it (the
// whole text without one): head() and remainder() with one look for it.
struct Split {
  std::string_view head;
  std::string_view rest;
};
inline Split split(std::string_view text) {
  const auto* comma = static_cast<const char*>(std::memchr(text.data(), ',', text.size()));
  if (comma == nullptr) {
    return {{}, text};
  }
  const auto at = static_cast<std::size_t>(comma - text.data());
  return {text.substr(0, at), text.substr(at + 1)};
}

// A value as a decimal: its digits as a whole number (the sign included)
// and the places after the point.
struct Decimal {
  long long digits = 0;
  int places = 0;
};

// Eight digit characters as the number they write, the first the highest
// (the bytes of a word loaded from them, lowest first).
inline std::uint32_t eightDigits(std::uint64_t word) {
  word -= 0x3030303030303030ULL;
  word = word * 10 + (word >> 8);
  return static_cast<std::uint32_t>(
      (((word & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
       (((word >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >>
      32);
}

inline std::uint64_t lowBytes(int count) {
  return count >= 8 ? ~0ULL : (1ULL << (8 * count)) - 1;
}

// The usual value ("-12.34", up to eight characters up to the comma after
// it, or to the end of a line's last field) read eight bytes at once:
// `taken` is what it and its comma take. False for anything else.
inline bool readShortValue(std::string_view rest, bool last, Decimal& value, std::size_t& taken) {
  const std::size_t available = rest.size();
  if (available == 0) {
    return false;
  }
  std::uint64_t word = 0;
  if (available >= 8) {
    std::memcpy(&word, rest.data(), 8);
  } else {
    // Gathered in a register: bytes stored one by one and loaded as a word
    // would wait for each other.
    for (std::size_t i = 0; i < available; ++i) {
      word |= std::uint64_t{static_cast<unsigned char>(rest[i])} << (8 * i);
    }
  }
  // Where the field ends: a comma, or past the line (zero bytes there).
  const auto zeros = [](std::uint64_t x) {
    return (x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL;
  };
  const std::uint64_t ends = zeros(word) | zeros(word ^ 0x2C2C2C2C2C2C2C2CULL);
  int length = 8;
  if (ends != 0) {
    length = __builtin_ctzll(ends) / 8;
  } else if (available > 8) {
    return false;  // longer than eight characters
  }
  if (length == 0 || (static_cast<std::size_t>(length) < available && rest[length] != ',') ||
      (last && static_cast<std::size_t>(length) < available)) {
    return false;
  }
  // Bytes that are no digit, among the field's: a leading minus and one point at most.
  const std::uint64_t shifted = word ^ 0x3030303030303030ULL;
  std::uint64_t other = (((shifted & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | shifted) &
                        0x8080808080808080ULL & lowBytes(length);
  const bool negative = rest[0] == '-';
  if (negative) {
    other &= ~0x80ULL;
  }
  int point = -1;
  if (other != 0) {
    point = __builtin_ctzll(other) / 8;
    other &= other - 1;
    if (other != 0 || rest[point] != '.') {
      return false;
    }
  }
  const int digits = length - (negative ? 1 : 0) - (point >= 0 ? 1 : 0);
  if (digits <= 0) {
    return false;
  }
  std::uint64_t packed = word & lowBytes(length);
  if (point >= 0) {
    packed = (packed & lowBytes(point)) | ((packed >> 8) & ~lowBytes(point));
  }
  if (negative) {
    packed >>= 8;
  }
  packed &= lowBytes(digits);
  if (digits < 8) {
    packed = (packed << (8 * (8 - digits))) | (0x3030303030303030ULL & lowBytes(8 - digits));
  }
  // A negative zero ("-0.00", about the freezing point) is held as zero,
  // which it equals: the sign of a zero is no measurement.
  const long long number = eightDigits(packed);
  value.digits = negative ? -number : number;
  value.places = point >= 0 ? length - point - 1 : 0;
  taken = static_cast<std::size_t>(length) + (static_cast<std::size_t>(length) < available ? 1 : 0);
  return true;
}

// The same one character at a time, for up to fifteen digits.
inline bool readPlainValue(std::string_view rest, bool last, Decimal& value, std::size_t& taken) {
  const char* const begin = rest.data();
  const char* const end = begin + rest.size();
  const char* p = begin;
  const bool negative = p != end && *p == '-';
  p += negative ? 1 : 0;
  long long mantissa = 0;
  int digits = 0;
  int decimals = -1;
  for (; p != end && *p != ','; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - '0';
    if (digit <= 9) {
      if (++digits > 15) {
        return false;  // more than a double's digits: the general reader's
      }
      mantissa = mantissa * 10 + digit;
      decimals += decimals >= 0 ? 1 : 0;
    } else if (*p == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return false;
    }
  }
  if (digits == 0 || (last && p != end)) {
    return false;
  }
  value.digits = negative ? -mantissa : mantissa;
  value.places = decimals < 0 ? 0 : decimals;
  taken = static_cast<std::size_t>(p - begin) + (p != end ? 1 : 0);
  return true;
}

// A whole field into a column: the usual forms as decimals, anything else
// by the general reader.
inline void addField(ReadingColumn& column, std::string_view field) {
  Decimal value;
  std::size_t taken = 0;
  if (field.find(',') == std::string_view::npos &&
      (readShortValue(field, true, value, taken) || readPlainValue(field, true, value, taken))) {
    column.addDecimal(value.digits, value.places);
    return;
  }
  double number = 0;
  column.addDouble(tryParseReadingValue(field, number) ? number : kNoNumber);
}

// The date of the line before, read once for all the lines of a day.
struct DateCache {
  char text[10] = {};
  long long days = 0;
  bool valid = false;

  bool daysOf(std::string_view date, long long& out) {
    if (date.size() == sizeof text && valid && std::memcmp(date.data(), text, sizeof text) == 0) {
      out = days;
      return true;
    }
    if (!tryParseDate(date, out)) {
      return false;
    }
    if (date.size() == sizeof text) {
      std::memcpy(text, date.data(), sizeof text);
      days = out;
      valid = true;
    }
    return true;
  }
};

// "2021-01-02T10:20:30+03:00" or "2021-01-02 10:20:30", the forms the
// exports write, read without copies; false for anything else (which the
// general reader then takes).
bool readPlainStamp(std::string_view field, DateCache& dates, Seconds& out) {
  const std::size_t n = field.size();
  if (!(n == 19 || (n == 25 && field.substr(19) == "+03:00"))) {
    return false;
  }
  const char* p = field.data();
  if (p[4] != '-' || p[7] != '-' || (p[10] != 'T' && p[10] != ' ') || p[13] != ':' ||
      p[16] != ':') {
    return false;
  }
  for (const int at : {11, 12, 14, 15, 17, 18}) {
    if (!isDigit(p[at])) {
      return false;
    }
  }
  long long days = 0;
  if (!dates.daysOf(field.substr(0, 10), days)) {
    return false;
  }
  const int hour = twoDigits(p + 11);
  const int minute = twoDigits(p + 14);
  const int second = twoDigits(p + 17);
  if (hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  out = secondsOf(days, hour * 3600 + minute * 60 + second);
  return true;
}

// The time stamp of a climate-family line, as the report's table holds it:
// every "T" a blank, "+03:00" deleted, quotes deleted; and the rest of the
// line after it.
bool climateStamp(std::string_view line, DateCache& dates, Seconds& out, std::string_view& rest) {
  // The exports' own two forms end where they must: no need to look for the comma.
  for (const std::size_t length : {std::size_t{25}, std::size_t{19}}) {
    if (line.size() > length && line[length] == ',' &&
        readPlainStamp(line.substr(0, length), dates, out)) {
      rest = line.substr(length + 1);
      return true;
    }
  }
  const Split fields = split(line);
  rest = fields.rest;
  return readPlainStamp(fields.head, dates, out) ||
         tryParseStampSeconds(unquote(normaliseTimeStamp(line)), out);
}

// Counts the intervals between consecutive time stamps: a run of equal
// intervals (the usual export) costs no more than a comparison.
class IntervalTally {
 public:
  void add(Seconds time, TimeColumn& column) {
    if (any_) {
      if (time < last_) {
        column.ordered = false;
      } else if (time > last_) {
        const Seconds interval = time - last_;
        if (interval == run_) {
          ++runCount_;
        } else {
          flush();
          run_ = interval;
          runCount_ = 1;
        }
      }
    }
    any_ = true;
    last_ = time;
  }
  // The lower median of the intervals counted.
  Seconds median() {
    flush();
    std::vector<std::pair<Seconds, std::uint64_t>> sorted(counts_.begin(), counts_.end());
    std::sort(sorted.begin(), sorted.end());
    std::uint64_t total = 0;
    for (const auto& entry : sorted) {
      total += entry.second;
    }
    std::uint64_t seen = 0;
    for (const auto& [interval, count] : sorted) {
      seen += count;
      if (seen * 2 >= total) {
        return interval;
      }
    }
    return 0;
  }

 private:
  void flush() {
    if (runCount_ > 0) {
      counts_[run_] += runCount_;
      runCount_ = 0;
    }
  }
  bool any_ = false;
  Seconds last_ = 0;
  Seconds run_ = 0;
  std::uint64_t runCount_ = 0;
  std::unordered_map<Seconds, std::uint64_t> counts_;
};

// The lower median of the positive intervals of time stamps in any order.
Seconds medianOfUnordered(std::vector<Seconds> stamps) {
  std::sort(stamps.begin(), stamps.end());
  std::vector<Seconds> intervals;
  for (std::size_t i = 1; i < stamps.size(); ++i) {
    if (stamps[i] > stamps[i - 1]) {
      intervals.push_back(stamps[i] - stamps[i - 1]);
    }
  }
  if (intervals.empty()) {
    return 0;
  }
  const auto middle = intervals.begin() + static_cast<std::ptrdiff_t>((intervals.size() - 1) / 2);
  std::nth_element(intervals.begin(), middle, intervals.end());
  return *middle;
}

// A motion event's type as the report's table writes it.
std::string eventType(std::string_view field) {
  std::string type = unquote(field);
  replaceAllIn(type, "Armed", "Включён");
  replaceAllIn(type, "Moved", "Сдвиг");
  replaceAllIn(type, "Disarmed", "Выключен");
  return std::string(trimSpaces(type));
}

}  // namespace

struct ReadingCollector::Parser {
  std::size_t budget = 0;
  std::size_t totalLines = 0;
  ExportReadings out;
  int pairs = 0;
  bool hold = true;
  std::size_t heldBytes = 0;
  std::vector<IntervalTally> tallies;
  DateCache dates;
  std::string scratch;
  std::unordered_map<std::string, std::uint32_t> textIndex;
  // Streaming a block at a time.
  std::size_t blockLines = 0;
  BlockConsumer consumer;
  std::size_t inBlock = 0;

  void reset() {
    out = ExportReadings();
    pairs = 0;
    hold = true;
    heldBytes = 0;
    tallies.clear();
    dates = DateCache();
    textIndex.clear();
    inBlock = 0;
  }

  std::uint32_t textId(std::string_view text) {
    // Few distinct texts: a look along them beats hashing a copy.
    if (out.texts.size() <= 8) {
      for (std::size_t i = 0; i < out.texts.size(); ++i) {
        if (out.texts[i] == text) {
          return static_cast<std::uint32_t>(i);
        }
      }
      if (out.texts.size() < 8) {
        out.texts.emplace_back(text);
        return static_cast<std::uint32_t>(out.texts.size() - 1);
      }
      for (std::size_t i = 0; i < out.texts.size(); ++i) {
        textIndex.emplace(out.texts[i], static_cast<std::uint32_t>(i));
      }
    }
    const auto [found, added] =
        textIndex.emplace(std::string(text), static_cast<std::uint32_t>(out.texts.size()));
    if (added) {
      out.texts.emplace_back(text);
    }
    return found->second;
  }

  void header(std::string_view line) {
    out.count = recogniseHeader(line);
    std::size_t timeColumns = 1;
    std::size_t valueColumns = 0;
    switch (out.count) {
      case kClimate:
        valueColumns = 3;
        break;
      case kTemperature:
        valueColumns = 2;
        break;
      case kClimateLight:
        valueColumns = 4;
        break;
      case kPairedNumeric:
        pairs = CountPos("Time", line);
        timeColumns = valueColumns = static_cast<std::size_t>(std::max(pairs, 0));
        break;
      case kMotionEvents:
        valueColumns = 1;
        break;
      default:
        timeColumns = 0;
    }
    out.times.resize(timeColumns);
    tallies.resize(timeColumns);
    for (std::size_t c = 0; c < valueColumns; ++c) {
      out.columns.emplace_back().time = out.count == kPairedNumeric ? c : 0;
    }
    if (totalLines > 0) {
      expect(totalLines);
    }
  }

  // Room for the columns of so many lines, when they fit the budget: no
  // column grows by copies then.
  void expect(std::size_t lines) {
    if (consumer != nullptr || !hold || out.times.empty()) {
      return;
    }
    // An export whose readings will not fit is not held from the start:
    // memory stays as small as it would have been without them.
    const std::size_t bytesPerLine =
        out.times.size() * sizeof(Seconds) + out.columns.size() * sizeof(std::int32_t);
    if (lines * bytesPerLine > budget) {
      grew(budget + 1);
      return;
    }
    if (isClimateFamily(out.count)) {
      out.times[0].seconds.reserve(lines);
      for (ReadingColumn& column : out.columns) {
        column.scaled.reserve(lines);
      }
    }
  }

  // Past the budget nothing more is held: what was is given back.
  void grew(std::size_t bytes) {
    heldBytes += bytes;
    if (consumer == nullptr && heldBytes > budget) {
      hold = false;
      for (TimeColumn& time : out.times) {
        std::vector<Seconds>().swap(time.seconds);
      }
      for (ReadingColumn& column : out.columns) {
        column.clear();
        column.scaled.shrink_to_fit();
        column.doubles.shrink_to_fit();
        column.texts.shrink_to_fit();
      }
    }
  }

  void addTime(std::size_t column, Seconds time) {
    TimeColumn& times = out.times[column];
    ++times.count;
    if (consumer == nullptr) {
      tallies[column].add(time, times);
    }
    if (hold) {
      times.seconds.push_back(time);
    }
  }

  void climateLine(std::size_t index, std::string_view line) {
    Seconds time = 0;
    std::string_view rest;
    if (!climateStamp(line, dates, time, rest)) {
      ++out.unreadableLines;
      out.lastLineTime.reset();
      return;
    }
    if (index == 1) {
      out.firstLineTime = time;
    }
    out.lastLineTime = time;  // until a later line comes
    addTime(0, time);
    if (!hold) {
      return;
    }
    const std::size_t columns = out.columns.size();
    std::size_t bytes = sizeof(Seconds);
    for (std::size_t c = 0; c < columns; ++c) {
      ReadingColumn& column = out.columns[c];
      const bool last = c + 1 == columns;
      Decimal value;
      std::size_t taken = 0;
      if (readShortValue(rest, last, value, taken) || readPlainValue(rest, last, value, taken)) {
        column.addDecimal(value.digits, value.places);
        rest.remove_prefix(taken);
      } else {
        const Split field = split(rest);
        addField(column, last ? rest : field.head);
        rest = field.rest;
      }
      bytes += column.bytesPerValue();
    }
    grew(bytes);
  }

  void pairedLine(std::string_view line) {
    const std::string_view date = head(line);
    bool unreadable = false;
    walkPairedLine(line, pairs, [&](int p, const PairFields& pair) {
      if (pair.time.empty()) {
        return;
      }
      long long days = 0;
      int second = 0;
      Seconds time = 0;
      if (dates.daysOf(date, days) && date.size() == 10 && tryParseTimeOfDay(pair.time, second)) {
        time = secondsOf(days, second);
      } else {
        std::string stamp(date);
        stamp.push_back(' ');
        stamp.append(pair.time);
        if (!tryParseStampSeconds(stamp, time)) {
          unreadable = true;
          return;
        }
      }
      const auto column = static_cast<std::size_t>(p - 1);
      addTime(column, time);
      if (!hold) {
        return;
      }
      std::string_view value = pair.value;
      if (pair.last && value.find(',') != std::string_view::npos) {
        scratch = withoutCommas(value);
        value = scratch;
      }
      ReadingColumn& values = out.columns[column];
      const std::size_t before = values.size();
      addField(values, value);
      std::uint32_t text = kNoText;
      if (std::isnan(values.value(before))) {
        const std::string_view state = trimSpaces(value);
        if (!state.empty()) {
          text = textId(decimalComma(state));
        }
      }
      values.texts.push_back(text);
      grew(sizeof(Seconds) + values.bytesPerValue() + sizeof(std::uint32_t));
    });
    if (unreadable) {
      ++out.unreadableLines;
    }
  }

  void motionLine(std::string_view line) {
    const std::string_view rest = remainder(line);
    long long days = 0;
    int second = 0;
    double day = 0;
    bool dateRead = false;
    try {
      day = parseMonthDayYear(unquote(head(line)));
      dateRead = true;
    } catch (const DateTimeConversionError&) {
    }
    if (!dateRead || !tryParseTimeOfDay(unquote(head(rest)), second)) {
      ++out.unreadableLines;
      return;
    }
    days = static_cast<long long>(day);
    addTime(0, secondsOf(days, second));
    if (!hold) {
      return;
    }
    out.columns[0].addNone();
    out.columns[0].texts.push_back(textId(eventType(head(remainder(rest)))));
    grew(sizeof(Seconds) + out.columns[0].bytesPerValue() + sizeof(std::uint32_t));
  }

  void line(std::size_t index, std::string_view text) {
    if (index == 0) {
      header(text);
      return;
    }
    ++out.dataLines;
    switch (out.count) {
      case kClimate:
      case kTemperature:
      case kClimateLight:
        climateLine(index, text);
        break;
      case kPairedNumeric:
        pairedLine(text);
        break;
      case kMotionEvents:
        motionLine(text);
        break;
      default:
        return;
    }
    if (consumer != nullptr && ++inBlock >= blockLines) {
      flushBlock();
    }
  }

  void flushBlock() {
    out.held = true;
    consumer(out);
    for (TimeColumn& time : out.times) {
      time.seconds.clear();
      time.count = 0;
    }
    for (ReadingColumn& column : out.columns) {
      column.clear();
    }
    inBlock = 0;
  }
};

double ReadingColumn::value(std::size_t i) const {
  if (inDoubles) {
    return doubles[i];
  }
  const std::int32_t v = scaled[i];
  return v == kNone ? kNoNumber : v / decimalScale(decimals);
}

void ReadingColumn::addOtherDecimal(long long digits, int places) {
  static constexpr long long kWhole[] = {1,
                                         10,
                                         100,
                                         1000,
                                         10000,
                                         100000,
                                         1000000,
                                         10000000,
                                         100000000,
                                         1000000000,
                                         10000000000,
                                         100000000000,
                                         1000000000000,
                                         10000000000000,
                                         100000000000000,
                                         1000000000000000};
  if (!inDoubles && places > decimals) {
    // A value with more places: every value so far takes them too.
    const long long factor = kWhole[places - decimals];
    const bool fits = std::all_of(scaled.begin(), scaled.end(), [&](std::int32_t v) {
      return v == kNone || std::llabs(v) <= (INT32_MAX - 1) / factor;
    });
    if (fits) {
      for (std::int32_t& v : scaled) {
        v = v == kNone ? kNone : static_cast<std::int32_t>(v * factor);
      }
      decimals = places;
    } else {
      toDoubles();
    }
  }
  if (!inDoubles) {
    const long long factor = kWhole[decimals - places];
    if (std::llabs(digits) <= (INT32_MAX - 1) / factor) {
      scaled.push_back(static_cast<std::int32_t>(digits * factor));
      return;
    }
    toDoubles();
  }
  doubles.push_back(static_cast<double>(digits) / decimalScale(places));
}

void ReadingColumn::addNone() {
  if (inDoubles) {
    doubles.push_back(kNoNumber);
  } else {
    scaled.push_back(kNone);
  }
}

void ReadingColumn::addDouble(double value) {
  if (std::isnan(value)) {
    addNone();
    return;
  }
  if (!inDoubles) {
    toDoubles();
  }
  doubles.push_back(value);
}

void ReadingColumn::clear() {
  scaled.clear();
  doubles.clear();
  texts.clear();
  decimals = 0;
  inDoubles = false;
}

void ReadingColumn::toDoubles() {
  doubles.reserve(std::max(scaled.capacity(), scaled.size() + 1));
  for (std::size_t i = 0; i < scaled.size(); ++i) {
    doubles.push_back(value(i));
  }
  std::vector<std::int32_t>().swap(scaled);
  inDoubles = true;
}

ReadingCollector::ReadingCollector(std::size_t budgetBytes)
    : parser_(std::make_unique<Parser>()), budget_(budgetBytes) {}

ReadingCollector::~ReadingCollector() = default;

void ReadingCollector::begin(std::size_t totalLines) {
  parser_->reset();
  parser_->budget = budget_;
  parser_->totalLines = totalLines;
}

void ReadingCollector::expect(std::size_t lines) {
  parser_->expect(lines);
}

void ReadingCollector::line(std::size_t index, std::string_view text) {
  parser_->line(index, text);
}

void ReadingCollector::streamBlocks(std::size_t blockLines, BlockConsumer consumer) {
  parser_->blockLines = std::max<std::size_t>(blockLines, 1);
  parser_->consumer = std::move(consumer);
}

ExportReadings ReadingCollector::finish() {
  Parser& p = *parser_;
  if (p.consumer != nullptr) {
    if (p.inBlock > 0) {
      p.flushBlock();
    }
    return {};
  }
  p.out.held = p.hold;
  for (std::size_t c = 0; c < p.out.times.size(); ++c) {
    TimeColumn& time = p.out.times[c];
    if (time.ordered) {
      time.medianInterval = p.tallies[c].median();
    } else if (p.hold) {
      time.medianInterval = medianOfUnordered(time.seconds);
    }
  }
  return std::move(p.out);
}

ExportReadings readingsOfLines(const std::vector<std::string>& lines) {
  ReadingCollector collector;
  collector.begin(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    collector.line(i, lines[i]);
  }
  return collector.finish();
}

void forEachReadingBlock(const ExportReadings& readings, const ExportSnapshot& snapshot,
                         const ReadingCollector::BlockConsumer& consumer) {
  if (readings.held) {
    consumer(readings);
    return;
  }
  constexpr std::size_t kBlockLines = 1 << 16;  // a megabyte or so of readings a block
  ReadingCollector collector;
  collector.streamBlocks(kBlockLines, consumer);
  rereadExportLines(snapshot, collector);
  collector.finish();
}

}  // namespace vexa
