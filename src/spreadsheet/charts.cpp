#include "spreadsheet/charts.h"

#include <algorithm>
#include <stdexcept>

namespace vexa::sheet {

namespace {

[[noreturn]] void unreadable(std::string_view formula) {
  throw std::runtime_error("Ссылка \"" + std::string(formula) +
                           "\" не читается: ожидается вид =Лист2!R2C1:R10C1.");
}

bool readNumber(std::string_view text, std::size_t& pos, int& value) {
  std::size_t digits = 0;
  value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 8) {
    value = value * 10 + (text[pos++] - '0');
    ++digits;
  }
  return digits > 0;
}

bool readCell(std::string_view text, std::size_t& pos, int& row, int& column) {
  if (pos >= text.size() || (text[pos] != 'R' && text[pos] != 'r')) {
    return false;
  }
  ++pos;
  if (!readNumber(text, pos, row) || pos >= text.size() || (text[pos] != 'C' && text[pos] != 'c')) {
    return false;
  }
  ++pos;
  return readNumber(text, pos, column) && row >= 1 && column >= 1;
}

}  // namespace

SheetBlock parseSeriesReference(std::string_view formula) {
  std::string_view text = formula;
  if (!text.empty() && text.front() == '=') {
    text.remove_prefix(1);
  }
  SheetBlock block;
  std::size_t pos = 0;
  if (!text.empty() && text.front() == '\'') {
    // 'Sheet name', with '' standing for one quote.
    for (pos = 1; pos < text.size(); ++pos) {
      if (text[pos] == '\'') {
        if (pos + 1 < text.size() && text[pos + 1] == '\'') {
          block.sheet.push_back('\'');
          ++pos;
          continue;
        }
        break;
      }
      block.sheet.push_back(text[pos]);
    }
    if (pos >= text.size()) {
      unreadable(formula);
    }
    ++pos;
  } else {
    pos = text.find('!');
    if (pos == std::string_view::npos) {
      unreadable(formula);
    }
    block.sheet = std::string(text.substr(0, pos));
  }
  if (block.sheet.empty() || pos >= text.size() || text[pos] != '!') {
    unreadable(formula);
  }
  ++pos;
  int r1 = 0, c1 = 0;
  if (!readCell(text, pos, r1, c1)) {
    unreadable(formula);
  }
  int r2 = r1, c2 = c1;
  if (pos < text.size()) {
    if (text[pos] != ':' || !readCell(text, ++pos, r2, c2) || pos != text.size()) {
      unreadable(formula);
    }
  }
  block.firstRow = std::min(r1, r2);
  block.lastRow = std::max(r1, r2);
  block.firstColumn = std::min(c1, c2);
  block.lastColumn = std::max(c1, c2);
  return block;
}

bool ChartModel::hasSecondary() const {
  return std::any_of(series.begin(), series.end(),
                     [](const auto& s) { return !s->deleted && s->axisGroup == 2; });
}

}  // namespace vexa::sheet
