// The colours of the charts, the same on every surface: the series' line
// colours (those the workbook's theme gives its chart's series, in order),
// the limits' lines, and the band the preview chooses a window with.
#pragma once

#include <string_view>

#include "plot/canvas.h"

namespace vexa::plot {

// "4F81BD" as a colour.
Colour colourOf(std::string_view hex);

// The line colour of the series at `position` among a chart's series.
Colour seriesColour(int position);

inline constexpr Colour kHighLimit{192, 0, 0};   // the high limit's line: C00000
inline constexpr Colour kLowLimit{0, 112, 192};  // the low limit's line: 0070C0
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kGrid{226, 226, 226};
inline constexpr Colour kFrame{160, 160, 160};

}  // namespace vexa::plot
