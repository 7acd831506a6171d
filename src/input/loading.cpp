#include "input/loading.h"

#include <emmintrin.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "input/sha256.h"
#include "input/system_reason.h"
#include "input/text.h"
#include "platform/files.h"

namespace vexa {

namespace {
std::string readErrorMessage(std::string_view path, std::string_view reason) {
  std::string message = "Не удалось прочитать файл \"";
  message.append(path);
  message.append("\": ");
  message.append(reason);
  message.append(".");
  return message;
}
}  // namespace

FileReadError::FileReadError(std::string_view path, std::string_view reason)
    : std::runtime_error(readErrorMessage(path, reason)) {}

int thinningFactorFor(std::size_t lines, std::size_t maxLines) {
  if (lines <= maxLines) {
    return 1;
  }
  const std::size_t factor = lines / maxLines + (lines % maxLines != 0 ? 1 : 0);
  return static_cast<int>(std::min<std::size_t>(factor, INT_MAX));
}

namespace {

constexpr std::size_t kChunkSize = 256 * 1024;

// ---- byte sources: the file is read twice, once to count, once to keep ----

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  virtual void restart() = 0;
  // The bytes of the file taken since the (re)start, the byte-order mark
  // included.
  virtual std::uint64_t taken() const = 0;
  // The bytes one read is best asked for.
  virtual std::size_t chunkSize() const { return kChunkSize; }
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min(capacity, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
  }
  void restart() override { position_ = 0; }
  std::uint64_t taken() const override { return position_; }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

// The reason a file cannot be read, in the user's words.
std::string readReason(int error) {
  switch (error) {
    case ENOENT:
      return "файл не найден";
    case EACCES:
    case EPERM:
      return "нет прав на чтение";
    default:
      return systemReason(error);
  }
}

class FileSource final : public ByteSource {
 public:
  FileSource(platform::InputFile& file, std::string path, std::uint64_t start)
      : file_(file), path_(std::move(path)), start_(start), position_(start) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    int error = 0;
    const std::int64_t n = file_.readAt(buffer, capacity, position_, error);
    if (n < 0) {
      throw FileReadError(path_, readReason(error));
    }
    position_ += static_cast<std::uint64_t>(n);
    return static_cast<std::size_t>(n);
  }
  void restart() override { position_ = start_; }
  std::uint64_t taken() const override { return position_ - start_; }
  std::size_t chunkSize() const override { return platform::InputFile::readSize(); }

 private:
  platform::InputFile& file_;
  std::string path_;
  std::uint64_t start_;
  std::uint64_t position_;
};

// ---- line ends ----

// The first CR or LF in [p, end), or end: sixteen bytes at a time.
const char* findLineEnd(const char* p, const char* end) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (p + 16 <= end) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int found =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
    if (found != 0) {
      return p + __builtin_ctz(static_cast<unsigned>(found));
    }
    p += 16;
  }
  while (p < end && *p != '\n' && *p != '\r') {
    ++p;
  }
  return p;
}

// Counts the line ends of a text read a chunk at a time, a CR LF pair
// (whichever chunks its two bytes fall in) as one, without looking at the
// lines themselves: line ends are LFs and CRs less the CR LF pairs, each
// counted sixteen bytes at a time in byte lanes that are summed before they
// can overflow.
class LineEndCounter {
 public:
  void feed(const char* p, std::size_t n) {
    if (n == 0) {
      return;
    }
    const char* const end = p + n;
    // A pair whose CR ended the chunk before.
    if (crBefore_ && *p == '\n') {
      --ends_;
    }
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (p + 17 <= end) {
      __m128i lfs = _mm_setzero_si128();
      __m128i crs = _mm_setzero_si128();
      __m128i pairs = _mm_setzero_si128();
      for (int round = 0; round < 255 && p + 17 <= end; ++round, p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i isCR = _mm_cmpeq_epi8(bytes, cr);
        lfs = _mm_sub_epi8(lfs, _mm_cmpeq_epi8(bytes, lf));
        crs = _mm_sub_epi8(crs, isCR);
        pairs = _mm_sub_epi8(pairs, _mm_and_si128(isCR, _mm_cmpeq_epi8(next, lf)));
      }
      ends_ += sum(lfs) + sum(crs) - sum(pairs);
    }
    for (; p < end; ++p) {
      if (*p == '\n') {
        ++ends_;
      } else if (*p == '\r') {
        ++ends_;
        if (p + 1 < end && p[1] == '\n') {
          ++p;  // the pair's LF
        }
      }
    }
    crBefore_ = end[-1] == '\r';
    open_ = end[-1] != '\n' && end[-1] != '\r';
  }
  // Lines: their ends, and a last line without one.
  std::size_t lines() const { return ends_ + (open_ ? 1 : 0); }

