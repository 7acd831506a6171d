#include "spreadsheet/chart_writer.h"

#include <cmath>
#include <cstdio>

#include "spreadsheet/chart_layout.h"
#include "spreadsheet/ooxml_writer.h"
#include "spreadsheet/xml.h"

namespace vexa::sheet {

namespace {

constexpr std::string_view kChartNs = "http://schemas.openxmlformats.org/drawingml/2006/chart";
constexpr std::string_view kDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr std::string_view kSheetDrawingNs =
    "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
constexpr std::string_view kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view kPackageRelationshipsNs =
    "http://schemas.openxmlformats.org/package/2006/relationships";

// Line colours of the series, in the order the spreadsheet gives them: its
// six accents, then the same a quarter darker.
// Axis identifiers: primary X and Y, secondary X and Y.
constexpr int kAxisIds[2][2] = {{50010, 50020}, {50030, 50040}};

constexpr long long kEmuPerPoint = 12700;
constexpr long long kEmuPerPixel = 9525;

// 'Лист2'!$A$2:$A$10
std::string blockFormula(const SheetBlock& block) {
  std::string sheet = "'";
  for (const char c : block.sheet) {
    sheet += c;
    if (c == '\'') {
      sheet += '\'';
    }
  }
  sheet += "'!";
  const auto cell = [](int row, int column) {
    return "$" + columnName(column) + "$" + std::to_string(row);
  };
  std::string formula = sheet + cell(block.firstRow, block.firstColumn);
  if (block.lastRow != block.firstRow || block.lastColumn != block.firstColumn) {
    formula += ":" + cell(block.lastRow, block.lastColumn);
  }
  return formula;
}

const Cell* cellAt(const WorkbookModel& model, const std::string& sheet, int row, int column) {
  const auto found = model.sheetNamed(sheet);
  return found ? found->cells.find(row, column) : nullptr;
}

// What a cell shows as a series name.
std::string cellText(const WorkbookModel& model, const Cell* cell) {
  if (cell == nullptr) {
    return {};
  }
  if (cell->kind == Cell::Kind::Text) {
    return model.texts.at(cell->text);
  }
  if (cell->kind == Cell::Kind::Number) {
    std::string text;
    appendNumber(text, cell->number);
    return text;
  }
  return {};
}

void writeRich(XmlWriter& x, std::string_view text, bool rotated) {
  x.raw("<c:tx><c:rich>");
  x.raw(rotated ? "<a:bodyPr rot=\"-5400000\" vert=\"horz\"/>" : "<a:bodyPr/>");
  x.raw("<a:lstStyle/><a:p><a:pPr><a:defRPr/></a:pPr><a:r><a:rPr lang=\"ru-RU\"/><a:t>");
  x.text(text);
  x.raw("</a:t></a:r></a:p></c:rich></c:tx><c:layout/>");
}

const std::string& numberFormatOf(const WorkbookModel& model, const Cell& cell) {
  return model.formats.code(model.formats.at(cell.format).numberFormat);
}

// The cached values of a block, as the chart shows them until its reader
// recalculates: the numbers of the block's cells in order (blanks and texts
// are gaps), under the number format of the first of them.
void appendNumberCache(std::string& out, const WorkbookModel& model, const SheetBlock& block) {
  const auto sheet = model.sheetNamed(block.sheet);
  const long long count = static_cast<long long>(block.lastRow - block.firstRow + 1) *
                          (block.lastColumn - block.firstColumn + 1);
  std::string_view format = "General";
  if (sheet) {
    for (int r = block.firstRow; r <= block.lastRow && format == "General"; ++r) {
      for (int c = block.firstColumn; c <= block.lastColumn; ++c) {
        const Cell* cell = sheet->cells.find(r, c);
        if (cell != nullptr && cell->kind == Cell::Kind::Number) {
          format = numberFormatOf(model, *cell);
          break;
        }
      }
    }
  }
  out += "<c:numCache><c:formatCode>";
  appendEscapedText(out, format);
  out += "</c:formatCode><c:ptCount val=\"";
  appendInteger(out, count);
  out += "\"/>";
  if (!sheet) {
    out += "</c:numCache>";
    return;
  }
  long long index = 0;
  for (int r = block.firstRow; r <= block.lastRow; ++r) {
    for (int c = block.firstColumn; c <= block.lastColumn; ++c, ++index) {
      const Cell* cell = sheet->cells.find(r, c);
      if (cell == nullptr || cell->kind != Cell::Kind::Number) {
        continue;
      }
      out += "<c:pt idx=\"";
      appendInteger(out, index);
      out += "\"><c:v>";
      appendNumber(out, cell->number);
      out += "</c:v></c:pt>";
    }
  }
  out += "</c:numCache>";
}

// Writes the number references of a chart's series with their caches. A block
// that several series share (the time column of the climate charts) is
// cached once and copied.
class NumberReferences {
 public:
  explicit NumberReferences(const WorkbookModel& model) : model_(model) {}

