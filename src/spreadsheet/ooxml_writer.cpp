#include "spreadsheet/ooxml_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "input/datetime.h"
#include "spreadsheet/chart_writer.h"
#include "spreadsheet/theme.h"
#include "spreadsheet/xml.h"

namespace vexa::sheet {

namespace {

constexpr std::string_view kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr std::string_view kRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view kPackageRelationships =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kTypeBase =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// Custom number formats are numbered from 164; code 0 is "General".
int numberFormatId(std::uint32_t code) {
  return code == 0 ? 0 : 163 + static_cast<int>(code);
}

const char* borderName(BorderLine line) {
  switch (line) {
    case BorderLine::Hair:
      return "hair";
    case BorderLine::Thin:
      return "thin";
    case BorderLine::Medium:
      return "medium";
    case BorderLine::Thick:
      return "thick";
    case BorderLine::Dashed:
      return "dashed";
    case BorderLine::Dotted:
      return "dotted";
    case BorderLine::Double:
      return "double";
    case BorderLine::MediumDashed:
      return "mediumDashed";
    case BorderLine::None:
      break;
  }
  return "";
}

const char* alignmentName(HorizontalAlignment alignment) {
  switch (alignment) {
    case HorizontalAlignment::Left:
      return "left";
    case HorizontalAlignment::Center:
      return "center";
    case HorizontalAlignment::Right:
      return "right";
    case HorizontalAlignment::Fill:
      return "fill";
    case HorizontalAlignment::Justify:
      return "justify";
    case HorizontalAlignment::CenterContinuous:
      return "centerContinuous";
    case HorizontalAlignment::General:
      break;
  }
  return "";
}

// Column width in the file: characters of the default font's digit width
// (7 pixels for Calibri 11) plus 5 pixels of padding, in 1/256 steps.
double fileColumnWidth(double characters) {
  constexpr double kDigitWidth = 7.0;
  return std::trunc((characters * kDigitWidth + 5.0) / kDigitWidth * 256.0) / 256.0;
}

std::string stylesPart(const FormatTable& formats) {
  XmlWriter x;
  x.open("styleSheet").attribute("xmlns", kMain).close();
  if (formats.codeCount() > 1) {
    x.open("numFmts").attribute("count", static_cast<int>(formats.codeCount() - 1)).close();
    for (std::uint32_t code = 1; code < formats.codeCount(); ++code) {
      x.open("numFmt")
          .attribute("numFmtId", numberFormatId(code))
          .attribute("formatCode", formats.code(code))
          .closeEmpty();
    }
    x.end("numFmts");
  }
  x.raw(
      "<fonts count=\"2\">"
      "<font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/><family val=\"2\"/>"
      "<charset val=\"204\"/><scheme val=\"minor\"/></font>"
      "<font><b/><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/>"
      "<family val=\"2\"/><charset val=\"204\"/><scheme val=\"minor\"/></font>"
      "</fonts>");
  // Fills 0 and 1 are the ones every workbook has; then one per colour in use.
  std::vector<std::uint32_t> fills = {kNoFill, kNoFill};
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const std::uint32_t fill = formats.at(static_cast<std::uint32_t>(i)).fill;
    if (fill != kNoFill && std::find(fills.begin() + 2, fills.end(), fill) == fills.end()) {
      fills.push_back(fill);
    }
  }
  x.open("fills").attribute("count", static_cast<int>(fills.size())).close();
  x.raw(
      "<fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill>");
  for (std::size_t i = 2; i < fills.size(); ++i) {
    char rgb[16];
    std::snprintf(rgb, sizeof rgb, "FF%06X", static_cast<unsigned>(fills[i]));
    x.raw("<fill><patternFill patternType=\"solid\">");
    x.open("fgColor").attribute("rgb", rgb).closeEmpty();
    x.raw("<bgColor indexed=\"64\"/></patternFill></fill>");
  }
  x.end("fills");

