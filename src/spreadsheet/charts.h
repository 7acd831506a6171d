// Charts of the engine's workbooks: XY scatter charts whose series refer to
// cell blocks, with a primary and a secondary axis group.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::sheet {

// A block of cells on a named sheet, as a series formula names it.
struct SheetBlock {
  std::string sheet;
  int firstRow = 1;
  int firstColumn = 1;
  int lastRow = 1;
  int lastColumn = 1;
};

// Reads "=Лист2!R2C1:R10C1" (or a single "R1C2"; the sheet name may be in
// single quotes). The rectangle is normalised whichever corner comes first.
// Raises std::runtime_error with a plain text when the formula does not read.
SheetBlock parseSeriesReference(std::string_view formula);

struct ChartSeries {
  std::optional<SheetBlock> name;  // the cell holding the series name
  std::string literalName;         // a name given as text instead
  std::optional<SheetBlock> xValues;
  std::optional<SheetBlock> values;
  int markerStyle = -4142;  // none
  int axisGroup = 1;        // 1 primary, 2 secondary
  bool deleted = false;
  // The line as set through its border; empty: the theme's line.
  std::optional<int> lineStyle;   // 1 continuous, -4115 dashed
  std::optional<int> lineColour;  // 0xBBGGRR
  std::optional<int> lineWeight;  // 1 hairline, 2 thin, -4138 medium, 4 thick
};

struct ChartAxis {
  bool hasTitle = false;
  std::string title;
  bool logarithmic = false;
  std::optional<double> minimum;
  std::optional<double> maximum;
  std::string numberFormat;   // canonical code; empty: follows the source cells
  int orientation = 0;        // tick-label rotation in degrees, 90 reads upward
  int tickLabelPosition = 4;  // 4 next to the axis, -4134 low, -4127 high, -4142 none
};

struct ChartModel {
  std::string name;
  int chartType = 73;  // XY scatter, smoothed lines, no markers
  std::vector<std::shared_ptr<ChartSeries>> series;
  std::optional<SheetBlock> source;  // the block the chart was last made from
  ChartAxis axes[2][2];  // [group - 1][type - 1]: type 1 the X (time) axis, 2 the value axis
  std::optional<double> plotAreaHeight;  // points

  ChartAxis& axis(int type, int group) { return axes[group - 1][type - 1]; }
  const ChartAxis& axis(int type, int group) const { return axes[group - 1][type - 1]; }
  bool hasSecondary() const;
};

}  // namespace vexa::sheet
