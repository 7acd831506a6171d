#include "input/text.h"

#include <gtest/gtest.h>

#include "platform/files.h"

namespace vexa {
namespace {

TEST(CountPos, CountsWithoutOverlap) {
  struct Case {
    const char* subtext;
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"Time", "Date,Time, Sensor A,Time, Sensor B", 2},
      {"Time", "Date,Time, T1,Time, T2,Time, T3,Time, T4", 4},
      {"", "Date,Time", 0},
      {"Time", "", 0},
      {"aa", "aaa", 1},
      {"aa", "aaaa", 2},
      {"time", "Date,Time", 0},  // case-sensitive
      {"Время", "Дата,Время,Время", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountPos(c.subtext, c.text), c.expected) << c.subtext << " in " << c.text;
  }
}

TEST(FieldOperations, HeadAndRemainderFollowTheFirstComma) {
  EXPECT_EQ(head("a,b,c"), "a");
  EXPECT_EQ(remainder("a,b,c"), "b,c");
  EXPECT_EQ(head("abc"), "");  // no comma: nothing before it
  EXPECT_EQ(remainder("abc"), "abc");
  EXPECT_EQ(head(",x"), "");
  EXPECT_EQ(remainder("x,"), "");
}

TEST(FieldOperations, ReplaceDoesNotRescanReplacedText) {
  EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(replaceAll("Disarmed,Armed", "Armed", "Включён"), "Disarmed,Включён");
  EXPECT_EQ(replaceAll("a+03:00b+03:00", "+03:00", ""), "ab");
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

TEST(FieldOperations, QuotesCommasAndDecimalPoints) {
  EXPECT_EQ(unquote("\"21.5\""), "21.5");
  EXPECT_EQ(decimalComma("1.5E+15"), "1,5E+15");
  EXPECT_EQ(withoutCommas("5,,,"), "5");
}

TEST(ShortenForMessage, CutsLongTextsOnCodePointBoundaries) {
  EXPECT_EQ(shortenForMessage("short"), "short");
  const std::string cyrillic(300, 'x');
  EXPECT_EQ(shortenForMessage(cyrillic, 10), "xxxxxxxxxx…");
  // Two-byte letters are never cut in half.
  EXPECT_EQ(shortenForMessage("ДатаВремя", 4), "Дата…");
}

TEST(ShortenForMessage, ControlCharactersBecomeVisible) {
  EXPECT_EQ(shortenForMessage(std::string("a\0b\tc", 5)), "a\u2400b\u2409c");
}

// What a console is written now: whole UTF-8 sequences, a cut one waits.
TEST(ConsoleText, WholeSequencesOnly) {
  const struct {
    std::string bytes;
    std::size_t whole;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {"Файл", 8},
      {"Фай\xD0", 6},        // the lead of «л» alone
      {"\xE2\x80", 0},       // two of a dash's three bytes
      {"a\xE2\x80\x94", 4},  // the whole dash
      {"a\xF0\x9F\x98", 1},  // three of four
      {"\x80\x80", 2},       // stray continuations: nothing to wait for
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::completeUtf8Length(c.bytes), c.whole) << c.bytes;
  }
}

}  // namespace
}  // namespace vexa