  // One border record per line kind in use; record 0 has none.
  std::vector<BorderLine> borders = {BorderLine::None};
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const BorderLine line = formats.at(static_cast<std::uint32_t>(i)).border;
    if (std::find(borders.begin(), borders.end(), line) == borders.end()) {
      borders.push_back(line);
    }
  }
  x.open("borders").attribute("count", static_cast<int>(borders.size())).close();
  for (const BorderLine line : borders) {
    if (line == BorderLine::None) {
      x.raw("<border><left/><right/><top/><bottom/><diagonal/></border>");
      continue;
    }
    x.raw("<border>");
    for (const char* edge : {"left", "right", "top", "bottom"}) {
      x.open(edge).attribute("style", borderName(line)).close();
      x.raw("<color indexed=\"64\"/>").end(edge);
    }
    x.raw("<diagonal/></border>");
  }
  x.end("borders");
  x.raw(
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "</cellStyleXfs>");
  x.open("cellXfs").attribute("count", static_cast<int>(formats.size())).close();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const CellFormat& f = formats.at(static_cast<std::uint32_t>(i));
    const int border =
        static_cast<int>(std::find(borders.begin(), borders.end(), f.border) - borders.begin());
    const int fill =
        f.fill == kNoFill
            ? 0
            : static_cast<int>(std::find(fills.begin() + 2, fills.end(), f.fill) - fills.begin());
    x.open("xf")
        .attribute("numFmtId", numberFormatId(f.numberFormat))
        .attribute("fontId", f.bold ? 1 : 0)
        .attribute("fillId", fill)
        .attribute("borderId", border)
        .attribute("xfId", 0);
    if (f.numberFormat != 0) {
      x.attribute("applyNumberFormat", 1);
    }
    if (f.bold) {
      x.attribute("applyFont", 1);
    }
    if (fill != 0) {
      x.attribute("applyFill", 1);
    }
    if (border != 0) {
      x.attribute("applyBorder", 1);
    }
    if (f.alignment != HorizontalAlignment::General || f.wrap) {
      x.attribute("applyAlignment", 1).close();
      x.open("alignment");
      if (f.alignment != HorizontalAlignment::General) {
        x.attribute("horizontal", alignmentName(f.alignment));
      }
      if (f.wrap) {
        x.attribute("wrapText", 1);
      }
      x.closeEmpty();
      x.end("xf");
    } else {
      x.closeEmpty();
    }
  }
  x.end("cellXfs");
  x.raw(
      "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
      "</cellStyles><dxfs count=\"0\"/><tableStyles count=\"0\" "
      "defaultTableStyle=\"TableStyleMedium9\" defaultPivotStyle=\"PivotStyleLight16\"/>");
  x.end("styleSheet");
  return std::move(x.str());
}

std::string sharedStringsPart(const TextPool& texts, std::size_t uses) {
  XmlWriter x;
  x.open("sst")
      .attribute("xmlns", kMain)
      .attribute("count", static_cast<int>(uses))
      .attribute("uniqueCount", static_cast<int>(texts.size()))
      .close();
  std::string& out = x.str();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& text = texts.at(static_cast<std::uint32_t>(i));
    const bool edgeBlank =
        !text.empty() && (std::isspace(static_cast<unsigned char>(text.front())) ||
                          std::isspace(static_cast<unsigned char>(text.back())));
    out += edgeBlank ? "<si><t xml:space=\"preserve\">" : "<si><t>";
    appendEscapedText(out, text);
    out += "</t></si>";
  }
  x.end("sst");
  return std::move(x.str());
}

// The used block of a sheet: rows and columns holding a value or a format.
bool usedBlock(const CellStore& cells, CellBlock& block) {
  bool any = false;
  for (int r = 1; r <= cells.rowCount(); ++r) {
    const auto& row = cells.row(r);
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (row[c].blank()) {
        continue;
      }
      const int column = static_cast<int>(c) + 1;
      if (!any) {
        block = {r, column, r, column};
        any = true;
      }
      block.firstColumn = std::min(block.firstColumn, column);
      block.lastColumn = std::max(block.lastColumn, column);
      block.lastRow = r;
    }
  }
  return any;
}

// The number of cells holding a text: the uses of the shared strings.
std::size_t textCellCount(const CellStore& cells) {
  std::size_t count = 0;
  for (int r = 1; r <= cells.rowCount(); ++r) {
    for (const Cell& cell : cells.row(r)) {
      count += cell.kind == Cell::Kind::Text ? 1 : 0;
    }
  }
  return count;
}

// "first:last", the columns that rows `from` to `to` use.
std::string rowSpans(const CellStore& cells, int from, int to) {
  int first = 0;
  int last = 0;
  for (int r = from; r <= to; ++r) {
    const auto& row = cells.row(r);
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (!row[c].blank()) {
        const int column = static_cast<int>(c) + 1;
        first = first == 0 ? column : std::min(first, column);
        last = std::max(last, column);
      }
    }
  }
  return std::to_string(first) + ":" + std::to_string(last);
}