  void write(XmlWriter& x, const char* element, const SheetBlock& block) {
    x.open(element).close().raw("<c:numRef><c:f>").text(blockFormula(block)).raw("</c:f>");
    std::string& out = x.str();
    const auto key = std::make_tuple(block.sheet, block.firstRow, block.firstColumn, block.lastRow,
                                     block.lastColumn);
    const auto found = written_.find(key);
    if (found == written_.end()) {
      const std::size_t start = out.size();
      appendNumberCache(out, model_, block);
      written_.emplace(key, std::make_pair(start, out.size() - start));
    } else {
      const auto [start, length] = found->second;
      out.reserve(out.size() + length);  // the copy's source stays in place
      out.append(out.data() + start, length);
    }
    x.raw("</c:numRef>").end(element);
  }

 private:
  const WorkbookModel& model_;
  // Where each block's cache already stands in the part: (start, length).
  std::map<std::tuple<std::string, int, int, int, int>, std::pair<std::size_t, std::size_t>>
      written_;
};

// The size of a chart part, nearly: room for its caches' points.
std::size_t expectedChartSize(const ChartModel& chart) {
  std::size_t points = 0;
  for (const auto& series : chart.series) {
    for (const auto* block : {&series->xValues, &series->values}) {
      if (!series->deleted && block->has_value()) {
        points += static_cast<std::size_t>((*block)->lastRow - (*block)->firstRow + 1) *
                  static_cast<std::size_t>((*block)->lastColumn - (*block)->firstColumn + 1);
      }
    }
  }
  return 16384 + points * 48;
}

const char* markerSymbol(int style) {
  switch (style) {
    case 1:
      return "square";
    case 2:
      return "diamond";
    case 3:
      return "triangle";
    case 4:
    case -4168:
      return "x";
    case 5:
      return "star";
    case 8:
      return "circle";
    case 9:
      return "plus";
    case -4115:
      return "dash";
    case -4118:
      return "dot";
    case -4147:
      return "picture";
    case -4105:
      return nullptr;  // automatic
    default:
      return "none";
  }
}

// A series' own line: width in EMU for the weight, colour, dashes.
void writeLine(XmlWriter& x, const ChartSeries& series) {
  int width = 28575;  // the theme's line of a scatter chart
  switch (series.lineWeight.value_or(0)) {
    case 1:
      width = 3175;
      break;
    case 2:
      width = 9525;
      break;
    case -4138:
      width = 19050;
      break;
    case 4:
      width = 38100;
      break;
    default:
      break;
  }
  x.raw("<c:spPr>").open("a:ln").attribute("w", width).close();
  if (series.lineColour) {
    // 0xBBGGRR as the object model gives it; RRGGBB as the part writes it.
    const int bgr = *series.lineColour;
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF,
                  (bgr >> 16) & 0xFF);
    x.raw("<a:solidFill>").open("a:srgbClr").attribute("val", rgb).closeEmpty();
    x.raw("</a:solidFill>");
  }
  if (series.lineStyle == -4115) {
    x.open("a:prstDash").attribute("val", "dash").closeEmpty();
  }
  x.raw("</a:ln></c:spPr>");
}

void writeSeries(XmlWriter& x, const ChartModel& chart, const ChartSeries& series, int index,
                 const WorkbookModel& model, NumberReferences& references) {
  x.raw("<c:ser>").value("c:idx", index).value("c:order", index);
  if (series.name) {
    x.raw("<c:tx><c:strRef><c:f>").text(blockFormula(*series.name)).raw("</c:f>");
    x.raw("<c:strCache><c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>");
    x.text(cellText(
        model, cellAt(model, series.name->sheet, series.name->firstRow, series.name->firstColumn)));
    x.raw("</c:v></c:pt></c:strCache></c:strRef></c:tx>");
  } else if (!series.literalName.empty()) {
    x.raw("<c:tx><c:v>").text(series.literalName).raw("</c:v></c:tx>");
  }
  // Lines take the theme's colour and width for their place among the
  // series, unless the series' line was set; a chart of markers only hides
  // the lines, as the spreadsheet does.
  if (chart.chartType == -4169) {
    x.raw("<c:spPr><a:ln w=\"28575\"><a:noFill/></a:ln></c:spPr>");
  } else if (series.lineStyle || series.lineColour || series.lineWeight) {
    writeLine(x, series);
  }
  if (const char* symbol = markerSymbol(series.markerStyle)) {
    x.raw("<c:marker>").value("c:symbol", symbol).raw("</c:marker>");
  }
  if (series.xValues) {
    references.write(x, "c:xVal", *series.xValues);
  }
  if (series.values) {
    references.write(x, "c:yVal", *series.values);
  }
  x.value("c:smooth", chart.chartType == 72 || chart.chartType == 73 ? 1 : 0);
  x.raw("</c:ser>");
}

// The number format of the time axis follows the time column: the first
// cell with a number format in the column of the X values, from their first
// row down. A window without lines leaves the series without X values; the
// first column of the block the chart was made from is the time column then,
// and below its headings it holds the format the time stamps would have had.
std::string timeColumnFormat(const ChartModel& chart, const WorkbookModel& model) {
  struct Column {
    const std::string* sheet;
    int column;
    int firstRow;
  };
  std::vector<Column> columns;
  for (const auto& series : chart.series) {
    if (!series->deleted && series->xValues) {
      columns.push_back(
          {&series->xValues->sheet, series->xValues->firstColumn, series->xValues->firstRow});
    }
  }
  if (chart.source) {
    columns.push_back(
        {&chart.source->sheet, chart.source->firstColumn, chart.source->firstRow + 1});
  }
  for (const Column& at : columns) {
    const auto sheet = model.sheetNamed(*at.sheet);
    if (!sheet) {
      continue;
    }
    for (int r = at.firstRow; r <= sheet->cells.rowCount(); ++r) {
      const Cell* cell = sheet->cells.find(r, at.column);
      if (cell != nullptr && model.formats.at(cell->format).numberFormat != 0) {
        return numberFormatOf(model, *cell);
      }
    }
  }
  return "General";
}

struct AxisPlacement {
  int type;   // 1 X, 2 Y
  int group;  // 1 primary, 2 secondary
};

void writeAxis(XmlWriter& x, const ChartModel& chart, AxisPlacement at, bool deleted,
               const std::string& linkedFormat) {
  // The hidden secondary X axis takes the primary X axis's scale, so that the
  // secondary series line up in time with the primary ones.
  const ChartAxis& a = chart.axis(at.type, at.group);
  const ChartAxis& scale = at.type == 1 ? chart.axis(1, 1) : a;
  x.raw("<c:valAx>").value("c:axId", kAxisIds[at.group - 1][at.type - 1]);
  x.raw("<c:scaling>");
  if (scale.logarithmic) {
    x.value("c:logBase", 10);
  }
  x.value("c:orientation", "minMax");
  // Limits that cannot hold (minimum not below maximum, or not above zero on
  // a logarithmic scale) are left to the automatic scale.
  const bool ordered = !(scale.minimum && scale.maximum && *scale.minimum >= *scale.maximum);
  if (scale.maximum && ordered && !(scale.logarithmic && *scale.maximum <= 0)) {
    x.value("c:max", *scale.maximum);
  }
  if (scale.minimum && ordered && !(scale.logarithmic && *scale.minimum <= 0)) {
    x.value("c:min", *scale.minimum);
  }
  x.raw("</c:scaling>");
  x.value("c:delete", deleted ? 1 : 0);
  x.value("c:axPos", at.type == 1 ? "b" : at.group == 1 ? "l" : "r");
  if (at.type == 2 && at.group == 1) {
    x.raw("<c:majorGridlines/>");
  }
  if (a.hasTitle && !deleted) {
    x.raw("<c:title>");
    writeRich(x, a.title, at.type == 2);
    x.raw("</c:title>");
  }
  if (!a.numberFormat.empty()) {
    x.open("c:numFmt").attribute("formatCode", a.numberFormat).attribute("sourceLinked", 0);
  } else {
    x.open("c:numFmt").attribute("formatCode", linkedFormat).attribute("sourceLinked", 1);
  }
  x.closeEmpty();
  // A deleted axis shows no labels.
  const char* position = deleted ? "none" : "nextTo";
  switch (deleted ? 4 : a.tickLabelPosition) {
    case -4134:
      position = "low";
      break;
    case -4127:
      position = "high";
      break;
    case -4142:
      position = "none";
      break;
    default:
      break;
  }
  x.value("c:tickLblPos", position);
  if (a.orientation != 0) {
    x.raw("<c:txPr><a:bodyPr rot=\"").raw(std::to_string(-a.orientation * 60000));
    x.raw("\" vert=\"horz\"/><a:lstStyle/><a:p><a:pPr><a:defRPr/></a:pPr>");
    x.raw("<a:endParaRPr lang=\"ru-RU\"/></a:p></c:txPr>");
  }
  x.value("c:crossAx", kAxisIds[at.group - 1][2 - at.type]);
  // The secondary value axis stands on the right: it crosses its X axis at the end.
  x.value("c:crosses", at.type == 2 && at.group == 2 ? "max" : "autoZero");
  x.value("c:crossBetween", "midCat");
  x.raw("</c:valAx>");
}

std::string relationships(const std::vector<std::string>& charts) {
  XmlWriter x;
  x.open("Relationships").attribute("xmlns", kPackageRelationshipsNs).close();
  for (std::size_t i = 0; i < charts.size(); ++i) {
    x.open("Relationship")
        .attribute("Id", "rId" + std::to_string(i + 1))
        .attribute("Type", std::string(kRelationshipsNs) + "/chart")
        .attribute("Target", "../charts/" + charts[i])
        .closeEmpty();
  }
  x.end("Relationships");
  return std::move(x.str());
}

std::string graphicFrame(int id, std::string_view name, int relation) {
  XmlWriter x(XmlWriter::kFragment);
  std::string& out = x.str();
  x.raw("<xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr>");
  x.open("xdr:cNvPr").attribute("id", id).attribute("name", name).closeEmpty();
  x.raw(
      "<xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr><xdr:xfrm><a:off x=\"0\" y=\"0\"/>"
      "<a:ext cx=\"0\" cy=\"0\"/></xdr:xfrm><a:graphic><a:graphicData "
      "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">");
  x.open("c:chart")
      .attribute("xmlns:c", kChartNs)
      .attribute("xmlns:r", kRelationshipsNs)
      .attribute("r:id", "rId" + std::to_string(relation))
      .closeEmpty();
  x.raw("</a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/>");
  return std::move(out);
}

// A position in points on a worksheet as (cell, offset): columns of their
// set width (64 pixels by default), rows of 20 pixels.
struct CellOffset {
  int index = 0;         // 0-based column or row
  long long offset = 0;  // EMU into it
};

int columnPixels(const SheetModel& sheet, int column) {
  const auto found = sheet.columnWidths.find(column);
  if (found == sheet.columnWidths.end()) {
    return 64;
  }
  // The file width (characters plus padding) in whole pixels of a 7-pixel digit.
  const double fileWidth = std::trunc((found->second * 7.0 + 5.0) / 7.0 * 256.0) / 256.0;
  return static_cast<int>(std::trunc((256.0 * fileWidth + std::trunc(128.0 / 7.0)) / 256.0 * 7.0));
}

CellOffset locate(double points, bool columns, const SheetModel& sheet) {
  long long remaining = std::llround(points * kEmuPerPoint);
  CellOffset at;
  for (;;) {
    const long long size = (columns ? columnPixels(sheet, at.index + 1) : 20) * kEmuPerPixel;
    if (remaining < size) {
      at.offset = remaining;
      return at;
    }
    remaining -= size;
    ++at.index;
  }
}

void writeMarker(XmlWriter& x, const char* element, const CellOffset& column,
                 const CellOffset& row) {
  x.raw("<xdr:").raw(element).raw("><xdr:col>").raw(std::to_string(column.index));
  x.raw("</xdr:col><xdr:colOff>").raw(std::to_string(column.offset));
  x.raw("</xdr:colOff><xdr:row>").raw(std::to_string(row.index));
  x.raw("</xdr:row><xdr:rowOff>").raw(std::to_string(row.offset));
  x.raw("</xdr:rowOff></xdr:").raw(element).raw(">");
}

}  // namespace

std::string chartPart(const ChartModel& chart, const WorkbookModel& model, double width,
                      double height) {
  XmlWriter x;
  x.str().reserve(expectedChartSize(chart));
  x.open("c:chartSpace")
      .attribute("xmlns:c", kChartNs)
      .attribute("xmlns:a", kDrawingNs)
      .attribute("xmlns:r", kRelationshipsNs)
      .close();
  x.value("c:lang", "ru-RU");
  // No chart title, also none made of a single series' name.
  x.raw("<c:chart>").value("c:autoTitleDeleted", 1).raw("<c:plotArea>");
  const std::string timeFormat = timeColumnFormat(chart, model);
  if (chart.plotAreaHeight) {
    // The plot area as the spreadsheet lays it out once its height is set:
    // the inner area in shares of the chart, room left around it for the
    // labels, the titles and the legend.
    const PlotLayout layout = plotLayout(chart, model, width, height,
                                         std::min(*chart.plotAreaHeight, height), timeFormat);
    x.raw("<c:layout><c:manualLayout>").value("c:layoutTarget", "inner");
    x.value("c:xMode", "edge").value("c:yMode", "edge");
    x.value("c:x", layout.x).value("c:y", layout.y).value("c:w", layout.w).value("c:h", layout.h);
    x.raw("</c:manualLayout></c:layout>");
  } else {
    x.raw("<c:layout/>");
  }

  const bool secondary = chart.hasSecondary();
  NumberReferences references(model);
  // Each series says itself whether its line is smoothed and has markers,
  // which is what Excel and LibreOffice draw. The group's style stays
  // "lineMarker" for every type: Gnumeric draws no line at all for a
  // "smoothMarker" group whose series have no markers.
  for (int group = 1; group <= (secondary ? 2 : 1); ++group) {
    x.raw("<c:scatterChart>").value("c:scatterStyle", "lineMarker");
    int position = 0;
    for (const auto& series : chart.series) {
      if (series->deleted) {
        continue;
      }
      if (series->axisGroup == group) {
        writeSeries(x, chart, *series, position, model, references);
      }
      ++position;
    }
    x.value("c:axId", kAxisIds[group - 1][0]).value("c:axId", kAxisIds[group - 1][1]);
    x.raw("</c:scatterChart>");
  }

  writeAxis(x, chart, {1, 1}, false, timeFormat);
  writeAxis(x, chart, {2, 1}, false, "General");
  if (secondary) {
    writeAxis(x, chart, {1, 2}, true, timeFormat);
    writeAxis(x, chart, {2, 2}, false, "General");
  }
  x.raw("</c:plotArea>");
  x.raw("<c:legend>").value("c:legendPos", "r").raw("<c:layout/></c:legend>");
  x.value("c:plotVisOnly", 1);
  x.raw("</c:chart>");
  x.raw(
      "<c:printSettings><c:headerFooter/><c:pageMargins b=\"0.75\" l=\"0.7\" r=\"0.7\" "
      "t=\"0.75\" header=\"0.3\" footer=\"0.3\"/><c:pageSetup/></c:printSettings>");
  x.end("c:chartSpace");
  return std::move(x.str());
}

std::string chartSheetPart(bool selected) {
  XmlWriter x;
  x.open("chartsheet")
      .attribute("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main")
      .attribute("xmlns:r", kRelationshipsNs)
      .close();
  x.raw("<sheetViews><sheetView");
  if (selected) {
    x.raw(" tabSelected=\"1\"");
  }
  x.raw(" zoomScale=\"100\" workbookViewId=\"0\" zoomToFit=\"1\"/></sheetViews>");
  x.raw(
      "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
      "footer=\"0.3\"/>");
  x.raw("<drawing r:id=\"rId1\"/>").end("chartsheet");
  return std::move(x.str());
}

std::string ChartPartWriter::addDrawing(const std::string& anchors,
                                        const std::vector<PlacedChart>& charts,
                                        const WorkbookModel& model, std::vector<PackagePart>& parts,
                                        ContentTypes& types) {
  std::vector<std::string> chartFiles;
  for (const PlacedChart& chart : charts) {
    const std::string file = "chart" + std::to_string(++charts_) + ".xml";
    parts.push_back({"xl/charts/" + file, {}, [&model, chart] {
                       return chartPart(*chart.chart, model, chart.width, chart.height);
                     }});
    types.emplace_back("xl/charts/" + file,
                       "application/vnd.openxmlformats-officedocument.drawingml.chart+xml");
    chartFiles.push_back(file);
  }
  const std::string drawing = "drawing" + std::to_string(++drawings_) + ".xml";
  XmlWriter x;
  x.open("xdr:wsDr").attribute("xmlns:xdr", kSheetDrawingNs).attribute("xmlns:a", kDrawingNs);
  x.close().raw(anchors).end("xdr:wsDr");
  parts.push_back({"xl/drawings/" + drawing, std::move(x.str())});
  parts.push_back({"xl/drawings/_rels/" + drawing + ".rels", relationships(chartFiles)});
  types.emplace_back("xl/drawings/" + drawing,
                     "application/vnd.openxmlformats-officedocument.drawing+xml");
  return drawing;
}

std::string ChartPartWriter::addWorksheetDrawing(const SheetModel& sheet,
                                                 const WorkbookModel& model,
                                                 std::vector<PackagePart>& parts,
                                                 ContentTypes& types) {
  // Each chart hangs from the cell under its top left corner and keeps its
  // size in points, whatever the widths of the columns it covers: those
  // depend on the reader's fonts.
  XmlWriter anchors(XmlWriter::kFragment);
  std::vector<PlacedChart> charts;
  int relation = 0;
  for (const EmbeddedChart& embedded : sheet.charts) {
    charts.push_back({embedded.chart.get(), embedded.width, embedded.height});
    ++relation;
    anchors.raw("<xdr:oneCellAnchor>");
    writeMarker(anchors, "from", locate(embedded.left, true, sheet),
                locate(embedded.top, false, sheet));
    anchors.open("xdr:ext")
        .attribute("cx", std::to_string(std::llround(embedded.width * kEmuPerPoint)))
        .attribute("cy", std::to_string(std::llround(embedded.height * kEmuPerPoint)))
        .closeEmpty();
    anchors.raw(graphicFrame(relation + 1, embedded.name, relation));
    anchors.raw("</xdr:oneCellAnchor>");
  }
  return addDrawing(anchors.str(), charts, model, parts, types);
}

std::string ChartPartWriter::addChartSheetDrawing(const SheetModel& sheet,
                                                  const WorkbookModel& model,
                                                  std::vector<PackagePart>& parts,
                                                  ContentTypes& types) {
  // The chart fills the sheet's page.
  constexpr long long kWidth = 9294091;
  constexpr long long kHeight = 6003636;
  XmlWriter anchors(XmlWriter::kFragment);
  anchors.raw("<xdr:absoluteAnchor><xdr:pos x=\"0\" y=\"0\"/>");
  anchors.open("xdr:ext")
      .attribute("cx", std::to_string(kWidth))
      .attribute("cy", std::to_string(kHeight))
      .closeEmpty();
  anchors.raw(graphicFrame(2, sheet.name, 1)).raw("</xdr:absoluteAnchor>");
  return addDrawing(anchors.str(),
                    {{sheet.chart.get(), static_cast<double>(kWidth) / kEmuPerPoint,
                      static_cast<double>(kHeight) / kEmuPerPoint}},
                    model, parts, types);
}

}  // namespace vexa::sheet
