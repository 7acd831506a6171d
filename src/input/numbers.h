// Numbers written with a decimal comma, read with fixed settings (never the
// user's regional ones).
#pragma once

#include <stdexcept>
#include <string_view>

namespace vexa {

// "'<text>' is not a valid floating point value"
class NumberConversionError : public std::runtime_error {
 public:
  explicit NumberConversionError(std::string_view text);
};

// Reads "-3,25", "21", "1,5E+15", ",5" (blanks around allowed). Raises
// NumberConversionError for anything else, a decimal point included.
double parseDecimalComma(std::string_view text);

// The same without raising: false when `text` is not such a number.
bool tryParseDecimalComma(std::string_view text, double& value);

// A measured value as an export writes it ("-12.5"), read as the report
// reads the table's cell made of it: quotes deleted, blanks around it
// allowed, the decimal point taken for the report's comma. False for a
// field that is no number (or not a finite one).
bool tryParseReadingValue(std::string_view field, double& value);

}  // namespace vexa
