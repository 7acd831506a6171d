// The engine's workbook in memory: sheets of cells, cell formats, column
// widths and, on worksheets, embedded charts.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "spreadsheet/charts.h"

namespace vexa::sheet {

// The largest sheet a spreadsheet application holds.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;
// The longest text a cell holds, in UTF-16 code units.
inline constexpr std::size_t kMaxCellText = 32767;

enum class HorizontalAlignment : std::uint8_t {
  General,
  Left,
  Center,
  Right,
  Fill,
  Justify,
  CenterContinuous
};

// The line of a border, as the file names it ("thin", "medium", ...).
enum class BorderLine : std::uint8_t {
  None,
  Hair,
  Thin,
  Medium,
  Thick,
  Dashed,
  Dotted,
  Double,
  MediumDashed
};

// A cell without a background colour.
inline constexpr std::uint32_t kNoFill = 0xFFFFFFFFu;

struct CellFormat {
  std::uint32_t numberFormat = 0;  // index into FormatTable's codes; 0 is "General"
  bool bold = false;
  HorizontalAlignment alignment = HorizontalAlignment::General;
  BorderLine border = BorderLine::None;  // on all four edges
  std::uint32_t fill = kNoFill;          // background, 0xRRGGBB
  bool wrap = false;                     // text wraps within the cell
  bool operator==(const CellFormat&) const = default;
};

// Distinct cell formats and number-format codes of a workbook.
class FormatTable {
 public:
  FormatTable();
  std::uint32_t intern(const CellFormat& format);
  const CellFormat& at(std::uint32_t index) const { return formats_[index]; }
  std::size_t size() const { return formats_.size(); }

  std::uint32_t internCode(std::string_view code);
  const std::string& code(std::uint32_t index) const { return codes_[index]; }
  std::size_t codeCount() const { return codes_.size(); }

 private:
  std::vector<CellFormat> formats_;
  std::map<std::tuple<std::uint32_t, bool, int, int, std::uint32_t, bool>, std::uint32_t>
      formatIndex_;
  std::vector<std::string> codes_;
  std::unordered_map<std::string, std::uint32_t> codeIndex_;
};

// Distinct cell texts of a workbook (the shared-strings table when saved).
class TextPool {
 public:
  std::uint32_t intern(std::string_view text);
  const std::string& at(std::uint32_t index) const { return texts_[index]; }
  std::size_t size() const { return texts_.size(); }

 private:
  std::vector<std::string> texts_;
  std::unordered_map<std::string, std::uint32_t> index_;
};

struct Cell {
  enum class Kind : std::uint8_t { Empty, Number, Text };
  double number = 0;
  std::uint32_t text = 0;    // TextPool index when kind is Text
  std::uint32_t format = 0;  // FormatTable index; 0 is the default format
  Kind kind = Kind::Empty;

  bool blank() const { return kind == Kind::Empty && format == 0; }
};

// Cells by row and column (1-based), growing as they are touched.
class CellStore {
 public:
  Cell& at(int row, int column);
  // The cells of row `row`, at least `columns` of them, for writing a block.
  std::vector<Cell>& row(int row, int columns);
  const Cell* find(int row, int column) const;
  int rowCount() const { return static_cast<int>(rows_.size()); }
  // The cells of row `row` from column 1 on; empty when the row was never touched.
  const std::vector<Cell>& row(int row) const;

 private:
  std::vector<std::vector<Cell>> rows_;
};

// A cell block on one sheet, 1-based and inclusive.
struct CellBlock {
  int firstRow = 1;
  int firstColumn = 1;
  int lastRow = 1;
  int lastColumn = 1;
};

// A chart embedded in a worksheet, placed in points from the sheet's corner.
struct EmbeddedChart {
  std::shared_ptr<ChartModel> chart;
  std::string name;
  double left = 0;
  double top = 0;
  double width = 360;
  double height = 216;
};

// How a worksheet prints; `set` once any of it was given.
struct PageSetupModel {
  bool set = false;
  bool landscape = false;
  int paperSize = 9;   // A4
  int fitToWidth = 0;  // pages across the printed area is scaled to; 0: not scaled
  std::optional<CellBlock> printArea;
  int titleFirstColumn = 0;  // the columns repeated on every page; 0: none
  int titleLastColumn = 0;
  std::string header;  // the centre section, with the page codes &P and &N
  std::string footer;
};

struct SheetModel {
  std::string name;
  bool chartSheet = false;
  bool removed = false;  // a chart sheet whose chart moved into a worksheet
  CellStore cells;
  std::map<int, double> columnWidths;  // column → width in characters
  std::map<int, double> rowHeights;    // row → height in points, where it was set
  std::vector<EmbeddedChart> charts;   // worksheets
  std::shared_ptr<ChartModel> chart;   // chart sheets
  PageSetupModel page;                 // worksheets
};

// Who made the workbook and when, as its document properties tell readers.
struct DocumentProperties {
  std::string creator;
  std::int64_t created = 0;   // seconds since 1970-01-01 00:00:00 UTC
  std::int64_t modified = 0;  // likewise; the last save
};

struct WorkbookModel {
  std::vector<std::shared_ptr<SheetModel>> sheets;  // in tab order
  DocumentProperties properties;
  FormatTable formats;
  TextPool texts;
  bool ignoreNumberAsText = false;  // no error markers on numbers stored as text
  bool ignoreInconsistentFormula = false;

  // The sheet named `name`, or null.
  std::shared_ptr<SheetModel> sheetNamed(std::string_view name) const;
};

}  // namespace vexa::sheet