 private:
  static std::size_t sum(__m128i counts) {
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_extract_epi16(sums, 4));
  }
  std::size_t ends_ = 0;
  bool crBefore_ = false;
  bool open_ = false;
};

// All lines kept for a report may take this much at most, a line that spans
// chunks included while it is gathered: the widest exports (thousands of
// column pairs) have lines of some hundred kilobytes.
constexpr std::size_t kMaxKeptBytes = std::size_t{256} << 20;

[[noreturn]] void tooMuchKept(std::string_view path) {
  throw FileReadError(path, "строки для отчёта занимают больше 256 МБ");
}

// Splits the bytes of a source into lines across chunk boundaries. `want(i)`
// tells whether line i is needed; `onLine(i, text)` receives the needed ones.
// Returns the number of lines.
template <class Want, class OnLine>
std::size_t splitLines(ByteSource& source, Want&& want, OnLine&& onLine, std::vector<char>& buffer,
                       std::string_view path) {
  std::size_t index = 0;
  bool lineOpen = false;   // bytes seen since the last line end
  bool pendingCR = false;  // the previous chunk ended with CR
  std::string carry;       // a needed line that spans chunks
  for (;;) {
    const std::size_t got = source.read(buffer.data(), buffer.size());
    if (got == 0) {
      break;
    }
    const char* p = buffer.data();
    const char* const end = p + got;
    if (pendingCR && *p == '\n') {
      ++p;
    }
    pendingCR = false;
    while (p < end) {
      const char* q = findLineEnd(p, end);
      const bool needed = want(index);
      if (q == end) {
        if (needed) {
          carry.append(p, q);
          if (carry.size() > kMaxKeptBytes) {
            tooMuchKept(path);
          }
        }
        lineOpen = true;
        break;
      }
      if (needed) {
        if (carry.empty()) {
          onLine(index, std::string_view(p, static_cast<std::size_t>(q - p)));
        } else {
          carry.append(p, q);
          onLine(index, std::string_view(carry));
          carry.clear();
        }
      }
      ++index;
      lineOpen = false;
      if (*q == '\r') {
        if (q + 1 < end) {
          if (q[1] == '\n') {
            ++q;
          }
        } else {
          pendingCR = true;
        }
      }
      p = q + 1;
    }
  }
  if (lineOpen) {
    if (want(index)) {
      onLine(index, std::string_view(carry));
    }
    ++index;
  }
  return index;
}

// ---- UTF-8 ----