std::string worksheetPart(const WorkbookModel& model, const SheetModel& sheet, bool selected,
                          int drawingRelation) {
  CellBlock used;
  const bool any = usedBlock(sheet.cells, used);
  XmlWriter x;
  x.open("worksheet").attribute("xmlns", kMain).attribute("xmlns:r", kRelationships).close();
  // A sheet that shows a chart prints on one landscape page.
  const bool chartPage = !sheet.charts.empty();
  if (chartPage || sheet.page.fitToWidth > 0) {
    x.raw("<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>");
  }
  x.open("dimension")
      .attribute("ref", any ? cellReference(used.firstRow, used.firstColumn) + ":" +
                                  cellReference(used.lastRow, used.lastColumn)
                            : std::string("A1"))
      .closeEmpty();
  x.raw("<sheetViews><sheetView");
  if (selected) {
    x.raw(" tabSelected=\"1\"");
  }
  x.raw(" workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>");
  if (!sheet.columnWidths.empty()) {
    // Neighbouring columns of one width share one element.
    x.raw("<cols>");
    for (auto it = sheet.columnWidths.begin(); it != sheet.columnWidths.end();) {
      const auto [first, width] = *it;
      int last = first;
      while (++it != sheet.columnWidths.end() && it->first == last + 1 && it->second == width) {
        last = it->first;
      }
      x.open("col")
          .attribute("min", first)
          .attribute("max", last)
          .attribute("width", fileColumnWidth(width))
          .attribute("customWidth", 1)
          .closeEmpty();
    }
    x.raw("</cols>");
  }

  // Every row and cell carries its reference, as the spreadsheet writes
  // them: some readers take a cell without one for an empty cell.
  std::vector<std::string> columnNames;
  std::size_t cells = 0;
  for (int r = 1; r <= sheet.cells.rowCount(); ++r) {
    cells += sheet.cells.row(r).size();
    while (columnNames.size() < sheet.cells.row(r).size()) {
      columnNames.push_back(columnName(static_cast<int>(columnNames.size()) + 1));
    }
  }
  std::string& out = x.str();
  out.reserve(out.size() + static_cast<std::size_t>(sheet.cells.rowCount()) * 32 + cells * 48);
  out += "<sheetData>";
  char digits[16];
  std::string spans;  // of the rows' block of 16, as the spreadsheet gives them
  for (int r = 1; r <= sheet.cells.rowCount(); ++r) {
    const auto& row = sheet.cells.row(r);
    const std::string_view rowNumber(digits,
                                     std::to_chars(digits, digits + sizeof digits, r).ptr - digits);
    if ((r - 1) % 16 == 0) {
      spans = rowSpans(sheet.cells, r, std::min(r + 15, sheet.cells.rowCount()));
    }
    bool open = false;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const Cell& cell = row[c];
      if (cell.blank()) {
        continue;
      }
      if (!open) {
        out += "<row r=\"";
        out += rowNumber;
        out += "\" spans=\"";
        out += spans;
        out += '"';
        if (const auto height = sheet.rowHeights.find(r); height != sheet.rowHeights.end()) {
          out += " ht=\"";
          appendNumber(out, height->second);
          out += "\" customHeight=\"1\"";
        }
        out += '>';
        open = true;
      }
      out += "<c r=\"";
      out += columnNames[c];
      out += rowNumber;
      out += '"';
      if (cell.format != 0) {
        out += " s=\"";
        appendInteger(out, cell.format);
        out += '"';
      }
      switch (cell.kind) {
        case Cell::Kind::Number:
          out += "><v>";
          appendNumber(out, cell.number);
          out += "</v></c>";
          break;
        case Cell::Kind::Text:
          out += " t=\"s\"><v>";
          appendInteger(out, cell.text);
          out += "</v></c>";
          break;
        case Cell::Kind::Empty:
          out += "/>";
          break;
      }
    }
    if (open) {
      out += "</row>";
    }
  }
  out += "</sheetData>";
  x.raw(
      "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
      "footer=\"0.3\"/>");
  if (chartPage) {
    x.raw(
        "<pageSetup paperSize=\"9\" orientation=\"landscape\" fitToWidth=\"1\" "
        "fitToHeight=\"1\"/>");
  } else if (sheet.page.set) {
    x.open("pageSetup")
        .attribute("paperSize", sheet.page.paperSize)
        .attribute("orientation", sheet.page.landscape ? "landscape" : "portrait");
    if (sheet.page.fitToWidth > 0) {
      x.attribute("fitToWidth", sheet.page.fitToWidth).attribute("fitToHeight", 0);
    }
    x.closeEmpty();
    if (!sheet.page.header.empty() || !sheet.page.footer.empty()) {
      x.raw("<headerFooter>");
      if (!sheet.page.header.empty()) {
        x.raw("<oddHeader>").text("&C" + sheet.page.header).raw("</oddHeader>");
      }
      if (!sheet.page.footer.empty()) {
        x.raw("<oddFooter>").text("&C" + sheet.page.footer).raw("</oddFooter>");
      }
      x.raw("</headerFooter>");
    }
  }
  if (any && (model.ignoreNumberAsText || model.ignoreInconsistentFormula)) {
    x.raw("<ignoredErrors>").open("ignoredError");
    x.attribute("sqref", cellReference(used.firstRow, used.firstColumn) + ":" +
                             cellReference(used.lastRow, used.lastColumn));
    if (model.ignoreNumberAsText) {
      x.attribute("numberStoredAsText", 1);
    }
    if (model.ignoreInconsistentFormula) {
      x.attribute("formula", 1);
    }
    x.closeEmpty().raw("</ignoredErrors>");
  }
  if (drawingRelation > 0) {
    x.open("drawing").attribute("r:id", "rId" + std::to_string(drawingRelation)).closeEmpty();
  }
  x.end("worksheet");
  return std::move(x.str());
}

