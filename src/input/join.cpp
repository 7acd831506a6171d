#include "input/join.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/loading.h"
#include "input/messages.h"
#include "input/text.h"
#include "platform/files.h"

namespace vexa {

namespace fs = std::filesystem;

namespace {

// The time a line stands for, on the line of seconds, as its layout writes
// it: the climate family's "Date/Time" field, the motion log's date and
// time, a paired-column line's date and its first time. False when the line
// has none that reads.
bool stampOf(int layout, std::string_view line, Seconds& seconds) {
  if (isClimateFamily(layout)) {
    // "2021-01-11T00:00:00+03:00": the "T" a blank, the zone "+03:00" gone,
    // as Open reads it.
    std::string_view field = trimSpaces(head(line));
    if (field.ends_with("+03:00")) {
      field.remove_suffix(6);
    }
    char stamp[32];
    if (field.size() >= sizeof stamp) {
      return false;
    }
    std::replace_copy(field.begin(), field.end(), stamp, 'T', ' ');
    return tryParseStampSeconds(std::string_view(stamp, field.size()), seconds);
  }
  const std::string_view date = trimSpaces(head(line));
  std::string_view rest = remainder(line);
  std::string_view time = trimSpaces(head(rest));
  if (isPairedColumns(layout)) {
    // The first pair whose time is given.
    while (time.empty() && rest.find(',') != std::string_view::npos) {
      rest = remainder(remainder(rest));
      time = trimSpaces(head(rest));
    }
    long long days = 0;
    int second = 0;
    if (!tryParseDate(date, days) || !tryParseTimeOfDay(time, second)) {
      return false;
    }
    seconds = secondsOf(days, second);
    return true;
  }
  int second = 0;
  try {
    const double day = parseMonthDayYear(date);
    if (!tryParseTimeOfDay(time, second)) {
      return false;
    }
    seconds = secondsOfSerial(day) + second;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Where one line of one file lies in that file's part, and its time.
struct Placed {
  Seconds time = 0;
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  std::uint16_t file = 0;
  bool timed = false;  // false: no time reads; it follows the line before it
};

// Receives every line of one export: the header kept, each other line
// written to the file's part and placed.
class PartWriter final : public LineSink {
 public:
  PartWriter(const std::string& partPath, std::uint16_t file, std::vector<Placed>& placed)
      : path_(partPath), file_(file), placed_(placed), first_(placed.size()) {}

  void begin(std::size_t) override {
    // A file read again (it changed meanwhile) starts its part again.
    if (placed_.size() > first_) {
      placed_.resize(first_);  // this file's lines are the last ones placed
    }
    first_ = placed_.size();
    out_.close();
    out_.clear();
    out_.open(platform::pathOf(path_), std::ios::binary | std::ios::trunc);
    offset_ = 0;
    header.clear();
    layout = kUnknownFormat;
    last_ = std::numeric_limits<Seconds>::min();
  }

  void line(std::size_t index, std::string_view text) override {
    if (index == 0) {
      header = std::string(text);
      layout = recogniseHeader(text);
      return;
    }
    if (layout == kUnknownFormat || text.empty()) {
      return;
    }
    Placed p;
    p.file = file_;
    p.offset = offset_;
    p.length = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), UINT32_MAX));
    p.timed = stampOf(layout, text, p.time);
    if (!p.timed) {
      p.time = last_;
    }
    last_ = p.time;
    placed_.push_back(p);
    out_.write(text.data(), p.length);
    offset_ += p.length;
  }

  void finish() {
    out_.close();
    if (!out_) {
      throw FileReadError(path_, "не удалось записать временный файл");
    }
  }

  std::string header;
  int layout = kUnknownFormat;

 private:
  std::string path_;
  std::uint16_t file_;
  std::vector<Placed>& placed_;
  std::ofstream out_;
  std::uint64_t offset_ = 0;
  Seconds last_ = std::numeric_limits<Seconds>::min();
  std::size_t first_ = 0;  // where this file's lines begin among the placed
};

// Reads placed lines back from the files' parts, in whatever order.
class PartReader {
 public:
  explicit PartReader(const std::vector<std::string>& parts) {
    for (const std::string& part : parts) {
      auto& in = files_.emplace_back(platform::pathOf(part), std::ios::binary);
      if (!in) {
        throw FileReadError(part, "не удалось прочитать временный файл");
      }
      at_.push_back(0);
    }
  }
  const std::string& text(const Placed& p) {
    std::ifstream& in = files_[p.file];
    if (at_[p.file] != p.offset) {
      in.seekg(static_cast<std::streamoff>(p.offset));
    }
    buffer_.resize(p.length);
    in.read(buffer_.data(), p.length);
    at_[p.file] = p.offset + p.length;
    return buffer_;
  }

 private:
  std::vector<std::ifstream> files_;
  std::vector<std::uint64_t> at_;
  std::string buffer_;
};

std::string fileLabel(const std::string& file) {
  return std::string(platform::fileNameOf(file));
}

}  // namespace

