#include "plot/palette.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace vexa::plot {

namespace {

// The accents of the workbook's theme and their darker shades: Excel's
// automatic colours of a chart's first twelve series.
constexpr std::string_view kSeriesColours[] = {"4F81BD", "C0504D", "9BBB59", "8064A2",
                                               "4BACC6", "F79646", "385D8A", "8C3836",
                                               "71893F", "5C4776", "357D91", "B66D31"};

}  // namespace

Colour colourOf(std::string_view hex) {
  const auto part = [&](std::size_t at) {
    int value = 0;
    for (std::size_t i = at; i < at + 2 && i < hex.size(); ++i) {
      const char c = hex[i];
      value = value * 16 + (c >= '0' && c <= '9'   ? c - '0'
                            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                   : 0);
    }
    return static_cast<std::uint8_t>(value);
  };
  return {part(0), part(2), part(4), 255};
}

Colour seriesColour(int position) {
  return colourOf(
      kSeriesColours[static_cast<std::size_t>(std::max(position, 0)) % std::size(kSeriesColours)]);
}

}  // namespace vexa::plot
