#include "input/datetime.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vexa {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

TEST(ParseDateTime, ReadsDayCountsFromTheOrigin) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"1899-12-30 00:00:00", 0.0},
      {"1900-01-01 00:00:00", 2.0},
      {"2021-01-01 00:00:00", 44197.0},
      {"2021-01-02 10:20:30", 44198.0 + 37230.0 / 86400.0},
      {"2021-1-2 9:05:07", 44198.0 + (9 * 3600 + 5 * 60 + 7) / 86400.0},
      {"2020-02-29 23:59:59", 43890.0 + 86399.0 / 86400.0},
      {"1899-12-29 06:00:00", -1.25},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(parseDateTime(c.text), c.expected, 1e-9) << c.text;
  }
}

TEST(ParseDateTime, RefusesEveryOtherForm) {
  const char* bad[] = {
      "",
      "2021-13-01 00:00:00",  // month 13
      "2021-02-30 00:00:00",  // no such day
      "2021-02-29 00:00:00",  // not a leap year
      "2021-01-01 25:00:00",
      "2021-01-01 10:60:00",
      "2021-01-01 10:00:60",
      "2021-01-01",           // date only
      "2021-01-01 10:00",     // no seconds
      "2021-01-01T10:00:00",  // the T is turned into a blank before reading
      "01.02.2021 10:00:00",  // regional form
      "\"2021-01-01 10:00:00\"",
      "2021-01-01 10:00:00+05:00",
      " 2021-01-01 10:00:00",
      "2021-01-01  10:00:00",
      "21-01-01 10:00:00",
      "Дата/Время",
  };
  for (const char* text : bad) {
    double ignored = 0;
    EXPECT_FALSE(tryParseDateTime(text, ignored)) << text;
    try {
      parseDateTime(text);
      ADD_FAILURE() << "no error for " << text;
    } catch (const DateTimeConversionError& error) {
      EXPECT_EQ(std::string(error.what()),
                std::string("'") + text + "' is not a valid date and time");
    }
  }
}

TEST(ParseMonthDayYear, ReadsMotionEventDates) {
  EXPECT_DOUBLE_EQ(parseMonthDayYear("01/02/2021"), 44198.0);
  EXPECT_DOUBLE_EQ(parseMonthDayYear("1/2/2021"), 44198.0);
  EXPECT_DOUBLE_EQ(parseMonthDayYear("12/31/2020"), 44196.0);
  for (const char* text : {"Дата", "13/01/2021", "2021-01-02", "02/30/2021", "01/02/21"}) {
    EXPECT_THROW(parseMonthDayYear(text), DateTimeConversionError) << text;
  }
}

TEST(DecodeDateTime, RoundTripsToTheSecond) {
  for (const char* text : {"1899-12-30 00:00:00", "2021-01-02 10:20:30", "2024-02-29 23:59:59",
                           "1899-12-29 06:00:00", "0001-01-01 00:00:00", "9999-12-31 23:59:59"}) {
    EXPECT_EQ(formatDateTime(parseDateTime(text)), text);
  }
  // Floating-point noise just below a whole second rounds to that second.
  EXPECT_EQ(formatDateTime(44198.0 + 37230.0 / 86400.0 - kSecond * 1e-6), "2021-01-02 10:20:30");
  EXPECT_EQ(formatDateTime(44198.0 - kSecond * 1e-6), "2021-01-02 00:00:00");
}

TEST(ConversionError, LongTextsAreShortenedInTheMessage) {
  const std::string line(10'000'000, '7');
  try {
    parseDateTime(line);
    FAIL();
  } catch (const DateTimeConversionError& error) {
    EXPECT_LT(std::string(error.what()).size(), 200u);
  }
}

}  // namespace
}  // namespace vexa
