#include "input/numbers.h"

#include <charconv>
#include <cmath>
#include <string>

#include "input/text.h"

namespace vexa {

namespace {
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
}  // namespace

NumberConversionError::NumberConversionError(std::string_view text)
    : std::runtime_error(quotedMessage(text, " is not a valid floating point value")) {}

namespace {

// Exact fast path for the common "-12,345" form: up to 15 digits, no exponent.
// The digits as an integer and a power of ten are both exact doubles, so one
// division rounds correctly, as the general reader does.
template <char kPoint>
bool tryParseSimple(std::string_view text, double& value) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) {
    ++i;
  }
  long long mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool comma = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + (c - '0');
      decimals += comma;
      if (++digits > 15) {
        return false;
      }
    } else if (c == kPoint && !comma) {
      comma = true;
    } else {
      return false;
    }
  }
  if (digits == 0) {
    return false;
  }
  value = static_cast<double>(mantissa) / kPowers[decimals];
  if (negative) {
    value = -value;
  }
  return true;
}

}  // namespace

double parseDecimalComma(std::string_view text) {
  double value = 0;
  if (!tryParseDecimalComma(text, value)) {
    throw NumberConversionError(text);
  }
  return value;
}

bool tryParseReadingValue(std::string_view field, double& value) {
  if (tryParseSimple<'.'>(field, value)) {
    return true;
  }
  const std::string text = decimalComma(trimSpaces(unquote(field)));
  return tryParseDecimalComma(text, value) && std::isfinite(value);
}

bool tryParseDecimalComma(std::string_view text, double& value) {
  if (tryParseSimple<','>(text, value)) {
    return true;
  }
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') {
    ++begin;
  }
  while (end > begin && text[end - 1] == ' ') {
    --end;
  }
  // Check the form, and write it with a point for the C++ reader.
  std::string ascii;
  ascii.reserve(end - begin);
  std::size_t i = begin;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') {
      ascii.push_back('-');
    }
    ++i;
  }
  std::size_t digits = 0;
  for (; i < end && isDigit(text[i]); ++i, ++digits) {
    ascii.push_back(text[i]);
  }
  if (i < end && text[i] == ',') {
    ascii.push_back('.');
    for (++i; i < end && isDigit(text[i]); ++i, ++digits) {
      ascii.push_back(text[i]);
    }
  }
  bool ok = digits > 0;
  if (ok && i < end && (text[i] == 'E' || text[i] == 'e')) {
    ascii.push_back('e');
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
      ascii.push_back(text[i]);
      ++i;
    }
    std::size_t exponentDigits = 0;
    for (; i < end && isDigit(text[i]); ++i, ++exponentDigits) {
      ascii.push_back(text[i]);
    }
    ok = exponentDigits > 0;
  }
  ok = ok && i == end;
  if (ok) {
    const auto [ptr, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    ok = error == std::errc() && ptr == ascii.data() + ascii.size();
  }
  return ok;
}

}  // namespace vexa
