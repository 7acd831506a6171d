#include "spreadsheet/xml.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "input/text.h"

namespace vexa::sheet {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

void appendCodeForm(std::string& out, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "_x%04X_", value);
  out += buffer;
}

bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

void appendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        if (attribute) {
          out += "&quot;";
          continue;
        }
        break;
      case '_':
        // "_x0041_" in the text would be read back as "A": protect the "_".
        if (!attribute && i + 6 < text.size() && text[i + 1] == 'x' && isHex(text[i + 2]) &&
            isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]) && text[i + 6] == '_') {
          out += "_x005F_";
          continue;
        }
        break;
      default:
        break;
    }
    if (attribute && byte < 0x20) {
      // Attribute values keep TAB, LF and CR only as character references;
      // the other control characters are not XML characters at all.
      out += c == '\t' ? "&#x9;" : c == '\n' ? "&#xA;" : c == '\r' ? "&#xD;" : " ";
      continue;
    }
    if (byte < 0x20 && c != '\t' && c != '\n') {
      appendCodeForm(out, byte);
      continue;
    }
    if (byte < 0x80) {
      out.push_back(c);
      continue;
    }
    // Only valid UTF-8 goes into the package, whatever reached the writer:
    // a byte that starts no valid sequence stands for U+FFFD.
    const std::size_t length = utf8SequenceAt(text, i);
    if (length == 0) {
      out += kReplacementCharacter;
      continue;
    }
    // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are valid UTF-8 but not XML
    // characters.
    if (length == 3 && byte == 0xEF && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        static_cast<unsigned char>(text[i + 2]) >= 0xBE) {
      if (attribute) {
        out += kReplacementCharacter;
      } else {
        appendCodeForm(out, static_cast<unsigned char>(text[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF);
      }
    } else {
      out.append(text.substr(i, length));
    }
    i += length - 1;
  }
}

}  // namespace

void appendEscapedText(std::string& out, std::string_view text) {
  appendEscaped(out, text, false);
}

void appendEscapedAttribute(std::string& out, std::string_view text) {
  appendEscaped(out, text, true);
}