// Streaming UTF-8 validator (RFC 3629: no overlong forms, no surrogates).
class Utf8Validator {
 public:
  void feed(const unsigned char* s, std::size_t n) {
    std::size_t i = 0;
    while (i < n && ok_) {
      if (need_ == 0) {
        while (i + 16 <= n &&
               _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i))) == 0) {
          i += 16;
        }
        while (i + 8 <= n) {
          std::uint64_t word;
          std::memcpy(&word, s + i, 8);
          if (word & 0x8080808080808080ULL) {
            break;
          }
          i += 8;
        }
        if (i >= n) {
          break;
        }
        const unsigned char c = s[i++];
        if (c >= 0x80) {
          start(c);
        }
      } else {
        const unsigned char c = s[i++];
        if (c < lo_ || c > hi_) {
          ok_ = false;
        }
        --need_;
        lo_ = 0x80;
        hi_ = 0xBF;
      }
    }
  }
  bool valid() const { return ok_ && need_ == 0; }

  // Length of the sequence that begins with `c` and the allowed range of its
  // first continuation byte; 0 when `c` cannot begin a sequence.
  static int sequence(unsigned char c, unsigned char& lo, unsigned char& hi) {
    lo = 0x80;
    hi = 0xBF;
    if (c < 0x80) {
      return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
      return 2;
    }
    if (c == 0xE0) {
      lo = 0xA0;
      return 3;
    }
    if (c == 0xED) {
      hi = 0x9F;
      return 3;
    }
    if (c >= 0xE1 && c <= 0xEF) {
      return 3;
    }
    if (c == 0xF0) {
      lo = 0x90;
      return 4;
    }
    if (c >= 0xF1 && c <= 0xF3) {
      return 4;
    }
    if (c == 0xF4) {
      hi = 0x8F;
      return 4;
    }
    return 0;
  }

 private:
  void start(unsigned char c) {
    const int length = sequence(c, lo_, hi_);
    if (length == 0) {
      ok_ = false;
    }
    need_ = length - 1;
  }

  int need_ = 0;
  unsigned char lo_ = 0x80;
  unsigned char hi_ = 0xBF;
  bool ok_ = true;
};

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

constexpr char32_t kReplacement = 0xFFFD;

// A kept line of a UTF-8 file: invalid sequences become U+FFFD, so that
// everything downstream holds valid UTF-8 (also when the file changed after
// its bytes were judged to be UTF-8).
std::string sanitiseUtf8(std::string_view text) {
  Utf8Validator check;
  check.feed(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  if (check.valid()) {
    return std::string(text);
  }
  std::string out;
  out.reserve(text.size() + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = utf8SequenceAt(text, i);
    if (length > 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      appendUtf8(out, kReplacement);
      ++i;
    }
  }
  return out;
}

// ---- Windows-1251 ----

constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

std::string fromWindows1251(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      appendUtf8(out, kCp1251High[c - 0x80]);
    }
  }
  return out;
}

bool isAscii(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  for (; p + 8 <= end; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if ((word & 0x8080808080808080ULL) != 0) {
      return false;
    }
  }
  for (; p < end; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) {
      return false;
    }
  }
  return true;
}

// A line as UTF-8: itself when it is plain ASCII, else decoded into
// `scratch` (Windows-1251) or made valid UTF-8. With `checked`, a line of
// a file whose bytes were all judged to be UTF-8 (or decoded from UTF-16)
// is taken as it is; without, it is made valid anyway (the file may have
// changed after it was judged).
std::string_view decodedLine(std::string_view line, TextEncoding encoding, std::string& scratch,
                             bool checked = false) {
  if (checked && (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf16LE ||
                  encoding == TextEncoding::Utf16BE)) {
    return line;
  }
  if (isAscii(line)) {
    return line;
  }
  scratch = encoding == TextEncoding::Windows1251 ? fromWindows1251(line) : sanitiseUtf8(line);
  return scratch;
}

// ---- UTF-16 ----

// UTF-16 text read as UTF-8, a chunk at a time, so that a UTF-16 export takes
// the same two bounded passes as any other. Unpaired surrogates become U+FFFD.
class Utf16Source final : public ByteSource {
 public:
  Utf16Source(ByteSource& raw, bool bigEndian, std::string_view path)
      : raw_(raw), bigEndian_(bigEndian), path_(path), units_(raw.chunkSize() / 2) {}

  std::size_t read(char* buffer, std::size_t capacity) override {
    while (out_.size() - served_ < capacity && !ended_) {
      decodeMore();
    }
    const std::size_t n = std::min(capacity, out_.size() - served_);
    std::memcpy(buffer, out_.data() + served_, n);
    served_ += n;
    if (served_ == out_.size()) {
      out_.clear();
      served_ = 0;
    }
    return n;
  }
  void restart() override {
    raw_.restart();
    out_.clear();
    served_ = 0;
    oddByte_ = -1;
    high_ = 0;
    ended_ = false;
  }
  std::uint64_t taken() const override { return raw_.taken(); }

