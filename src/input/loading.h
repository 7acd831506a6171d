// Reading an export file into its lines.
//
// The whole file is read, but only the lines that survive thinning are kept:
// files of more than `maxLines` lines keep every k-th line (the header line
// always), so that a million-line export never lands on the heap.
//
// Encoding: a UTF-8 or UTF-16 (LE or BE) byte-order mark decides; without one
// the bytes are UTF-8 when they are valid UTF-8, otherwise Windows-1251, the
// 8-bit code page of the exports' users. The kept lines are always UTF-8.
//
// Line ends: CR LF, LF or CR. A final line break adds no empty line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace vexa {

inline constexpr std::size_t kMaxLines = 32000;

enum class TextEncoding { Utf8, Utf8WithBom, Utf16LE, Utf16BE, Windows1251 };

// What identifies the snapshot that Open read, so that a later pass over the
// export's every line reads the same bytes or says that the file changed.
struct ExportSnapshot {
  std::string path;  // empty: the lines came from memory
  platform::FileState state;
  TextEncoding encoding = TextEncoding::Utf8;
  std::size_t totalLines = 0;
};

struct LoadedLines {
  std::vector<std::string> lines;  // the kept lines, header line first
  std::size_t totalLines = 0;      // lines in the file before thinning
  int thinningFactor = 1;          // k: every k-th line is kept
  TextEncoding encoding = TextEncoding::Utf8;
  std::string sha256;  // of the file's bytes as read (byte-order mark included)
  ExportSnapshot snapshot;
};

// Receives every line of an export, thinned or not, while the lines are
// kept: `begin` with the number of lines, then each line (UTF-8) with its
// index, the header line 0 first. A file read again (it changed meanwhile)
// begins again.
class LineSink {
 public:
  virtual ~LineSink() = default;
  // `totalLines` is 0 when the lines are not counted yet.
  virtual void begin(std::size_t totalLines) = 0;
  // About how many lines will come, once that can be told.
  virtual void expect(std::size_t lines) { static_cast<void>(lines); }
  virtual void line(std::size_t index, std::string_view text) = 0;
};

// A file that cannot be read; the text names the file and the reason.
class FileReadError : public std::runtime_error {
 public:
  FileReadError(std::string_view path, std::string_view reason);
};

// The thinning factor for a file of `lines` lines: 1 up to `maxLines`, else the
// smallest whole number not less than lines / maxLines.
int thinningFactorFor(std::size_t lines, std::size_t maxLines = kMaxLines);

// Reads the file at `path` (UTF-8 text, made a path by the platform layer)
// in two passes, count and keep, as one consistent snapshot: a file that
// changes meanwhile is read again, and refused when it keeps changing. Raises
// FileReadError when it cannot be read, holds no line at all, or is not a
// regular file (a pipe is refused without waiting for a writer).
// `betweenPasses` runs between the two passes of every reading (for tests);
// `every`, when given, receives every line of the snapshot, on a thread of
// its own that reads the file beside the two passes.
LoadedLines loadExportLines(const std::string& path, std::size_t maxLines = kMaxLines,
                            const std::function<void()>& betweenPasses = {},
                            LineSink* every = nullptr);

// The same for bytes already in memory (`path` only names them in messages).
LoadedLines decodeExportLines(std::string_view bytes, std::string_view path = {},
                              std::size_t maxLines = kMaxLines, LineSink* every = nullptr);

// Reads every line of the export of `snapshot` once more into `sink` (one
// pass, nothing kept). Raises FileReadError when the file cannot be read or
// is no longer the snapshot Open read.
void rereadExportLines(const ExportSnapshot& snapshot, LineSink& sink);

}  // namespace vexa