void appendInteger(std::string& out, long long value) {
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

namespace {

// Appends `digits` with `decimals` of them after the point ("2109", 2:
// "21.09"; "5", 3: "0.005"), two digits at a time.
void appendFixed(std::string& out, bool negative, std::uint64_t digits, int decimals) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char text[40];
  char* const end = text + sizeof text;
  char* start = end;
  int written = 0;
  const auto put = [&](int count) {  // `count` more digits, at least one
    while (written + 1 < count || (count < 0 && digits >= 10)) {
      const auto pair = static_cast<std::size_t>(digits % 100) * 2;
      digits /= 100;
      *--start = kPairs[pair + 1];
      *--start = kPairs[pair];
      written += 2;
    }
    if (written < count || (count < 0 && (digits > 0 || written == 0))) {
      *--start = static_cast<char>('0' + digits % 10);
      digits /= 10;
      ++written;
    }
  };
  if (decimals > 0) {
    put(decimals);
    *--start = '.';
  }
  written = 0;
  put(-1);
  if (negative) {
    *--start = '-';
  }
  out.append(start, end);
}

// The shortest decimal form of a number from a thousandth to 2^22, the
// range of measured values and date-times, or false for others. It is the
// form with the fewest decimals that reads back as the same double, and of
// those the nearest to it: the form of the general shortest-form search, at
// a fraction of its cost for the millions of values of a report.
bool appendShortDecimal(std::string& out, double value) {
  const double magnitude = std::fabs(value);
  // Below a thousandth the exponent form is the shorter one.
  if (!(magnitude >= 1e-3 && magnitude < 4194304.0)) {
    return false;
  }
  const bool negative = value < 0;

  // Up to nine decimals, as most measured values have: below 2^22 at most one
  // number of nine decimals rounds to a given double, so the one found here,
  // checked by dividing back exactly, is the shortest. An exact integer over
  // an exact power of ten gives the double nearest to that decimal, the one
  // a reader gets.
  static constexpr double kTens[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  // Rounded by adding a half: a wrong candidate fails the check below.
  auto digits = static_cast<std::uint64_t>(magnitude * 1e9 + 0.5);
  int decimals = 9;
  if (digits % 10000 == 0) {  // constant divisors: multiplications
    digits /= 10000;
    decimals -= 4;
    if (digits % 10000 == 0) {
      digits /= 10000;
      decimals -= 4;
    }
  }
  if (decimals >= 2 && digits % 100 == 0) {
    digits /= 100;
    decimals -= 2;
  }
  if (decimals >= 1 && digits % 10 == 0) {
    digits /= 10;
    decimals -= 1;
  }
  if (static_cast<double>(digits) / kTens[decimals] == magnitude) {
    appendFixed(out, negative, digits, decimals);
    return true;
  }

  // More decimals (date-times): exact integer arithmetic on magnitude =
  // m * 2^-shift. With k decimals the nearest candidate is n = round(m *
  // 10^k / 2^shift); it reads back as the same double when it lies within
  // half a unit of the last place, |n * 2^shift - m * 10^k| < 10^k / 2. The
  // lowest mantissa has a narrower gap below it and takes the general search.
  std::uint64_t bits = 0;
  std::memcpy(&bits, &magnitude, sizeof bits);
  constexpr std::uint64_t kHidden = std::uint64_t{1} << 52;
  const std::uint64_t mantissa = (bits & (kHidden - 1)) | kHidden;
  const int shift = 1075 - static_cast<int>(bits >> 52);  // from 31 (2^22) to 62 (a thousandth)
  if (mantissa == kHidden) {
    return false;
  }
  using Wide = unsigned __int128;
  constexpr std::uint64_t kSeventeenDigits = 100000000000000000ULL;
  Wide tens = 1'000'000'000;
  for (decimals = 10;; ++decimals) {
    tens *= 10;
    const Wide scaled = Wide{mantissa} * tens;
    const Wide nearest = (scaled + (Wide{1} << (shift - 1))) >> shift;
    if (nearest >= kSeventeenDigits) {
      return false;
    }
    const Wide back = nearest << shift;
    const Wide distance = back > scaled ? back - scaled : scaled - back;
    if (2 * distance < tens) {
      appendFixed(out, negative, static_cast<std::uint64_t>(nearest), decimals);
      return true;
    }
  }
}

}  // namespace

void appendNumber(std::string& out, double value) {
  if (!std::isfinite(value) || value == 0) {
    out += '0';
    return;
  }
  if (appendShortDecimal(out, value)) {
    return;
  }
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

XmlWriter::XmlWriter(Start start) {
  if (start == kDocument) {
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  }
}

XmlWriter& XmlWriter::open(std::string_view name) {
  out_ += '<';
  out_ += name;
  return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  appendEscapedAttribute(out_, value);
  out_ += '"';
  return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, double value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  appendNumber(out_, value);
  out_ += '"';
  return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, int value) {
  return attribute(name, std::string_view(std::to_string(value)));
}

XmlWriter& XmlWriter::close() {
  out_ += '>';
  return *this;
}

XmlWriter& XmlWriter::closeEmpty() {
  out_ += "/>";
  return *this;
}

XmlWriter& XmlWriter::end(std::string_view name) {
  out_ += "</";
  out_ += name;
  out_ += '>';
  return *this;
}

XmlWriter& XmlWriter::text(std::string_view text) {
  appendEscapedText(out_, text);
  return *this;
}

XmlWriter& XmlWriter::value(std::string_view name, std::string_view value) {
  return open(name).attribute("val", value).closeEmpty();
}

XmlWriter& XmlWriter::value(std::string_view name, double value) {
  return open(name).attribute("val", value).closeEmpty();
}

XmlWriter& XmlWriter::value(std::string_view name, int value) {
  return open(name).attribute("val", value).closeEmpty();
}

XmlWriter& XmlWriter::raw(std::string_view markup) {
  out_ += markup;
  return *this;
}

}  // namespace vexa::sheet