 private:
  void decodeMore() {
    std::size_t got = 0;
    if (oddByte_ >= 0) {
      units_[0] = static_cast<char>(oddByte_);
      got = 1;
      oddByte_ = -1;
    }
    const std::size_t n = raw_.read(units_.data() + got, units_.size() - got);
    got += n;
    if (n == 0) {
      ended_ = true;
      if (got == 1) {
        throw FileReadError(path_, "текст в кодировке UTF-16 обрывается посреди символа");
      }
    }
    if (got % 2 != 0) {
      oddByte_ = static_cast<unsigned char>(units_[got - 1]);
      --got;
    }
    for (std::size_t i = 0; i < got; i += 2) {
      const auto a = static_cast<unsigned char>(units_[i]);
      const auto b = static_cast<unsigned char>(units_[i + 1]);
      const auto unit = static_cast<char16_t>(bigEndian_ ? (a << 8) | b : (b << 8) | a);
      if (unit < 0x80 && high_ == 0) {
        out_.push_back(static_cast<char>(unit));  // most of an export is ASCII
      } else {
        take(unit);
      }
    }
    if (ended_ && high_ != 0) {
      appendUtf8(out_, kReplacement);
      high_ = 0;
    }
  }
  void take(char16_t unit) {
    if (high_ != 0) {
      const char16_t high = high_;
      high_ = 0;
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        appendUtf8(out_, 0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(unit) - 0xDC00));
        return;
      }
      appendUtf8(out_, kReplacement);
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_ = unit;
    } else {
      appendUtf8(out_, (unit >= 0xDC00 && unit <= 0xDFFF) ? kReplacement : char32_t(unit));
    }
  }

  ByteSource& raw_;
  bool bigEndian_;
  std::string path_;
  std::vector<char> units_;
  std::string out_;  // decoded, not yet served
  std::size_t served_ = 0;
  int oddByte_ = -1;  // a byte of a unit that the next read completes
  char16_t high_ = 0;
  bool ended_ = false;
};

TextEncoding encodingFromMark(std::string_view start, std::size_t& markLength) {
  if (start.starts_with("\xEF\xBB\xBF")) {
    markLength = 3;
    return TextEncoding::Utf8WithBom;
  }
  if (start.starts_with("\xFF\xFE")) {
    markLength = 2;
    return TextEncoding::Utf16LE;
  }
  if (start.starts_with("\xFE\xFF")) {
    markLength = 2;
    return TextEncoding::Utf16BE;
  }
  markLength = 0;
  return TextEncoding::Utf8;
}

// The bytes taken from the file by each pass: equal to the file's size when
// the file stayed as it was.
struct PassSizes {
  std::uint64_t count = 0;
  std::uint64_t keep = 0;
};

// The lines of a source, read to its end.
std::size_t countLines(ByteSource& source, std::vector<char>& buffer) {
  LineEndCounter counter;
  for (std::size_t got; (got = source.read(buffer.data(), buffer.size())) > 0;) {
    counter.feed(buffer.data(), got);
  }
  return counter.lines();
}

