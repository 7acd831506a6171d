// The spreadsheet application's object model as the report builder drives it:
// application, workbooks, sheets, ranges, charts, series and axes. The report
// builder talks only to these interfaces; the program's own spreadsheet engine
// implements them, and tests put a recording double in its place.
//
// Every member that fails raises an exception whose text says what failed.
// Indexes of sheets, cells, series and shapes are 1-based.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "input/text_table.h"

namespace vexa::xl {

// Values of the object model's enumerations that the report uses.
inline constexpr int xlCategory = 1;  // axis types
inline constexpr int xlValue = 2;
inline constexpr int xlPrimary = 1;  // axis groups
inline constexpr int xlSecondary = 2;
inline constexpr int xlScaleLogarithmic = -4133;
inline constexpr int xlScaleLinear = -4132;
inline constexpr int xlMarkerStyleNone = -4142;
inline constexpr int xlTickLabelPositionLow = -4134;
inline constexpr int xlLocationAsObject = 2;
inline constexpr int xlColumns = 2;  // plot by
inline constexpr int xlXYScatterSmoothNoMarkers = 73;
inline constexpr int xlWorkbookNormal = -4143;  // file format
inline constexpr int xlNoChange = 1;            // access mode
inline constexpr int xlContinuous = 1;          // border line style
inline constexpr int xlDash = -4115;
inline constexpr int xlThin = 2;  // border weight
inline constexpr int xlMedium = -4138;
inline constexpr int xlHAlignCenter = 3;  // horizontal alignment (centred)
inline constexpr int xlPortrait = 1;      // page orientation
inline constexpr int xlLandscape = 2;
inline constexpr int xlPaperA4 = 9;  // paper size

class Application;
class Axis;
class AxisTitle;
class Border;
class Borders;
class Characters;
class Chart;
class ChartObjects;
class Charts;
class ErrorCheckingOptions;
class Font;
class Interior;
class PageSetup;
class PlotArea;
class Range;
class Series;
class SeriesCollection;
class Shape;
class TickLabels;
class Workbook;
class Workbooks;
class Worksheet;

using ApplicationPtr = std::shared_ptr<Application>;
using AxisPtr = std::shared_ptr<Axis>;
using AxisTitlePtr = std::shared_ptr<AxisTitle>;
using BorderPtr = std::shared_ptr<Border>;
using BordersPtr = std::shared_ptr<Borders>;
using CharactersPtr = std::shared_ptr<Characters>;
using ChartPtr = std::shared_ptr<Chart>;
using ChartObjectsPtr = std::shared_ptr<ChartObjects>;
using ChartsPtr = std::shared_ptr<Charts>;
using ErrorCheckingOptionsPtr = std::shared_ptr<ErrorCheckingOptions>;
using FontPtr = std::shared_ptr<Font>;
using InteriorPtr = std::shared_ptr<Interior>;
using PageSetupPtr = std::shared_ptr<PageSetup>;
using PlotAreaPtr = std::shared_ptr<PlotArea>;
using RangePtr = std::shared_ptr<Range>;
using SeriesPtr = std::shared_ptr<Series>;
using SeriesCollectionPtr = std::shared_ptr<SeriesCollection>;
using ShapePtr = std::shared_ptr<Shape>;
using TickLabelsPtr = std::shared_ptr<TickLabels>;
using WorkbookPtr = std::shared_ptr<Workbook>;
using WorkbooksPtr = std::shared_ptr<Workbooks>;
using WorksheetPtr = std::shared_ptr<Worksheet>;

// Raised by Application::setVisible(true) when the workbook is saved but
// nothing on the computer shows it: the report is done, and the text says
// where the workbook is and why it did not open.
class WorkbookNotShown : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Application {
 public:
  virtual ~Application() = default;
  virtual void setVisible(bool visible) = 0;
  virtual void setDisplayAlerts(bool on) = 0;
  virtual void setSheetsInNewWorkbook(int count) = 0;
  virtual ErrorCheckingOptionsPtr ErrorCheckingOptions() = 0;
  virtual WorkbooksPtr Workbooks() = 0;
  virtual WorksheetPtr ActiveSheet() = 0;
  virtual WorksheetPtr Sheets(int index) = 0;  // of the active workbook
  virtual void Quit() = 0;
};

class ErrorCheckingOptions {
 public:
  virtual ~ErrorCheckingOptions() = default;
  virtual void setBackgroundChecking(bool on) = 0;
  virtual void setNumberAsText(bool on) = 0;
  virtual void setInconsistentFormula(bool on) = 0;
};

class Workbooks {
 public:
  virtual ~Workbooks() = default;
  virtual WorkbookPtr Add() = 0;  // template omitted
};

class Workbook {
 public:
  virtual ~Workbook() = default;
  virtual void SaveAs(std::string_view fileName, int fileFormat, int accessMode) = 0;
  virtual void Save() = 0;
  virtual void Close() = 0;
  virtual ChartsPtr Charts() = 0;
};

class Worksheet {
 public:
  virtual ~Worksheet() = default;
  virtual std::string Name() = 0;
  virtual RangePtr Cells(int row, int column) = 0;
  virtual RangePtr Range(const xl::Range& cell1, const xl::Range& cell2) = 0;
  virtual ChartObjectsPtr ChartObjects() = 0;
  virtual ShapePtr Shapes(int index) = 0;
  virtual PageSetupPtr PageSetup() = 0;
};

// How a worksheet prints: orientation, paper, the printed area and the
// columns repeated on every page ("$A:$A"), the header and the footer
// (with the page codes &P and &N).
class PageSetup {
 public:
  virtual ~PageSetup() = default;
  virtual void setOrientation(int orientation) = 0;
  virtual void setPaperSize(int size) = 0;
  // The printed area scaled to so many pages across, as many down as it
  // takes.
  virtual void setFitToPagesWide(int pages) = 0;
  virtual void setPrintArea(std::string_view reference) = 0;
  virtual void setPrintTitleColumns(std::string_view columns) = 0;
  virtual void setCenterHeader(std::string_view text) = 0;
  virtual void setCenterFooter(std::string_view text) = 0;
};

class Range {
 public:
  virtual ~Range() = default;
  virtual void setHorizontalAlignment(int alignment) = 0;
  virtual void setColumnWidth(double width) = 0;
  virtual void setNumberFormat(std::string_view format) = 0;
  virtual void setNumberFormatLocal(std::string_view format) = 0;
  // The whole block at once, each text read as a user of the installation's
  // language would type it.
  virtual void setFormulaR1C1Local(const TextTable& values) = 0;
  virtual void setWrapText(bool wrap) = 0;
  virtual void setRowHeight(double points) = 0;
  virtual FontPtr Font() = 0;
  virtual BordersPtr Borders() = 0;
  virtual InteriorPtr Interior() = 0;
};

// The cells' background: a colour, 0xBBGGRR as RGB() makes it.
class Interior {
 public:
  virtual ~Interior() = default;
  virtual void setColor(int bgr) = 0;
};

class Font {
 public:
  virtual ~Font() = default;
  virtual void setBold(bool bold) = 0;
};

class Borders {
 public:
  virtual ~Borders() = default;
  virtual void setLineStyle(int style) = 0;
  virtual void setWeight(int weight) = 0;
};

class ChartObjects {
 public:
  virtual ~ChartObjects() = default;
  virtual int Count() = 0;
};

class Shape {
 public:
  virtual ~Shape() = default;
  virtual void setLeft(float points) = 0;
  virtual void setTop(float points) = 0;
  virtual void setWidth(float points) = 0;
  virtual void setHeight(float points) = 0;
};

class Charts {
 public:
  virtual ~Charts() = default;
  // A new chart sheet placed before or after a sheet (one of them null); type omitted.
  virtual ChartPtr Add(const WorksheetPtr& before, const WorksheetPtr& after, int count) = 0;
};

class Chart {
 public:
  virtual ~Chart() = default;
  virtual void setName(std::string_view name) = 0;
  virtual void setChartType(int type) = 0;
  virtual void SetSourceData(const xl::Range& source, int plotBy) = 0;
  virtual ChartPtr Location(int where, std::string_view sheetName) = 0;
  virtual PlotAreaPtr PlotArea() = 0;
  virtual SeriesPtr SeriesCollection(int index) = 0;
  virtual SeriesCollectionPtr SeriesCollection() = 0;
  virtual AxisPtr Axes(int type, int group) = 0;
};

class PlotArea {
 public:
  virtual ~PlotArea() = default;
  virtual void setHeight(double points) = 0;
};

class SeriesCollection {
 public:
  virtual ~SeriesCollection() = default;
  virtual SeriesPtr NewSeries() = 0;
};

class Series {
 public:
  virtual ~Series() = default;
  virtual void Delete() = 0;
  virtual void setName(std::string_view formula) = 0;
  virtual void setXValues(std::string_view formula) = 0;
  virtual void setValues(std::string_view formula) = 0;
  virtual void setMarkerStyle(int style) = 0;
  virtual void setAxisGroup(int group) = 0;
  // The series' line.
  virtual BorderPtr Border() = 0;
};

// A line: its style (xlContinuous, xlDash), colour (0xBBGGRR, as RGB()
// makes it) and weight (xlThin, xlMedium).
class Border {
 public:
  virtual ~Border() = default;
  virtual void setLineStyle(int style) = 0;
  virtual void setColor(int bgr) = 0;
  virtual void setWeight(int weight) = 0;
};

class Axis {
 public:
  virtual ~Axis() = default;
  virtual void setHasTitle(bool has) = 0;
  virtual AxisTitlePtr AxisTitle() = 0;
  virtual void setTickLabelPosition(int position) = 0;
  virtual void setScaleType(int type) = 0;
  virtual void setMinimumScale(double value) = 0;
  virtual void setMaximumScale(double value) = 0;
  virtual TickLabelsPtr TickLabels() = 0;
};

class AxisTitle {
 public:
  virtual ~AxisTitle() = default;
  virtual CharactersPtr Characters() = 0;  // start and length omitted
};

class Characters {
 public:
  virtual ~Characters() = default;
  virtual void setText(std::string_view text) = 0;
};

class TickLabels {
 public:
  virtual ~TickLabels() = default;
  virtual void setNumberFormat(std::string_view format) = 0;
  virtual void setOrientation(int degrees) = 0;
};

// Attaches to the spreadsheet application: the running instance when there is
// one, otherwise a new one.
class AutomationServer {
 public:
  virtual ~AutomationServer() = default;
  virtual ApplicationPtr attach() = 0;
};

}  // namespace vexa::xl
