#include "spreadsheet/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string>

#include "input/text.h"

namespace vexa::sheet {

namespace {

// Calibri 10 pt, in points: line height, and the gaps the spreadsheet leaves.
constexpr double kLine = 13.3;
constexpr double kMargin = 7;      // between the chart's edge and what it holds
constexpr double kTick = 4;        // outside tick marks
constexpr double kLabelGap = 3;    // between a tick mark and its label
constexpr double kTitleGap = 5;    // between the labels and the axis title
constexpr double kLegendKey = 30;  // the legend's line sample and its gaps
constexpr double kDashedKey = 12;  // more for a dashed line, whose sample shows its dashes
constexpr double kLegendGap = 14;  // between the legend and what stands left of it

struct Range {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  std::string format;  // of the first number met
  bool empty() const { return low > high; }
  void take(double value) {
    low = std::min(low, value);
    high = std::max(high, value);
  }
};

void takeBlock(Range& range, const WorkbookModel& model, const SheetBlock& block) {
  const auto sheet = model.sheetNamed(block.sheet);
  if (!sheet) {
    return;
  }
  for (int r = block.firstRow; r <= block.lastRow; ++r) {
    for (int c = block.firstColumn; c <= block.lastColumn; ++c) {
      const Cell* cell = sheet->cells.find(r, c);
      if (cell == nullptr || cell->kind != Cell::Kind::Number) {
        continue;
      }
      if (range.format.empty()) {
        range.format = model.formats.code(model.formats.at(cell->format).numberFormat);
      }
      range.take(cell->number);
    }
  }
}

// The values a group's series show on its value axis (Y) or time axis (X).
Range rangeOf(const ChartModel& chart, const WorkbookModel& model, int type, int group) {
  Range range;
  for (const auto& series : chart.series) {
    if (series->deleted || series->axisGroup != group) {
      continue;
    }
    const auto& block = type == 1 ? series->xValues : series->values;
    if (block) {
      takeBlock(range, model, *block);
    }
  }
  const ChartAxis& axis = chart.axis(type, type == 1 ? 1 : group);
  if (axis.minimum) {
    range.take(*axis.minimum);
  }
  if (axis.maximum) {
    range.take(*axis.maximum);
  }
  if (!axis.numberFormat.empty()) {
    range.format = axis.numberFormat;
  }
  return range;
}

// The first section of a format code, without its literal markers.
std::string firstSection(std::string_view code) {
  std::string section;
  bool quoted = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted) {
      section += c;
    } else if (c == ';') {
      break;
    } else if (c == '\\' && i + 1 < code.size()) {
      section += code[++i];
    } else if (c == '[') {
      i = std::min(code.find(']', i), code.size());
    } else if (c != '@') {
      section += c;
    }
  }
  return section;
}

// Whether the first section of `code` shows dates or times: its codes, not
// its quoted texts, hold a date or time field.
bool isDateFormat(std::string_view code) {
  std::string codes;
  bool quoted = false;
  for (std::size_t i = 0; i < code.size() && (quoted || code[i] != ';'); ++i) {
    if (code[i] == '"') {
      quoted = !quoted;
    } else if (code[i] == '\\' || code[i] == '[') {
      i = code[i] == '[' ? std::min(code.find(']', i), code.size()) : i + 1;
    } else if (!quoted) {
      codes += code[i];
    }
  }
  return codes.find_first_of("dyhs") != std::string::npos ||
         (codes.find('m') != std::string::npos && codes.find('0') == std::string::npos);
}

// Steps of the automatic scale: 1, 2 or 5 times a power of ten, about five
// of them over the range.
double niceStep(double span) {
  if (!(span > 0) || !std::isfinite(span)) {
    return 1;
  }
  const double raw = span / 5;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (raw <= factor * power) {
      return factor * power;
    }
  }
  return 10 * power;
}

}  // namespace

double textWidth(std::string_view text) {
  double width = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = std::max<std::size_t>(utf8SequenceAt(text, i), 1);
    if (c >= '0' && c <= '9') {
      width += 5.07;
    } else if (c == ' ') {
      width += 2.26;
    } else if (c == '.' || c == ',' || c == ':' || c == ';' || c == '\'' || c == '!') {
      width += 2.55;
    } else if (c == '/' || c == '(' || c == ')' || c == '-') {
      width += 3.3;
    } else if (c >= 'a' && c <= 'z') {
      width += 4.6;
    } else if (c >= 'A' && c <= 'Z') {
      width += 5.8;
    } else if (length == 2 && (c == 0xD0 || c == 0xD1)) {
      // Cyrillic: capitals U+0410..U+042F begin D0 90..D0 AF.
      const auto next = static_cast<unsigned char>(text[i + 1]);
      width += c == 0xD0 && next >= 0x90 && next <= 0xAF ? 5.9 : 4.9;
    } else {
      width += 5.5;
    }
    i += length;
  }
  return width;
}