// Counts the lines, decides the 8-bit encoding, then keeps every k-th line.
// `betweenPasses` runs after the count.
LoadedLines readLines(ByteSource& source, TextEncoding encoding, std::string_view path,
                      std::size_t maxLines, PassSizes& sizes,
                      const std::function<void()>& betweenPasses,
                      const std::function<void(TextEncoding)>& counted) {
  std::vector<char> buffer(source.chunkSize());
  LoadedLines result;
  result.encoding = encoding;

  const bool detect = encoding == TextEncoding::Utf8;
  Utf8Validator validator;
  if (detect) {
    // Validation rides along with the count, one chunk at a time.
    class ValidatingSource final : public ByteSource {
     public:
      ValidatingSource(ByteSource& inner, Utf8Validator& v) : inner_(inner), v_(v) {}
      std::size_t read(char* b, std::size_t c) override {
        const std::size_t n = inner_.read(b, c);
        v_.feed(reinterpret_cast<const unsigned char*>(b), n);
        return n;
      }
      void restart() override { inner_.restart(); }
      std::uint64_t taken() const override { return inner_.taken(); }

     private:
      ByteSource& inner_;
      Utf8Validator& v_;
    } validating(source, validator);
    result.totalLines = countLines(validating, buffer);
    if (!validator.valid()) {
      result.encoding = TextEncoding::Windows1251;
    }
  } else {
    result.totalLines = countLines(source, buffer);
  }
  sizes.count = source.taken();
  if (counted) {
    counted(result.encoding);
  }
  if (result.totalLines == 0) {
    throw FileReadError(path, "файл пуст, в нём нет ни одной строки");
  }
  if (betweenPasses) {
    betweenPasses();
  }

  result.thinningFactor = thinningFactorFor(result.totalLines, maxLines);
  const std::size_t k = static_cast<std::size_t>(result.thinningFactor);
  const std::size_t total = result.totalLines;
  result.lines.reserve((total + k - 1) / k);
  std::size_t kept = 0;
  source.restart();
  // Lines appended after the count (a file still being written) are ignored;
  // the caller sees from the sizes that the file changed. Whatever the bytes
  // are by then, the kept lines hold valid UTF-8.
  std::string decoded;
  splitLines(
      source, [&](std::size_t i) { return i < total && i % k == 0; },
      [&](std::size_t, std::string_view line) {
        kept += line.size();
        if (kept > kMaxKeptBytes) {
          tooMuchKept(path);
        }
        result.lines.emplace_back(decodedLine(line, result.encoding, decoded));
      },
      buffer, path);
  sizes.keep = source.taken();
  return result;
}

bool isUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

// The first pass's bytes, as they are read, into the file's digest.
class HashingSource final : public ByteSource {
 public:
  HashingSource(ByteSource& inner, Sha256& hash) : inner_(inner), hash_(hash) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    const std::size_t n = inner_.read(buffer, capacity);
    if (hashing_) {
      hash_.update(buffer, n);
    }
    return n;
  }
  void restart() override {
    hashing_ = false;  // the second pass reads the same bytes again
    inner_.restart();
  }
  std::uint64_t taken() const override { return inner_.taken(); }
  std::size_t chunkSize() const override { return inner_.chunkSize(); }

 private:
  ByteSource& inner_;
  Sha256& hash_;
  bool hashing_ = true;
};

// Reads the lines of `raw` (the bytes after the byte-order mark), its
// digest taken from the first pass; `counted` hears the encoding as soon as
// the first pass decides it.
LoadedLines readFrom(ByteSource& raw, std::string_view mark, TextEncoding encoding,
                     std::string_view path, std::size_t maxLines, PassSizes& sizes,
                     const std::function<void()>& betweenPasses,
                     const std::function<void(TextEncoding)>& counted = {}) {
  Sha256 hash;
  hash.update(mark);
  HashingSource hashed(raw, hash);
  LoadedLines result;
  if (isUtf16(encoding)) {
    Utf16Source text(hashed, encoding == TextEncoding::Utf16BE, path);
    result = readLines(text, encoding, path, maxLines, sizes, betweenPasses, counted);
    result.encoding = encoding;
  } else {
    result = readLines(hashed, encoding, path, maxLines, sizes, betweenPasses, counted);
  }
  result.sha256 = hash.finishHex();
  const std::uint64_t markLength = mark.size();
  sizes.count += markLength;
  sizes.keep += markLength;
  return result;
}

platform::FileState stateOf(const platform::InputFile& file, const std::string& path) {
  platform::FileState state;
  int error = 0;
  if (!file.state(state, error)) {
    throw FileReadError(path, readReason(error));
  }
  return state;
}

