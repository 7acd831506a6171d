#include "input/numbers.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(DecimalCommaNumbers, FixedCommaWhateverTheRegion) {
  struct Case {
    const char* text;
    double value;
  };
  const Case good[] = {{"21,5", 21.5},   {"-3,25", -3.25},
                       {"+7", 7},        {"0", 0},
                       {",5", 0.5},      {"5,", 5},
                       {" 12,5 ", 12.5}, {"1,5E+15", 1.5e15},
                       {"2e-3", 0.002},  {"1029384756000000", 1.029384756e15}};
  for (const Case& c : good) {
    EXPECT_DOUBLE_EQ(parseDecimalComma(c.text), c.value) << c.text;
  }
  for (const char* text : {"", "21.5", "1,5,1", "abc", "-", ",", "1e", "1 000", "0x10", "inf",
                           "nan", "1E999", "Opened"}) {
    try {
      parseDecimalComma(text);
      ADD_FAILURE() << text;
    } catch (const NumberConversionError& error) {
      EXPECT_EQ(std::string(error.what()),
                std::string("'") + text + "' is not a valid floating point value");
    }
  }
}

}  // namespace
}  // namespace vexa

#include <charconv>
#include <random>

namespace vexa {
namespace {

TEST(DecimalCommaNumbers, ShortFormsReadExactlyAsTheGeneralReader) {
  std::mt19937_64 random(99);
  for (int n = 0; n < 200000; ++n) {
    std::string digits = std::to_string(random() % 1'000'000'000'000'000ULL);
    const std::size_t comma = random() % (digits.size() + 1);
    std::string withComma = digits;
    std::string withPoint = digits;
    if (comma < digits.size()) {
      withComma.insert(comma, ",");
      withPoint.insert(comma, ".");
    }
    if (random() % 2) {
      withComma.insert(0, "-");
      withPoint.insert(0, "-");
    }
    double expected = 0;
    std::from_chars(withPoint.data(), withPoint.data() + withPoint.size(), expected);
    ASSERT_EQ(parseDecimalComma(withComma), expected) << withComma;
  }
}

}  // namespace
}  // namespace vexa