std::string widestLabel(std::string_view formatCode, double low, double high) {
  const std::string section = firstSection(formatCode);
  if (isDateFormat(formatCode)) {
    // Every field at its widest: two digits for d, m, h and s, four for yyyy.
    std::string sample;
    for (std::size_t i = 0; i < section.size();) {
      const char c = section[i];
      std::size_t run = 1;
      while (i + run < section.size() && section[i + run] == c) {
        ++run;
      }
      if (c == 'y') {
        sample.append(run >= 3 ? 4 : 2, '0');
      } else if (c == 'd' || c == 'm' || c == 'h' || c == 's') {
        sample.append(std::max<std::size_t>(run, 2), '0');
      } else {
        sample.append(run, c);
      }
      i += run;
    }
    return sample;
  }
  int decimals = 6;  // General shows up to this many
  const auto point = section.find('.');
  if (section.find('0') != std::string::npos || section.find('#') != std::string::npos) {
    decimals = 0;
    if (point != std::string::npos) {
      for (std::size_t i = point + 1; i < section.size() && section[i] == '0'; ++i) {
        ++decimals;
      }
    }
  }
  std::string widest;
  for (const double value : {low, high}) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string label = text;
    if (decimals == 6 && point == std::string::npos && label.find('.') != std::string::npos) {
      while (label.back() == '0') {
        label.pop_back();
      }
      if (label.back() == '.') {
        label.pop_back();
      }
    }
    if (textWidth(label) > textWidth(widest)) {
      widest = label;
    }
  }
  return widest;
}

namespace {

// The labels' width of a value axis: its scale reaches the nice steps
// around the values (powers of ten on a logarithmic scale).
double valueLabelsWidth(const ChartModel& chart, const WorkbookModel& model, int group) {
  const Range range = rangeOf(chart, model, 2, group);
  const ChartAxis& axis = chart.axis(2, group);
  double low = range.empty() ? 0 : range.low;
  double high = range.empty() ? 1 : range.high;
  if (axis.logarithmic) {
    low = std::pow(10.0, std::floor(std::log10(std::max(low, 1e-300))));
    high = std::pow(10.0, std::ceil(std::log10(std::max(high, 1e-300))));
  } else {
    const double step = niceStep(high - low);
    low = axis.minimum ? *axis.minimum : std::floor(low / step) * step;
    high = axis.maximum ? *axis.maximum : std::ceil(high / step) * step;
  }
  const std::string format = range.format.empty() ? "General" : range.format;
  return textWidth(widestLabel(format, low, high));
}

// The band that the time axis's labels take below the plot.
double timeLabelsBand(const ChartModel& chart, const WorkbookModel& model,
                      std::string_view timeFormat) {
  const ChartAxis& axis = chart.axis(1, 1);
  if (axis.tickLabelPosition == -4142) {
    return 0;
  }
  const Range range = rangeOf(chart, model, 1, 1);
  const std::string format =
      axis.numberFormat.empty() ? std::string(timeFormat) : axis.numberFormat;
  const double length =
      textWidth(widestLabel(format, range.empty() ? 0 : range.low, range.empty() ? 1 : range.high));
  // Turned labels stand as high as they are long; level ones one line high.
  const double turned = std::abs(std::sin(axis.orientation * std::numbers::pi / 180.0));
  return kTick + kLabelGap + std::max(kLine, length * turned + kLine * (1 - turned));
}

double titleBand(const ChartAxis& axis) {
  return axis.hasTitle ? kLine + kTitleGap : 0;
}

}  // namespace

PlotLayout plotLayout(const ChartModel& chart, const WorkbookModel& model, double width,
                      double height, double plotAreaHeight, std::string_view timeFormat) {
  const bool secondary = chart.hasSecondary();

  // The legend on the right: its widest name and the line sample, which is
  // longer for every entry when one line is dashed.
  double legend = 0;
  bool dashed = false;
  for (const auto& series : chart.series) {
    if (series->deleted) {
      continue;
    }
    std::string name = series->literalName;
    if (series->name) {
      const auto sheet = model.sheetNamed(series->name->sheet);
      const Cell* cell =
          sheet ? sheet->cells.find(series->name->firstRow, series->name->firstColumn) : nullptr;
      if (cell != nullptr && cell->kind == Cell::Kind::Text) {
        name = model.texts.at(cell->text);
      }
    }
    dashed = dashed || (series->lineStyle && *series->lineStyle != 1);
    legend = std::max(legend, textWidth(name) + kLegendKey);
  }
  legend = std::min(legend + (dashed ? kDashedKey : 0), width / 3);

  const double left =
      kMargin + titleBand(chart.axis(2, 1)) + valueLabelsWidth(chart, model, 1) + kLabelGap + kTick;
  double right = kMargin + (legend > 0 ? legend + kLegendGap : 0);
  if (secondary) {
    right += kTick + kLabelGap + valueLabelsWidth(chart, model, 2) + titleBand(chart.axis(2, 2));
  }
  // The plot area's top stays where the spreadsheet put it; the labels of
  // the highest value stand half above the inner area.
  const double outerTop = kMargin;
  const double top = outerTop + kLine / 2;
  const double bottom = outerTop + plotAreaHeight - timeLabelsBand(chart, model, timeFormat);

  PlotLayout layout;
  const double leastWidth = width / 4;
  const double leastHeight = height / 4;
  layout.x = std::min(left, width - leastWidth) / width;
  layout.w = std::max(width - left - right, leastWidth) / width;
  layout.w = std::min(layout.w, 1 - layout.x);
  layout.y = top / height;
  layout.h = std::max(bottom - top, leastHeight) / height;
  layout.h = std::min(layout.h, 1 - layout.y);
  return layout;
}

}  // namespace vexa::sheet