// Every line of `raw` (the bytes after the byte-order mark) into `sink`.
// Lines of plain ASCII go as they are; the first that is not waits for
// `encoding`, which the counting pass decides for a file without a mark.
// Returns the bytes taken.
std::uint64_t feedEveryLine(ByteSource& raw, TextEncoding markEncoding,
                            std::shared_future<TextEncoding> encoding, std::uint64_t size,
                            std::string_view path, LineSink& sink) {
  Utf16Source utf16(raw, markEncoding == TextEncoding::Utf16BE, path);
  ByteSource& source = isUtf16(markEncoding) ? static_cast<ByteSource&>(utf16) : raw;
  std::vector<char> buffer(source.chunkSize());
  std::string decoded;
  std::optional<TextEncoding> decided;
  if (markEncoding != TextEncoding::Utf8) {
    decided = markEncoding;
  }
  sink.begin(0);
  constexpr std::size_t kSample = 1024;  // lines before the rest is estimated
  std::size_t sampled = 0;               // their bytes, a line end counted as one
  splitLines(
      source, [](std::size_t) { return true; },
      [&](std::size_t i, std::string_view line) {
        if (i < kSample) {
          sampled += line.size() + 1;
        } else if (i == kSample && size > 0) {
          const double perLine = static_cast<double>(sampled) / kSample;
          sink.expect(static_cast<std::size_t>(static_cast<double>(size) / perLine * 1.02) + 16);
        }
        if (!decided && !isAscii(line)) {
          decided = encoding.get();
        }
        sink.line(i, decided ? decodedLine(line, *decided, decoded, true) : line);
      },
      buffer, path);
  return raw.taken();
}

}  // namespace

LoadedLines decodeExportLines(std::string_view bytes, std::string_view path, std::size_t maxLines,
                              LineSink* every) {
  std::size_t markLength = 0;
  const TextEncoding encoding = encodingFromMark(bytes.substr(0, 3), markLength);
  const std::string_view mark = bytes.substr(0, markLength);
  bytes.remove_prefix(markLength);
  MemorySource source(bytes);
  PassSizes ignored;
  LoadedLines result = readFrom(source, mark, encoding, path, maxLines, ignored, {});
  result.snapshot.encoding = result.encoding;
  result.snapshot.totalLines = result.totalLines;
  if (every != nullptr) {
    std::promise<TextEncoding> decided;
    decided.set_value(result.encoding);
    MemorySource again(bytes);
    feedEveryLine(again, encoding, decided.get_future().share(), bytes.size(), path, *every);
  }
  return result;
}

namespace {

// Opens an export for reading. Opening never waits for a writer (a pipe or
// a device); what is not a regular file is refused at once.
void checkOpened(const platform::InputFile& file, const std::string& path) {
  if (file.error() != 0) {
    throw FileReadError(path, readReason(file.error()));
  }
  if (file.kind() == platform::FileKind::Folder) {
    throw FileReadError(path, readReason(EISDIR));
  }
  if (file.kind() != platform::FileKind::Regular) {
    throw FileReadError(path, "это не обычный файл");
  }
}

// Every line of a file into a sink, read on a thread of its own beside
// the passes of the main one.
class EveryLineReader {
 public:
  EveryLineReader(platform::InputFile& file, const std::string& path, std::size_t markLength,
                  TextEncoding markEncoding, std::uint64_t size, LineSink& sink)
      : decided_(encoding_.get_future().share()),
        worker_([this, &file, path, markLength, markEncoding, size, &sink] {
          try {
            FileSource raw(file, path, markLength);
            taken_ = markLength + feedEveryLine(raw, markEncoding, decided_, size, path, sink);
          } catch (...) {
            failure_ = std::current_exception();
          }
        }) {}
  ~EveryLineReader() {
    decide(TextEncoding::Utf8);  // a reader waiting on a pass that ended early goes on
    if (worker_.joinable()) {
      worker_.join();
    }
  }
  // The encoding of a file without a mark, as the counting pass decides it.
  void decide(TextEncoding encoding) {
    if (!told_) {
      told_ = true;
      encoding_.set_value(encoding);
    }
  }
  // Waits for the reader: the bytes it took, or its failure.
  std::uint64_t finish() {
    decide(TextEncoding::Utf8);
    worker_.join();
    if (failure_) {
      std::rethrow_exception(failure_);
    }
    return taken_;
  }

