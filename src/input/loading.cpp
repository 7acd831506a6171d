#include "input/loading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

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
  const double ratio = static_cast<double>(lines) / static_cast<double>(maxLines);
  if (ratio <= 1.0) {
    return 1;
  }
  return static_cast<int>(std::ceil(ratio));
}

namespace {

constexpr std::size_t kChunkSize = 256 * 1024;

// ---- byte sources: the file is read twice, once to count, once to keep ----

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  virtual void restart() = 0;
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

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

std::string errnoReason(int error) {
  switch (error) {
    case ENOENT:
      return "файл не найден";
    case EACCES:
    case EPERM:
      return "нет прав на чтение";
    case EISDIR:
      return "это папка, а не файл";
    default:
      return std::strerror(error);
  }
}

class FileSource final : public ByteSource {
 public:
  FileSource(int fd, std::string path, off_t start)
      : fd_(fd), path_(std::move(path)), start_(start), position_(start) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    for (;;) {
      const ssize_t n = ::pread(fd_, buffer, capacity, position_);
      if (n >= 0) {
        position_ += n;
        return static_cast<std::size_t>(n);
      }
      if (errno != EINTR) {
        throw FileReadError(path_, errnoReason(errno));
      }
    }
  }
  void restart() override { position_ = start_; }

 private:
  int fd_;
  std::string path_;
  off_t start_;
  off_t position_;
};

struct FileHandle {
  int fd = -1;
  ~FileHandle() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

// ---- line ends ----

inline bool hasByte(std::uint64_t word, std::uint64_t pattern) {
  const std::uint64_t x = word ^ pattern;
  return ((x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL) != 0;
}

// The first CR or LF in [p, end), or end.
const char* findLineEnd(const char* p, const char* end) {
  while (p + 8 <= end) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if (hasByte(word, 0x0A0A0A0A0A0A0A0AULL) || hasByte(word, 0x0D0D0D0D0D0D0D0DULL)) {
      break;
    }
    p += 8;
  }
  while (p < end && *p != '\n' && *p != '\r') {
    ++p;
  }
  return p;
}

// Splits the bytes of a source into lines across chunk boundaries. `want(i)`
// tells whether line i is needed; `onLine(i, text)` receives the needed ones.
// Returns the number of lines.
template <class Want, class OnLine>
std::size_t splitLines(ByteSource& source, Want&& want, OnLine&& onLine,
                       std::vector<char>& buffer) {
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

// A line of a file that declares UTF-8 by its byte-order mark: invalid
// sequences become U+FFFD, so that everything downstream holds valid UTF-8.
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
    const auto c = static_cast<unsigned char>(text[i]);
    unsigned char lo, hi;
    const int length = Utf8Validator::sequence(c, lo, hi);
    bool ok = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; ok && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      ok = k == 1 ? (next >= lo && next <= hi) : (next >= 0x80 && next <= 0xBF);
    }
    if (ok) {
      out.append(text.substr(i, static_cast<std::size_t>(length)));
      i += static_cast<std::size_t>(length);
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

// ---- UTF-16 ----

std::string fromUtf16(std::string_view bytes, bool bigEndian, std::string_view path) {
  if (bytes.size() % 2 != 0) {
    throw FileReadError(path, "текст в кодировке UTF-16 обрывается посреди символа");
  }
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) -> char16_t {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
  };
  const std::size_t units = bytes.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char16_t low = unit(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t(u));
  }
  return out;
}

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

// Counts the lines, decides the 8-bit encoding, then keeps every k-th line.
LoadedLines readLines(ByteSource& source, TextEncoding encoding, std::string_view path,
                      std::size_t maxLines) {
  std::vector<char> buffer(kChunkSize);
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

     private:
      ByteSource& inner_;
      Utf8Validator& v_;
    } validating(source, validator);
    result.totalLines = splitLines(
        validating, [](std::size_t) { return false; }, [](std::size_t, std::string_view) {},
        buffer);
    if (!validator.valid()) {
      result.encoding = TextEncoding::Windows1251;
    }
  } else {
    result.totalLines = splitLines(
        source, [](std::size_t) { return false; }, [](std::size_t, std::string_view) {}, buffer);
  }
  if (result.totalLines == 0) {
    throw FileReadError(path, "файл пуст, в нём нет ни одной строки");
  }

  result.thinningFactor = thinningFactorFor(result.totalLines, maxLines);
  const std::size_t k = static_cast<std::size_t>(result.thinningFactor);
  const std::size_t total = result.totalLines;
  result.lines.reserve((total + k - 1) / k);
  source.restart();
  // Lines appended after the count (a file still being written) are ignored.
  splitLines(
      source, [&](std::size_t i) { return i < total && i % k == 0; },
      [&](std::size_t, std::string_view line) {
        switch (result.encoding) {
          case TextEncoding::Windows1251:
            result.lines.push_back(fromWindows1251(line));
            break;
          case TextEncoding::Utf8WithBom:
            result.lines.push_back(sanitiseUtf8(line));
            break;
          default:
            result.lines.emplace_back(line);
        }
      },
      buffer);
  return result;
}

LoadedLines decodeUtf16(std::string_view bytes, bool bigEndian, std::string_view path,
                        std::size_t maxLines) {
  const std::string text = fromUtf16(bytes, bigEndian, path);
  MemorySource source(text);
  LoadedLines result = readLines(source, TextEncoding::Utf16LE, path, maxLines);
  result.encoding = bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
  return result;
}

}  // namespace

LoadedLines decodeExportLines(std::string_view bytes, std::string_view path, std::size_t maxLines) {
  std::size_t markLength = 0;
  const TextEncoding encoding = encodingFromMark(bytes.substr(0, 3), markLength);
  bytes.remove_prefix(markLength);
  if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
    return decodeUtf16(bytes, encoding == TextEncoding::Utf16BE, path, maxLines);
  }
  MemorySource source(bytes);
  return readLines(source, encoding, path, maxLines);
}

LoadedLines loadExportLines(const std::string& path, std::size_t maxLines) {
  if (path.empty()) {
    throw FileReadError(path, "файл не выбран");
  }
  FileHandle file;
  file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file.fd < 0) {
    throw FileReadError(path, errnoReason(errno));
  }
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) {
    throw FileReadError(path, errnoReason(errno));
  }
  if (S_ISDIR(info.st_mode)) {
    throw FileReadError(path, errnoReason(EISDIR));
  }
  if (!S_ISREG(info.st_mode)) {
    throw FileReadError(path, "это не обычный файл");
  }
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif

  char start[3] = {};
  FileSource probe(file.fd, path, 0);
  const std::size_t got = probe.read(start, sizeof start);
  std::size_t markLength = 0;
  const TextEncoding encoding = encodingFromMark(std::string_view(start, got), markLength);

  if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE) {
    // UTF-16 exports are rare; they are decoded whole, then split as UTF-8.
    FileSource source(file.fd, path, static_cast<off_t>(markLength));
    std::string bytes;
    std::vector<char> buffer(kChunkSize);
    while (const std::size_t n = source.read(buffer.data(), buffer.size())) {
      bytes.append(buffer.data(), n);
    }
    return decodeUtf16(bytes, encoding == TextEncoding::Utf16BE, path, maxLines);
  }
  FileSource source(file.fd, path, static_cast<off_t>(markLength));
  return readLines(source, encoding, path, maxLines);
}

}  // namespace vexa