// A sheet's name as a formula writes it: in single quotes, a quote doubled.
std::string quotedSheetName(const std::string& name) {
  std::string quoted = "'";
  for (const char c : name) {
    quoted += c == '\'' ? std::string("''") : std::string(1, c);
  }
  return quoted + "'";
}

// The names that tell readers how a sheet prints: its area and the columns
// repeated on every page.
std::string printNames(const SheetModel& sheet, int index) {
  std::string names;
  const auto add = [&](const char* name, const std::string& reference) {
    names += "<definedName name=\"";
    names += name;
    names += "\" localSheetId=\"" + std::to_string(index) + "\">";
    appendEscapedText(names, quotedSheetName(sheet.name) + "!" + reference);
    names += "</definedName>";
  };
  if (sheet.page.printArea) {
    const CellBlock& a = *sheet.page.printArea;
    add("_xlnm.Print_Area", "$" + columnName(a.firstColumn) + "$" + std::to_string(a.firstRow) +
                                ":$" + columnName(a.lastColumn) + "$" + std::to_string(a.lastRow));
  }
  if (sheet.page.titleFirstColumn > 0) {
    add("_xlnm.Print_Titles", "$" + columnName(sheet.page.titleFirstColumn) + ":$" +
                                  columnName(sheet.page.titleLastColumn));
  }
  return names;
}

std::string relationshipsPart(
    const std::vector<std::pair<std::string, std::string>>& targets) {  // (type, target)
  XmlWriter x;
  x.open("Relationships").attribute("xmlns", kPackageRelationships).close();
  for (std::size_t i = 0; i < targets.size(); ++i) {
    x.open("Relationship")
        .attribute("Id", "rId" + std::to_string(i + 1))
        .attribute("Type", std::string(kTypeBase) + targets[i].first)
        .attribute("Target", targets[i].second)
        .closeEmpty();
  }
  x.end("Relationships");
  return std::move(x.str());
}

// "2021-01-07T12:30:45Z".
std::string utcStamp(std::int64_t seconds) {
  // The calendar of the day counts (1970-01-01 is day 25569), the same on
  // every system.
  const std::int64_t day = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  const std::int64_t inDay = seconds - day * 86400;
  const CivilDateTime date = decodeDateTime(25569.0 + static_cast<double>(day));
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.year, date.month,
                date.day, static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60),
                static_cast<int>(inDay % 60));
  return text;
}

