#include "input/datetime.h"

#include <cmath>
#include <cstdio>

#include "input/text.h"

namespace vexa {

DateTimeConversionError::DateTimeConversionError(std::string_view text)
    : std::runtime_error(quotedMessage(text, " is not a valid date and time")) {}

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

const long long kEpochDays = daysFromCivil(1899, 12, 30);

bool isLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Reads between `minDigits` and `maxDigits` decimal digits at `pos`.
bool readNumber(std::string_view text, std::size_t& pos, int minDigits, int maxDigits, int& out) {
  int digits = 0;
  int value = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  out = value;
  return digits >= minDigits;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

}  // namespace

bool isValidCivil(const CivilDateTime& v) {
  return v.year >= 1 && v.year <= 9999 && v.month >= 1 && v.month <= 12 && v.day >= 1 &&
         v.day <= daysInMonth(v.year, v.month) && v.hour >= 0 && v.hour <= 23 && v.minute >= 0 &&
         v.minute <= 59 && v.second >= 0 && v.second <= 59;
}

double encodeDateTime(const CivilDateTime& v) {
  return combineDateTime(
      daysFromCivil(v.year, static_cast<unsigned>(v.month), static_cast<unsigned>(v.day)) -
          kEpochDays,
      v.hour * 3600 + v.minute * 60 + v.second);
}

CivilDateTime decodeDateTime(double serial) {
  long long days = static_cast<long long>(std::trunc(serial));
  long long seconds = std::llround(std::fabs(serial - static_cast<double>(days)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += serial >= 0 ? 1 : -1;
  }
  CivilDateTime v;
  civilFromDays(days + kEpochDays, v.year, v.month, v.day);
  v.hour = static_cast<int>(seconds / 3600);
  v.minute = static_cast<int>(seconds / 60 % 60);
  v.second = static_cast<int>(seconds % 60);
  return v;
}

bool tryParseDate(std::string_view text, long long& days) {
  CivilDateTime v;
  std::size_t pos = 0;
  const bool ok = readNumber(text, pos, 4, 4, v.year) && expect(text, pos, '-') &&
                  readNumber(text, pos, 1, 2, v.month) && expect(text, pos, '-') &&
                  readNumber(text, pos, 1, 2, v.day) && pos == text.size() && isValidCivil(v);
  if (ok) {
    days = daysFromCivil(v.year, static_cast<unsigned>(v.month), static_cast<unsigned>(v.day)) -
           kEpochDays;
  }
  return ok;
}

bool tryParseTimeOfDay(std::string_view text, int& seconds) {
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::size_t pos = 0;
  const bool ok = readNumber(text, pos, 1, 2, hour) && expect(text, pos, ':') &&
                  readNumber(text, pos, 2, 2, minute) && expect(text, pos, ':') &&
                  readNumber(text, pos, 2, 2, second) && pos == text.size() && hour <= 23 &&
                  minute <= 59 && second <= 59;
  if (ok) {
    seconds = hour * 3600 + minute * 60 + second;
  }
  return ok;
}

double combineDateTime(long long days, int seconds) {
  const double time = seconds / 86400.0;
  // Before the origin the time of day still counts forward from midnight, so
  // its fraction is subtracted from the (negative) day number.
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

bool tryParseDateTime(std::string_view text, double& serial) {
  // The date holds no blank, so the first blank parts date and time.
  const auto blank = text.find(' ');
  long long days = 0;
  int seconds = 0;
  if (blank == std::string_view::npos || !tryParseDate(text.substr(0, blank), days) ||
      !tryParseTimeOfDay(text.substr(blank + 1), seconds)) {
    return false;
  }
  serial = combineDateTime(days, seconds);
  return true;
}

double parseDateTime(std::string_view text) {
  double serial = 0;
  if (!tryParseDateTime(text, serial)) {
    throw DateTimeConversionError(text);
  }
  return serial;
}

double parseMonthDayYear(std::string_view text) {
  CivilDateTime v;
  std::size_t pos = 0;
  const bool ok = readNumber(text, pos, 1, 2, v.month) && expect(text, pos, '/') &&
                  readNumber(text, pos, 1, 2, v.day) && expect(text, pos, '/') &&
                  readNumber(text, pos, 4, 4, v.year) && pos == text.size();
  v.hour = v.minute = v.second = 0;
  if (!ok || !isValidCivil(v)) {
    throw DateTimeConversionError(text);
  }
  return encodeDateTime(v);
}

Seconds secondsOf(long long days, int secondOfDay) {
  return days * kSecondsPerDay + secondOfDay;
}

double serialOf(Seconds seconds) {
  const long long day = dayOf(seconds);
  return combineDateTime(day, static_cast<int>(seconds - day * kSecondsPerDay));
}

Seconds secondsOfSerial(double serial) {
  const CivilDateTime v = decodeDateTime(serial);
  return secondsOf(
      daysFromCivil(v.year, static_cast<unsigned>(v.month), static_cast<unsigned>(v.day)) -
          kEpochDays,
      v.hour * 3600 + v.minute * 60 + v.second);
}

bool tryParseStampSeconds(std::string_view text, Seconds& seconds) {
  const auto blank = text.find(' ');
  long long days = 0;
  int second = 0;
  if (blank == std::string_view::npos || !tryParseDate(text.substr(0, blank), days) ||
      !tryParseTimeOfDay(text.substr(blank + 1), second)) {
    return false;
  }
  seconds = secondsOf(days, second);
  return true;
}

std::string formatDateTime(double serial) {
  const CivilDateTime v = decodeDateTime(serial);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day,
                v.hour, v.minute, v.second);
  return buffer;
}

}  // namespace vexa
