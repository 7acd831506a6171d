// Date-time values as day counts from 1899-12-30 00:00:00 (the time of day is
// the fraction), the scale the spreadsheet uses too.
//
// Texts are converted with fixed settings, never with the user's regional
// settings: year-month-day with "-" and ":" for time stamps, month/day/year
// with "/" for the dates of motion-event logs.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vexa {

// Raised when a text does not read as a date-time:
// "'<text>' is not a valid date and time".
class DateTimeConversionError : public std::runtime_error {
 public:
  explicit DateTimeConversionError(std::string_view text);
};

struct CivilDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const CivilDateTime&) const = default;
};

// True when the fields name a real calendar date and clock time (years 1 to 9999).
bool isValidCivil(const CivilDateTime& value);

// Day count of a valid calendar date and clock time.
double encodeDateTime(const CivilDateTime& value);

// Calendar date and clock time of a day count, rounded to the second.
CivilDateTime decodeDateTime(double serial);

// "yyyy-mm-dd hh:nn:ss"; month, day and hour may have one digit. Raises
// DateTimeConversionError for any other form or an impossible date or time.
double parseDateTime(std::string_view text);

// Non-throwing form of parseDateTime.
bool tryParseDateTime(std::string_view text, double& serial);

// The two halves of "yyyy-mm-dd hh:nn:ss", for callers that read many times
// of one date: a date gives its day number, a time of day its seconds.
bool tryParseDate(std::string_view text, long long& days);
bool tryParseTimeOfDay(std::string_view text, int& seconds);
double combineDateTime(long long days, int seconds);

// "mm/dd/yyyy" (month first); month and day may have one digit. The time of
// day is 00:00:00. Raises DateTimeConversionError otherwise.
double parseMonthDayYear(std::string_view text);

// "yyyy-mm-dd hh:nn:ss" with two-digit fields.
std::string formatDateTime(double serial);

// Seconds from 1899-12-30 00:00:00 on a straight line. Day counts put the
// time of day backwards before their origin; durations and the order of
// readings need a line that runs one way, whole seconds, as the exports'
// time stamps are.
using Seconds = long long;
inline constexpr Seconds kSecondsPerDay = 86400;
Seconds secondsOf(long long days, int secondOfDay);
// The day count of a time on that line, and back (to the second).
double serialOf(Seconds seconds);
Seconds secondsOfSerial(double serial);
// The day a time falls on (its midnight on the line is day × 86400).
inline long long dayOf(Seconds seconds) {
  return seconds >= 0 ? seconds / kSecondsPerDay
                      : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
}
// "yyyy-mm-dd hh:nn:ss" read onto the line; false for any other form.
bool tryParseStampSeconds(std::string_view text, Seconds& seconds);

}  // namespace vexa
