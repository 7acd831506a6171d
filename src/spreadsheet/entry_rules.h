// How a Russian-language installation reads what is typed into a cell, and
// how it writes number formats.
#pragma once

#include <string>
#include <string_view>

namespace vexa::sheet {

struct LocalEntry {
  enum class Kind { Empty, Number, Text };
  Kind kind = Kind::Empty;
  double number = 0;
  std::string text;             // the text of a Text entry, cut to what a cell holds
  std::string_view autoFormat;  // the number format a date or time entry brings, if any
};

// A text typed into a cell: empty stays empty; "21,5", "-3,25", "1,5E+15"
// become numbers; "yyyy-mm-dd hh:mm[:ss]", "yyyy-mm-dd", "dd.mm.yyyy[ hh:mm[:ss]]"
// and "hh:mm[:ss]" become date-time serials with a matching format; all else
// is text. Nothing is ever read as a formula: a text beginning with "=", "+",
// "-" or "@" that is not a number stays text.
LocalEntry readLocalEntry(std::string_view typed);

// The number-format code given through NumberFormat: a decimal comma between
// digit placeholders means decimal places ("0,00" is "0.00"); other codes are
// taken as they are.
std::string numberFormatCode(std::string_view format);

// The number-format code given through NumberFormatLocal, in the installation's
// own words: "ДД/ММ/ГГ Ч:ММ:СС;@" is "dd/mm/yy h:mm:ss;@", "Основной" is "General".
std::string numberFormatFromLocal(std::string_view local);

// `text` cut at a character boundary to at most `maxUnits` UTF-16 code units.
std::string cutToCellLength(std::string_view text, std::size_t maxUnits);

}  // namespace vexa::sheet
