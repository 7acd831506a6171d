// Every reading of an export, whatever Open thins for the table and the
// chart: the summary of a report and the window's band statistics are
// worked out from these, never from the lines kept.
//
// Open reads each line once anyway; while it keeps every k-th line, the
// collector here reads every line's time stamp and values into compact
// columns (time stamps as seconds, values as doubles). An export whose
// columns would pass the memory budget keeps only what tells its time
// stamps apart (their order and their usual interval); its readings are
// then read from the file once more, block by block, when a summary needs
// them.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/datetime.h"
#include "input/loading.h"

namespace vexa {

// The columns of the largest export kept in memory: beyond it, its
// readings are read again from the file.
inline constexpr std::size_t kReadingBudgetBytes = std::size_t{256} << 20;

inline constexpr std::uint32_t kNoText = 0xFFFFFFFFu;

// The time stamps of readings: the one time stamp of a climate-family line,
// or the times of one paired-column series.
struct TimeColumn {
  std::vector<Seconds> seconds;  // in the order of the file (held within the budget)
  std::size_t count = 0;         // readings, held or not
  bool ordered = true;           // never earlier than the one before
  // The usual time between two readings: the median of the intervals
  // between consecutive time stamps in time order, repeated stamps left
  // out; 0 when there is none. Unknown (0) for an export beyond the budget
  // whose stamps are out of order.
  Seconds medianInterval = 0;
};

// 10^places, exactly, for the places a decimal value has (0 to 15).
inline double decimalScale(int places) {
  static constexpr double kScales[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  return kScales[places];
}

// The values of one series of the export, one per time stamp of its time
// column. While every value is a decimal that fits, they are held as whole
// numbers of a common scale (value = scaled / 10^decimals, exactly the
// double the text reads as), else as doubles.
struct ReadingColumn {
  static constexpr std::int32_t kNone = INT32_MIN;

  std::size_t time = 0;  // its TimeColumn
  std::vector<std::int32_t> scaled;
  int decimals = 0;
  bool inDoubles = false;
  std::vector<double> doubles;       // NaN: no number
  std::vector<std::uint32_t> texts;  // paired columns, motion events: the text, or kNoText

  std::size_t size() const { return inDoubles ? doubles.size() : scaled.size(); }
  // The value of reading i; NaN when it has none.
  double value(std::size_t i) const;
  // A decimal `digits` / 10^`places` (places up to 15), or none.
  void addDecimal(long long digits, int places) {
    // The usual value: no more places than the column's, and it fits.
    if (!inDoubles && places <= decimals) {
      static constexpr long long kWhole[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
      const int more = decimals - places;
      if (more < 8 && digits > -kLargest && digits < kLargest) {
        const long long value = digits * kWhole[more];
        if (value > -kLargest && value < kLargest) {
          scaled.push_back(static_cast<std::int32_t>(value));
          return;
        }
      }
    }
    addOtherDecimal(digits, places);
  }
  void addNone();
  void addDouble(double value);  // NaN: none
  void clear();
  std::size_t bytesPerValue() const { return inDoubles ? sizeof(double) : sizeof(std::int32_t); }

 private:
  static constexpr long long kLargest = INT32_MAX;
  void addOtherDecimal(long long digits, int places);
  void toDoubles();
};

struct ExportReadings {
  int count = 0;      // the layout as the header line gives it (100 for both paired ones)
  bool held = false;  // the columns hold every reading
  std::vector<TimeColumn> times;
  // The series in the order of the line: the climate family's value columns
  // (temperature, humidity, light, battery as the layout has them), a
  // paired column's pairs, the events of a motion log.
  std::vector<ReadingColumn> columns;
  std::vector<std::string> texts;  // state words and event types, once each
  std::size_t dataLines = 0;
  std::size_t unreadableLines = 0;  // data lines without a time stamp that reads
  // The climate family's time stamps of the file's first data line and of
  // its last line, when they read: the export's span however it is thinned.
  std::optional<Seconds> firstLineTime;
  std::optional<Seconds> lastLineTime;
};

// Reads every line of an export into an ExportReadings. As a LineSink it
// takes Open's pass; blocks() gives the readings of a second pass a block
// of lines at a time.
class ReadingCollector final : public LineSink {
 public:
  explicit ReadingCollector(std::size_t budgetBytes = kReadingBudgetBytes);
  ~ReadingCollector() override;

  void begin(std::size_t totalLines) override;
  void expect(std::size_t lines) override;
  void line(std::size_t index, std::string_view text) override;

  // The readings collected, with each time column's order and interval.
  ExportReadings finish();

  // Instead of holding every reading: `consumer` gets the readings of every
  // `blockLines` lines, and the columns start empty again.
  using BlockConsumer = std::function<void(const ExportReadings& block)>;
  void streamBlocks(std::size_t blockLines, BlockConsumer consumer);

 private:
  struct Parser;
  std::unique_ptr<Parser> parser_;
  std::size_t budget_;
};

// The readings of lines already in memory, header first (an export read
// without Open's pass: every line counts).
ExportReadings readingsOfLines(const std::vector<std::string>& lines);

// The readings of an export, a block at a time, in the order of the file:
// the held columns at once, or the export read again from its snapshot.
// Raises FileReadError when the file changed since Open read it.
void forEachReadingBlock(const ExportReadings& readings, const ExportSnapshot& snapshot,
                         const ReadingCollector::BlockConsumer& consumer);

}  // namespace vexa
