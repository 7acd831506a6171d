#include "spreadsheet/entry_rules.h"

#include <cmath>

#include "input/datetime.h"
#include "input/numbers.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

namespace {

// The serial of 1900-03-01, from which on the spreadsheet's serials count
// the days since 1899-12-30.
constexpr double kFirstMarch1900 = 61;

// The largest number a cell holds; a larger one typed stays text.
constexpr double kLargestNumber = 9.99999999999999e307;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads 1 to 2 (or exactly `exact`) digits.
bool digits(std::string_view text, std::size_t& pos, int minimum, int maximum, int& value) {
  int count = 0;
  value = 0;
  while (pos < text.size() && count < maximum && isDigit(text[pos])) {
    value = value * 10 + (text[pos++] - '0');
    ++count;
  }
  return count >= minimum;
}

bool literal(std::string_view text, std::size_t& pos, char c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// "hh:mm" or "hh:mm:ss" from `pos` to the end.
bool readClock(std::string_view text, std::size_t pos, CivilDateTime& v, bool& seconds) {
  seconds = false;
  if (!digits(text, pos, 1, 2, v.hour) || !literal(text, pos, ':') ||
      !digits(text, pos, 2, 2, v.minute)) {
    return false;
  }
  if (literal(text, pos, ':')) {
    if (!digits(text, pos, 2, 2, v.second)) {
      return false;
    }
    seconds = true;
  }
  return pos == text.size();
}

// Dates, date-times and times as a Russian installation takes them in.
bool readDateTime(std::string_view text, double& serial, std::string_view& autoFormat) {
  std::string_view format;
  CivilDateTime v;
  v.hour = v.minute = v.second = 0;
  std::size_t pos = 0;
  bool date = false;
  int first = 0;
  if (digits(text, pos, 4, 4, first) && literal(text, pos, '-')) {
    // yyyy-mm-dd
    v.year = first;
    date = digits(text, pos, 1, 2, v.month) && literal(text, pos, '-') &&
           digits(text, pos, 1, 2, v.day);
    if (!date) {
      return false;
    }
  } else {
    pos = 0;
    if (digits(text, pos, 1, 2, first) && literal(text, pos, '.')) {
      // dd.mm.yyyy
      v.day = first;
      date = digits(text, pos, 1, 2, v.month) && literal(text, pos, '.') &&
             digits(text, pos, 4, 4, v.year);
      if (!date) {
        return false;
      }
    } else {
      pos = 0;
    }
  }
  bool seconds = false;
  if (date) {
    if (pos == text.size()) {
      format = "dd.mm.yyyy";
    } else if (literal(text, pos, ' ') && readClock(text, pos, v, seconds)) {
      format = seconds ? "dd.mm.yyyy h:mm:ss" : "dd.mm.yyyy h:mm";
    } else {
      return false;
    }
    // The spreadsheet keeps dates from 1900-01-01 on; it counts a 29 February
    // 1900 that never was, so its serials before 1 March 1900 are one less
    // than the days since 1899-12-30.
    if (!isValidCivil(v) || v.year < 1900) {
      return false;
    }
    serial = encodeDateTime(v);
    if (serial < kFirstMarch1900) {
      serial -= 1;
    }
    autoFormat = format;
    return true;
  }
  if (!readClock(text, 0, v, seconds) || v.hour > 23 || v.minute > 59 || v.second > 59) {
    return false;
  }
  autoFormat = seconds ? "h:mm:ss" : "h:mm";
  serial = (v.hour * 3600.0 + v.minute * 60.0 + v.second) / 86400.0;
  return true;
}

// A number as typed with the decimal comma; blanks around it are ignored.
bool readNumber(std::string_view text, double& value) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return false;
  }
  const std::size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
  if (!isDigit(text[0]) && text[0] != '-' && text[0] != '+' && text[0] != ',') {
    return false;
  }
  return tryParseDecimalComma(text, value) && std::fabs(value) <= kLargestNumber;
}

}  // namespace

std::string cutToCellLength(std::string_view text, std::size_t maxUnits) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::size_t needed = length == 4 ? 2 : 1;  // a surrogate pair counts twice
    if (units + needed > maxUnits) {
      break;
    }
    units += needed;
    i += length;
  }
  return std::string(text.substr(0, std::min(i, text.size())));
}

LocalEntry readLocalEntry(std::string_view typed) {
  LocalEntry entry;
  if (typed.empty()) {
    return entry;
  }
  if (readNumber(typed, entry.number)) {
    entry.kind = LocalEntry::Kind::Number;
    return entry;
  }
  if (readDateTime(typed, entry.number, entry.autoFormat)) {
    entry.kind = LocalEntry::Kind::Number;
    return entry;
  }
  entry.kind = LocalEntry::Kind::Text;
  entry.text = cutToCellLength(typed, kMaxCellText);
  return entry;
}

std::string numberFormatCode(std::string_view format) {
  // Digit placeholders, one comma, then zeros only: the comma marks decimal
  // places ("0,00"). "#,##0" keeps its comma as the thousands separator.
  const auto comma = format.find(',');
  std::string code(format);
  if (comma == std::string_view::npos || comma == 0 || comma + 1 == format.size()) {
    return code;
  }
  const std::string_view whole = format.substr(0, comma);
  const std::string_view places = format.substr(comma + 1);
  if (whole.find_first_not_of("0#") == std::string_view::npos &&
      places.find_first_not_of('0') == std::string_view::npos) {
    code[comma] = '.';
  }
  return code;
}

std::string numberFormatFromLocal(std::string_view local) {
  if (local == "Основной") {
    return "General";
  }
  struct Letter {
    std::string_view russian;
    char canonical;
  };
  static constexpr Letter kLetters[] = {
      {"Д", 'd'}, {"д", 'd'}, {"М", 'm'}, {"м", 'm'}, {"Г", 'y'},
      {"г", 'y'}, {"Ч", 'h'}, {"ч", 'h'}, {"С", 's'}, {"с", 's'},
  };
  std::string code;
  bool quoted = false;
  std::size_t i = 0;
  while (i < local.size()) {
    const char c = local[i];
    if (c == '"') {
      quoted = !quoted;
    }
    if (!quoted && c == '\\' && i + 1 < local.size()) {
      // An escaped character stands for itself (it may be a multi-byte letter).
      std::size_t end = i + 2;
      while (end < local.size() && (static_cast<unsigned char>(local[end]) & 0xC0) == 0x80) {
        ++end;
      }
      code.append(local.substr(i, end - i));
      i = end;
      continue;
    }
    bool replaced = false;
    if (!quoted) {
      for (const Letter& letter : kLetters) {
        if (local.substr(i).starts_with(letter.russian)) {
          code.push_back(letter.canonical);
          i += letter.russian.size();
          replaced = true;
          break;
        }
      }
      if (!replaced && c == ',') {
        code.push_back('.');  // the installation's decimal separator
        ++i;
        replaced = true;
      }
    }
    if (!replaced) {
      code.push_back(c);
      ++i;
    }
  }
  return code;
}

}  // namespace vexa::sheet