 private:
  std::promise<TextEncoding> encoding_;
  std::shared_future<TextEncoding> decided_;
  bool told_ = false;
  std::uint64_t taken_ = 0;
  std::exception_ptr failure_;
  std::thread worker_;
};

}  // namespace

LoadedLines loadExportLines(const std::string& path, std::size_t maxLines,
                            const std::function<void()>& betweenPasses, LineSink* every) {
  if (path.empty()) {
    throw FileReadError(path, "файл не выбран");
  }
  platform::InputFile file(platform::pathOf(path));
  checkOpened(file, path);

  // One consistent snapshot: an export that a download or a sync client is
  // still writing changes between the two passes; it is read again, and
  // refused when it keeps changing.
  constexpr int kAttempts = 3;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    const platform::FileState before = stateOf(file, path);
    const auto size = static_cast<std::uint64_t>(before.size);
    char start[3] = {};
    FileSource probe(file, path, 0);
    const std::size_t got = probe.read(start, sizeof start);
    std::size_t markLength = 0;
    const TextEncoding encoding = encodingFromMark(std::string_view(start, got), markLength);
    std::optional<EveryLineReader> reader;
    if (every != nullptr) {
      reader.emplace(file, path, markLength, encoding, size, *every);
    }
    FileSource source(file, path, markLength);
    PassSizes sizes;
    LoadedLines result;
    bool readWhole = true;
    try {
      result = readFrom(source, std::string_view(start, markLength), encoding, path, maxLines,
                        sizes, betweenPasses, [&](TextEncoding counted) {
                          if (reader) {
                            reader->decide(counted);
                          }
                        });
    } catch (const FileReadError&) {
      readWhole = false;  // judged below: a file that changed is read again
      if (stateOf(file, path) == before) {
        throw;
      }
    }
    const std::uint64_t everyTaken = reader ? reader->finish() : size;
    const platform::FileState after = stateOf(file, path);
    if (readWhole && after == before && sizes.count == size && sizes.keep == size &&
        everyTaken == size) {
      result.snapshot = {path, before, result.encoding, result.totalLines};
      return result;
    }
  }
  throw FileReadError(path,
                      "файл менялся, пока его читали (его ещё записывают?); дождитесь, когда "
                      "запись закончится, и откройте его снова");
}

void rereadExportLines(const ExportSnapshot& snapshot, LineSink& sink) {
  const std::string& path = snapshot.path;
  platform::InputFile file(platform::pathOf(path));
  checkOpened(file, path);
  const auto changed = [&] {
    return FileReadError(path, "файл изменился после того, как его открыли; откройте его снова");
  };
  if (!(stateOf(file, path) == snapshot.state)) {
    throw changed();
  }
  char start[3] = {};
  FileSource probe(file, path, 0);
  std::size_t markLength = 0;
  encodingFromMark(std::string_view(start, probe.read(start, sizeof start)), markLength);
  FileSource raw(file, path, markLength);
  Utf16Source utf16(raw, snapshot.encoding == TextEncoding::Utf16BE, path);
  ByteSource& source = isUtf16(snapshot.encoding) ? static_cast<ByteSource&>(utf16) : raw;
  std::vector<char> buffer(source.chunkSize());
  std::string decoded;
  sink.begin(snapshot.totalLines);
  const std::size_t lines = splitLines(
      source, [&](std::size_t i) { return i < snapshot.totalLines; },
      [&](std::size_t i, std::string_view line) {
        sink.line(i, decodedLine(line, snapshot.encoding, decoded, true));
      },
      buffer, path);
  if (lines != snapshot.totalLines || !(stateOf(file, path) == snapshot.state)) {
    throw changed();
  }
}

}  // namespace vexa