std::string corePropertiesPart(const DocumentProperties& properties) {
  XmlWriter x;
  x.open("cp:coreProperties")
      .attribute("xmlns:cp",
                 "http://schemas.openxmlformats.org/package/2006/metadata/core-properties")
      .attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/")
      .attribute("xmlns:dcterms", "http://purl.org/dc/terms/")
      .attribute("xmlns:dcmitype", "http://purl.org/dc/dcmitype/")
      .attribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance")
      .close();
  x.raw("<dc:creator>").text(properties.creator).raw("</dc:creator>");
  x.raw("<cp:lastModifiedBy>").text(properties.creator).raw("</cp:lastModifiedBy>");
  x.raw("<dcterms:created xsi:type=\"dcterms:W3CDTF\">").raw(utcStamp(properties.created));
  x.raw("</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">");
  x.raw(utcStamp(properties.modified)).raw("</dcterms:modified>");
  x.end("cp:coreProperties");
  return std::move(x.str());
}

// The application and the sheets by kind, as the spreadsheet lists them.
std::string appPropertiesPart(const WorkbookModel& model) {
  std::vector<const std::string*> worksheets;
  std::vector<const std::string*> chartSheets;
  for (const auto& sheet : model.sheets) {
    if (!sheet->removed) {
      (sheet->chartSheet ? chartSheets : worksheets).push_back(&sheet->name);
    }
  }
  XmlWriter x;
  x.open("Properties")
      .attribute("xmlns",
                 "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties")
      .attribute("xmlns:vt", "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes")
      .close();
  x.raw("<Application>").text(kPackageApplication).raw("</Application>");
  x.raw("<DocSecurity>0</DocSecurity><ScaleCrop>false</ScaleCrop>");
  const int kinds = (worksheets.empty() ? 0 : 1) + (chartSheets.empty() ? 0 : 1);
  x.raw("<HeadingPairs>").open("vt:vector").attribute("size", 2 * kinds);
  x.attribute("baseType", "variant").close();
  for (const auto& [heading, names] :
       {std::pair{"Листы", &worksheets}, std::pair{"Диаграммы", &chartSheets}}) {
    if (!names->empty()) {
      x.raw("<vt:variant><vt:lpstr>").text(heading).raw("</vt:lpstr></vt:variant>");
      x.raw("<vt:variant><vt:i4>").raw(std::to_string(names->size()));
      x.raw("</vt:i4></vt:variant>");
    }
  }
  x.raw("</vt:vector></HeadingPairs><TitlesOfParts>").open("vt:vector");
  x.attribute("size", static_cast<int>(worksheets.size() + chartSheets.size()));
  x.attribute("baseType", "lpstr").close();
  for (const auto* names : {&worksheets, &chartSheets}) {
    for (const std::string* name : *names) {
      x.raw("<vt:lpstr>").text(*name).raw("</vt:lpstr>");
    }
  }
  x.raw("</vt:vector></TitlesOfParts><Company/>");
  x.raw(
      "<LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>"
      "<HyperlinksChanged>false</HyperlinksChanged>");
  x.raw("<AppVersion>").text(kPackageApplicationVersion).raw("</AppVersion>");
  x.end("Properties");
  return std::move(x.str());
}

}  // namespace

std::string columnName(int column) {
  std::string name;
  while (column > 0) {
    const int digit = (column - 1) % 26;
    name.insert(name.begin(), static_cast<char>('A' + digit));
    column = (column - 1) / 26;
  }
  return name;
}

std::string cellReference(int row, int column) {
  return columnName(column) + std::to_string(row);
}