std::string joinedExportName(const std::string& firstFile) {
  const std::string name = fileLabel(firstFile);
  const std::string stem = stemOf(firstFile);
  const std::string extension = name.substr(std::min(name.size(), stem.size()));
  return stem + "-объединение" + (extension.empty() ? std::string(".csv") : extension);
}

JoinedExport joinExports(const std::vector<std::string>& files, const std::string& folder,
                         const std::string& name) {
  if (files.size() > UINT16_MAX) {
    throw JoinRefused("Объединить можно не больше " + std::to_string(UINT16_MAX) + " выгрузок.");
  }
  JoinedExport joined;
  std::vector<Placed> placed;
  std::vector<std::string> parts;
  std::vector<std::string> readable;  // the files' names, by part
  std::string firstFile;
  int layout = kUnknownFormat;
  bool stateWords = false;
  for (const std::string& file : files) {
    if (isRefusedName(platform::absoluteText(file))) {
      joined.leftOut.push_back(file + ": " + std::string(kRefusedNameMessage));
      continue;
    }
    const auto index = static_cast<std::uint16_t>(parts.size());
    const std::string part =
        platform::textOf(platform::pathOf(folder) / ("part-" + std::to_string(index) + ".txt"));
    const std::size_t placedBefore = placed.size();
    PartWriter writer(part, index, placed);
    LoadedLines loaded;
    try {
      loaded = loadExportLines(file, kMaxLines, {}, &writer);
      writer.finish();
    } catch (const std::exception& error) {
      placed.resize(placedBefore);
      joined.leftOut.push_back(file + ": " + messageOf(error));
      continue;
    }
    if (writer.layout == kUnknownFormat) {
      joined.leftOut.push_back(file + ": " + std::string(kUnknownFormatMessage));
      placed.resize(placedBefore);
      continue;
    }
    const bool states = writer.layout == kPairedNumeric && containsStateWord(loaded.lines);
    if (parts.empty()) {
      layout = writer.layout;
      stateWords = states;
      joined.layout = writer.header;
      firstFile = file;
    } else {
      const bool same =
          writer.layout == layout && states == stateWords &&
          (!isPairedColumns(layout) || trimSpaces(writer.header) == trimSpaces(joined.layout));
      if (!same) {
        throw JoinRefused("Файл «" + fileLabel(file) + "» — выгрузка другого вида, чем «" +
                          fileLabel(firstFile) +
                          "»: объединяются только выгрузки одного тега одного вида.");
      }
    }
    parts.push_back(part);
    readable.push_back(file);
  }
  if (parts.empty()) {
    throw JoinRefused("Ни одну из выгрузок прочитать не удалось: объединять нечего.");
  }
  joined.joined = readable;

  // Time order; among lines of one time, the files in their order, each
  // file's lines as they stood.
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.time < b.time; });

  PartReader reader(parts);
  joined.path = platform::textOf(platform::pathOf(folder) / platform::pathOf(name));
  std::ofstream out(platform::pathOf(joined.path), std::ios::binary | std::ios::trunc);
  out << joined.layout << '\n';
  std::string kept;
  for (std::size_t i = 0; i < placed.size();) {
    // The lines of one time from several files: the last file's stand.
    std::size_t end = i + 1;
    while (end < placed.size() && placed[end].time == placed[i].time && placed[i].timed &&
           placed[end].timed) {
      ++end;
    }
    const std::uint16_t winner = placed[end - 1].file;
    if (placed[i].file != winner) {
      ++joined.repeatedStamps;
      // The winner's lines of this time, against each line left out.
      std::vector<std::string> winning;
      for (std::size_t k = i; k < end; ++k) {
        if (placed[k].file == winner) {
          winning.push_back(reader.text(placed[k]));
        }
      }
      bool differs = false;
      for (std::size_t k = i; k < end && !differs; ++k) {
        if (placed[k].file != winner) {
          const std::string& text = reader.text(placed[k]);
          differs = std::find(winning.begin(), winning.end(), text) == winning.end();
        }
      }
      joined.differingStamps += differs ? 1 : 0;
      for (const std::string& text : winning) {
        out << text << '\n';
      }
    } else {
      for (std::size_t k = i; k < end; ++k) {
        out << reader.text(placed[k]) << '\n';
      }
    }
    i = end;
  }
  out.close();
  if (!out) {
    throw FileReadError(joined.path, "не удалось записать объединённую выгрузку");
  }
  return joined;
}

TemporaryFolder::TemporaryFolder() {
  static std::atomic<unsigned> made{0};
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path folder =
        (error ? fs::path(".") : base) /
        ("vexa-chart-" + std::to_string(platform::currentProcess()) + "-" + std::to_string(made++));
    std::error_code created;
    if (fs::create_directory(folder, created)) {
      path_ = platform::textOf(folder);
      return;
    }
  }
  throw FileReadError(platform::textOf(base), "не удалось создать временную папку");
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  fs::remove_all(platform::pathOf(path_), ignored);
}

}  // namespace vexa
