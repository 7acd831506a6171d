#include "spreadsheet/chart_figure.h"

#include <algorithm>
#include <cmath>

#include "plot/palette.h"

namespace vexa::sheet {

namespace {

// The numbers of a block's cells in order; blanks and texts are gaps (NaN).
std::vector<double> numbersOf(const WorkbookModel& model, const SheetBlock& block) {
  std::vector<double> numbers;
  const auto sheet = model.sheetNamed(block.sheet);
  for (int r = block.firstRow; r <= block.lastRow; ++r) {
    for (int c = block.firstColumn; c <= block.lastColumn; ++c) {
      const Cell* cell = sheet ? sheet->cells.find(r, c) : nullptr;
      numbers.push_back(cell != nullptr && cell->kind == Cell::Kind::Number ? cell->number : NAN);
    }
  }
  return numbers;
}

std::string nameOf(const WorkbookModel& model, const ChartSeries& series) {
  if (!series.name) {
    return series.literalName;
  }
  const auto sheet = model.sheetNamed(series.name->sheet);
  const Cell* cell =
      sheet ? sheet->cells.find(series.name->firstRow, series.name->firstColumn) : nullptr;
  return cell != nullptr && cell->kind == Cell::Kind::Text ? model.texts.at(cell->text)
                                                           : std::string();
}

// "0.00" gives two places; other formats the shortest text.
int placesOf(const std::string& format) {
  if (format == "0") {
    return 0;
  }
  if (format.rfind("0.", 0) == 0 && format.find_first_not_of('0', 2) == std::string::npos) {
    return static_cast<int>(format.size() - 2);
  }
  return -1;
}

}  // namespace

std::vector<const ChartModel*> chartsOf(const WorkbookModel& model) {
  std::vector<const ChartModel*> charts;
  for (const auto& sheet : model.sheets) {
    if (sheet->removed) {
      continue;
    }
    if (sheet->chart) {
      charts.push_back(sheet->chart.get());
    }
    for (const EmbeddedChart& embedded : sheet->charts) {
      if (embedded.chart) {
        charts.push_back(embedded.chart.get());
      }
    }
  }
  return charts;
}

std::optional<plot::ChartFigure> chartFigure(const WorkbookModel& model) {
  const std::vector<const ChartModel*> charts = chartsOf(model);
  if (charts.empty()) {
    return std::nullopt;
  }
  return figureOf(model, *charts.front());
}

std::vector<plot::ChartFigure> chartFigures(const WorkbookModel& model) {
  std::vector<plot::ChartFigure> figures;
  for (const ChartModel* chart : chartsOf(model)) {
    figures.push_back(figureOf(model, *chart));
  }
  return figures;
}

plot::ChartFigure figureOf(const WorkbookModel& model, const ChartModel& chartModel) {
  const ChartModel* chart = &chartModel;
  plot::ChartFigure figure;
  double first = INFINITY;
  double last = -INFINITY;
  int position = 0;
  for (const auto& series : chart->series) {
    if (series->deleted) {
      continue;
    }
    plot::ChartLine line;
    line.name = nameOf(model, *series);
    line.axis = series->axisGroup == 2 ? 2 : 1;
    line.width = 2;
    // The theme's colour for its place among the series, or its own line.
    line.colour = plot::seriesColour(position++);
    if (series->lineColour) {
      const int bgr = *series->lineColour;
      line.colour = {static_cast<std::uint8_t>(bgr & 0xFF),
                     static_cast<std::uint8_t>((bgr >> 8) & 0xFF),
                     static_cast<std::uint8_t>((bgr >> 16) & 0xFF), 255};
    }
    line.dashed = series->lineStyle == -4115;
    if (series->values) {
      const std::vector<double> ys = numbersOf(model, *series->values);
      const std::vector<double> xs =
          series->xValues ? numbersOf(model, *series->xValues) : std::vector<double>();
      for (std::size_t i = 0; i < ys.size(); ++i) {
        const double x = i < xs.size() ? xs[i] : static_cast<double>(i + 1);
        if (std::isfinite(x) && std::isfinite(ys[i])) {
          line.points.push_back({x, ys[i]});
          first = std::min(first, x);
          last = std::max(last, x);
        }
      }
    }
    std::stable_sort(line.points.begin(), line.points.end(),
                     [](const plot::Point& a, const plot::Point& b) { return a.x < b.x; });
    figure.lines.push_back(std::move(line));
  }
  const ChartAxis& time = chart->axis(1, 1);
  figure.first = time.minimum.value_or(std::isfinite(first) ? first : 0);
  figure.last = time.maximum.value_or(std::isfinite(last) ? last : figure.first);
  figure.timeTitle = time.hasTitle ? time.title : std::string();
  for (int group = 1; group <= 2; ++group) {
    const ChartAxis& axis = chart->axis(2, group);
    plot::ValueAxisSettings& settings = figure.axes[group - 1];
    settings.title = axis.hasTitle ? axis.title : std::string();
    settings.logarithmic = axis.logarithmic;
    settings.minimum = axis.minimum;
    settings.maximum = axis.maximum;
    settings.decimals = placesOf(axis.numberFormat);
  }
  return figure;
}

}  // namespace vexa::sheet