std::vector<PackagePart> workbookParts(const WorkbookModel& model) {
  std::vector<PackagePart> parts;
  std::vector<std::pair<std::string, std::string>> overrides;  // (part, content type)
  std::vector<std::pair<std::string, std::string>> workbookRelations;
  std::string sheetsXml;
  std::string definedNames;
  std::size_t textCells = 0;
  ChartPartWriter charts;
  int chartsheetNumber = 0;

  int worksheetNumber = 0;
  int sheetId = 0;
  bool first = true;
  for (const auto& sheet : model.sheets) {
    if (sheet->removed) {
      continue;
    }
    ++sheetId;
    std::string target;
    if (sheet->chartSheet) {
      const std::string part = "xl/chartsheets/sheet" + std::to_string(++chartsheetNumber) + ".xml";
      const std::string drawing = charts.addChartSheetDrawing(*sheet, model, parts, overrides);
      parts.push_back({part, chartSheetPart(first)});
      parts.push_back(
          {"xl/chartsheets/_rels/sheet" + std::to_string(chartsheetNumber) + ".xml.rels",
           relationshipsPart({{"drawing", "../drawings/" + drawing}})});
      overrides.emplace_back(
          part, "application/vnd.openxmlformats-officedocument.spreadsheetml.chartsheet+xml");
      workbookRelations.emplace_back(
          "chartsheet", "chartsheets/sheet" + std::to_string(chartsheetNumber) + ".xml");
    } else {
      const std::string part = "xl/worksheets/sheet" + std::to_string(++worksheetNumber) + ".xml";
      std::string drawing;
      if (!sheet->charts.empty()) {
        drawing = charts.addWorksheetDrawing(*sheet, model, parts, overrides);
      }
      textCells += textCellCount(sheet->cells);
      parts.push_back({part, {}, [&model, sheet, first, relation = drawing.empty() ? 0 : 1] {
                         return worksheetPart(model, *sheet, first, relation);
                       }});
      if (!drawing.empty()) {
        parts.push_back(
            {"xl/worksheets/_rels/sheet" + std::to_string(worksheetNumber) + ".xml.rels",
             relationshipsPart({{"drawing", "../drawings/" + drawing}})});
      }
      overrides.emplace_back(
          part, "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
      workbookRelations.emplace_back("worksheet",
                                     "worksheets/sheet" + std::to_string(worksheetNumber) + ".xml");
    }
    definedNames += printNames(*sheet, sheetId - 1);
    sheetsXml += "<sheet name=\"";
    appendEscapedAttribute(sheetsXml, sheet->name);
    sheetsXml += "\" sheetId=\"" + std::to_string(sheetId) + "\" r:id=\"rId" +
                 std::to_string(workbookRelations.size()) + "\"/>";
    first = false;
  }

  workbookRelations.emplace_back("theme", "theme/theme1.xml");
  workbookRelations.emplace_back("styles", "styles.xml");
  workbookRelations.emplace_back("sharedStrings", "sharedStrings.xml");
  parts.push_back({"xl/theme/theme1.xml", std::string(kOfficeTheme)});
  overrides.emplace_back("xl/theme/theme1.xml",
                         "application/vnd.openxmlformats-officedocument.theme+xml");
  parts.push_back({"xl/styles.xml", stylesPart(model.formats)});
  parts.push_back({"xl/sharedStrings.xml", sharedStringsPart(model.texts, textCells)});
  overrides.emplace_back("xl/styles.xml",
                         "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
  overrides.emplace_back(
      "xl/sharedStrings.xml",
      "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");

  XmlWriter workbook;
  workbook.open("workbook").attribute("xmlns", kMain).attribute("xmlns:r", kRelationships).close();
  workbook.raw(
      "<fileVersion appName=\"xl\" lastEdited=\"4\" lowestEdited=\"4\" rupBuild=\"4505\"/>"
      "<workbookPr defaultThemeVersion=\"124226\"/><bookViews><workbookView xWindow=\"240\" "
      "yWindow=\"135\" windowWidth=\"16095\" windowHeight=\"9405\"/></bookViews><sheets>");
  workbook.raw(sheetsXml).raw("</sheets>");
  if (!definedNames.empty()) {
    workbook.raw("<definedNames>").raw(definedNames).raw("</definedNames>");
  }
  workbook.raw("<calcPr calcId=\"124519\"/>").end("workbook");
  parts.push_back({"xl/workbook.xml", std::move(workbook.str())});
  parts.push_back({"xl/_rels/workbook.xml.rels", relationshipsPart(workbookRelations)});
  overrides.emplace_back(
      "xl/workbook.xml",
      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
  parts.push_back({"docProps/core.xml", corePropertiesPart(model.properties)});
  parts.push_back({"docProps/app.xml", appPropertiesPart(model)});
  overrides.emplace_back("docProps/core.xml",
                         "application/vnd.openxmlformats-package.core-properties+xml");
  overrides.emplace_back("docProps/app.xml",
                         "application/vnd.openxmlformats-officedocument.extended-properties+xml");

  XmlWriter types;
  types.open("Types")
      .attribute("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types")
      .close();
  types.raw(
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>");
  for (const auto& [part, type] : overrides) {
    types.open("Override").attribute("PartName", "/" + part).attribute("ContentType", type);
    types.closeEmpty();
  }
  types.end("Types");

  XmlWriter root;
  root.open("Relationships").attribute("xmlns", kPackageRelationships).close();
  root.raw(
      "<Relationship Id=\"rId1\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
      "officeDocument\" Target=\"xl/workbook.xml\"/>"
      "<Relationship Id=\"rId2\" "
      "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
      "core-properties\" Target=\"docProps/core.xml\"/>"
      "<Relationship Id=\"rId3\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
      "extended-properties\" Target=\"docProps/app.xml\"/>");
  root.end("Relationships");

  parts.insert(parts.begin(), {"_rels/.rels", std::move(root.str())});
  parts.insert(parts.begin(), {"[Content_Types].xml", std::move(types.str())});
  return parts;
}

}  // namespace vexa::sheet
