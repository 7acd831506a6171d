#include "support/recording_model.h"

#include <charconv>
#include <stdexcept>

namespace vexa::testing {

void CallLog::record(const std::string& call, bool getter) {
  calls.push_back(call);
  getters.push_back(getter);
  auto found = failures_.find(call);
  if (found != failures_.end() && found->second > 0) {
    --found->second;
    throw std::runtime_error("recorded failure: " + call);
  }
}

std::vector<std::string> CallLog::starting(const std::string& prefix) const {
  std::vector<std::string> lines;
  for (const std::string& call : calls) {
    if (call.rfind(prefix, 0) == 0) {
      lines.push_back(call);
    }
  }
  return lines;
}

std::vector<std::string> CallLog::actions() const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (!getters[i]) {
      lines.push_back(calls[i]);
    }
  }
  return lines;
}

namespace {

std::string show(bool value) {
  return value ? "True" : "False";
}
std::string show(int value) {
  return std::to_string(value);
}
std::string show(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}
std::string show(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// Every recording object knows the log and its own label.
class Recorded {
 public:
  Recorded(CallLog& log, std::string label) : log_(log), label_(std::move(label)) {}
  const std::string& label() const { return label_; }

 protected:
  void set(const std::string& member, const std::string& value) {
    log_.record(label_ + "." + member + " = " + value);
  }
  void call(const std::string& member, const std::string& arguments = "") {
    log_.record(label_ + "." + member + "(" + arguments + ")");
  }
  // Logs the getter and returns the label of what it gives.
  std::string get(const std::string& member) {
    const std::string label = label_ + "." + member;
    log_.record(label, true);
    return label;
  }
  CallLog& log_;
  std::string label_;
};

class RFont final : public xl::Font, Recorded {
 public:
  using Recorded::Recorded;
  void setBold(bool bold) override { set("Bold", show(bold)); }
};

class RBorders final : public xl::Borders, Recorded {
 public:
  using Recorded::Recorded;
  void setLineStyle(int style) override { set("LineStyle", show(style)); }
  void setWeight(int weight) override { set("Weight", show(weight)); }
};

class RInterior final : public xl::Interior, Recorded {
 public:
  using Recorded::Recorded;
  void setColor(int bgr) override { set("Color", show(bgr)); }
};

class RPageSetup final : public xl::PageSetup, Recorded {
 public:
  using Recorded::Recorded;
  void setOrientation(int value) override { set("Orientation", show(value)); }
  void setPaperSize(int value) override { set("PaperSize", show(value)); }
  void setFitToPagesWide(int value) override { set("FitToPagesWide", show(value)); }
  void setPrintArea(std::string_view value) override { set("PrintArea", show(value)); }
  void setPrintTitleColumns(std::string_view value) override {
    set("PrintTitleColumns", show(value));
  }
  void setCenterHeader(std::string_view value) override { set("CenterHeader", show(value)); }
  void setCenterFooter(std::string_view value) override { set("CenterFooter", show(value)); }
};

class RRange final : public xl::Range, public Recorded {
 public:
  RRange(CallLog& log, std::string label, int row, int column)
      : Recorded(log, std::move(label)), row(row), column(column) {}
  void setHorizontalAlignment(int value) override { set("HorizontalAlignment", show(value)); }
  void setColumnWidth(double value) override { set("ColumnWidth", show(value)); }
  void setNumberFormat(std::string_view value) override { set("NumberFormat", show(value)); }
  void setNumberFormatLocal(std::string_view value) override {
    set("NumberFormatLocal", show(value));
  }
  void setFormulaR1C1Local(const TextTable& values) override {
    set("FormulaR1C1Local",
        "<array " + std::to_string(values.rows()) + "x" + std::to_string(values.columns()) + ">");
  }
  void setWrapText(bool value) override { set("WrapText", show(value)); }
  void setRowHeight(double value) override { set("RowHeight", show(value)); }
  xl::FontPtr Font() override { return std::make_shared<RFont>(log_, get("Font")); }
  xl::BordersPtr Borders() override { return std::make_shared<RBorders>(log_, get("Borders")); }
  xl::InteriorPtr Interior() override { return std::make_shared<RInterior>(log_, get("Interior")); }
  int row;
  int column;
};

class RChartObjects final : public xl::ChartObjects, Recorded {
 public:
  using Recorded::Recorded;
  int Count() override {
    get("Count");
    return log_.chartObjectsCount;
  }
};

class RShape final : public xl::Shape, Recorded {
 public:
  using Recorded::Recorded;
  void setLeft(float value) override { set("Left", show(static_cast<double>(value))); }
  void setTop(float value) override { set("Top", show(static_cast<double>(value))); }
  void setWidth(float value) override { set("Width", show(static_cast<double>(value))); }
  void setHeight(float value) override { set("Height", show(static_cast<double>(value))); }
};

class RWorksheet final : public xl::Worksheet, public Recorded {
 public:
  RWorksheet(CallLog& log, std::string label, std::string name)
      : Recorded(log, std::move(label)), name_(std::move(name)) {}
  std::string Name() override {
    get("Name");
    return name_;
  }
  xl::RangePtr Cells(int row, int column) override {
    return std::make_shared<RRange>(
        log_, get("Cells(" + std::to_string(row) + "," + std::to_string(column) + ")"), row,
        column);
  }
  xl::RangePtr Range(const xl::Range& cell1, const xl::Range& cell2) override {
    const auto& a = dynamic_cast<const RRange&>(cell1);
    const auto& b = dynamic_cast<const RRange&>(cell2);
    const std::string block = "R" + std::to_string(a.row) + "C" + std::to_string(a.column) + ":R" +
                              std::to_string(b.row) + "C" + std::to_string(b.column);
    return std::make_shared<RRange>(log_, get("Range(" + block + ")"), a.row, a.column);
  }
  xl::ChartObjectsPtr ChartObjects() override {
    return std::make_shared<RChartObjects>(log_, get("ChartObjects"));
  }
  xl::ShapePtr Shapes(int index) override {
    return std::make_shared<RShape>(log_, get("Shapes(" + std::to_string(index) + ")"));
  }
  xl::PageSetupPtr PageSetup() override {
    return std::make_shared<RPageSetup>(log_, get("PageSetup"));
  }

 private:
  std::string name_;
};

class RCharacters final : public xl::Characters, Recorded {
 public:
  using Recorded::Recorded;
  void setText(std::string_view text) override { set("Text", show(text)); }
};

class RAxisTitle final : public xl::AxisTitle, Recorded {
 public:
  using Recorded::Recorded;
  xl::CharactersPtr Characters() override {
    return std::make_shared<RCharacters>(log_, get("Characters"));
  }
};

class RTickLabels final : public xl::TickLabels, Recorded {
 public:
  using Recorded::Recorded;
  void setNumberFormat(std::string_view format) override { set("NumberFormat", show(format)); }
  void setOrientation(int degrees) override { set("Orientation", show(degrees)); }
};

class RAxis final : public xl::Axis, Recorded {
 public:
  using Recorded::Recorded;
  void setHasTitle(bool has) override { set("HasTitle", show(has)); }
  xl::AxisTitlePtr AxisTitle() override {
    return std::make_shared<RAxisTitle>(log_, get("AxisTitle"));
  }
  void setTickLabelPosition(int value) override { set("TickLabelPosition", show(value)); }
  void setScaleType(int value) override { set("ScaleType", show(value)); }
  void setMinimumScale(double value) override { set("MinimumScale", show(value)); }
  void setMaximumScale(double value) override { set("MaximumScale", show(value)); }
  xl::TickLabelsPtr TickLabels() override {
    return std::make_shared<RTickLabels>(log_, get("TickLabels"));
  }
};

class RBorder final : public xl::Border, Recorded {
 public:
  using Recorded::Recorded;
  void setLineStyle(int value) override { set("LineStyle", show(value)); }
  void setColor(int value) override { set("Color", show(value)); }
  void setWeight(int value) override { set("Weight", show(value)); }
};

class RSeries final : public xl::Series, Recorded {
 public:
  using Recorded::Recorded;
  xl::BorderPtr Border() override { return std::make_shared<RBorder>(log_, get("Border")); }
  void Delete() override { call("Delete"); }
  void setName(std::string_view value) override { set("Name", show(value)); }
  void setXValues(std::string_view value) override { set("XValues", show(value)); }
  void setValues(std::string_view value) override { set("Values", show(value)); }
  void setMarkerStyle(int value) override { set("MarkerStyle", show(value)); }
  void setAxisGroup(int value) override { set("AxisGroup", show(value)); }
};

class RSeriesCollection final : public xl::SeriesCollection, Recorded {
 public:
  using Recorded::Recorded;
  xl::SeriesPtr NewSeries() override {
    call("NewSeries");
    return std::make_shared<RSeries>(log_, "NewSeries#" + std::to_string(++made_));
  }

 private:
  int made_ = 0;
};

class RPlotArea final : public xl::PlotArea, Recorded {
 public:
  using Recorded::Recorded;
  void setHeight(double value) override { set("Height", show(value)); }
};

class RChart final : public xl::Chart, Recorded {
 public:
  using Recorded::Recorded;
  void setName(std::string_view value) override { set("Name", show(value)); }
  void setChartType(int value) override { set("ChartType", show(value)); }
  void SetSourceData(const xl::Range& source, int plotBy) override {
    call("SetSourceData", dynamic_cast<const RRange&>(source).label() + ", " + show(plotBy));
  }
  xl::ChartPtr Location(int where, std::string_view sheet) override {
    call("Location", show(where) + ", " + show(sheet));
    return std::make_shared<RChart>(log_, "Chart");
  }
  xl::PlotAreaPtr PlotArea() override { return std::make_shared<RPlotArea>(log_, get("PlotArea")); }
  xl::SeriesPtr SeriesCollection(int index) override {
    return std::make_shared<RSeries>(log_, get("SeriesCollection(" + std::to_string(index) + ")"));
  }
  xl::SeriesCollectionPtr SeriesCollection() override {
    if (!collection_) {
      collection_ = std::make_shared<RSeriesCollection>(log_, get("SeriesCollection"));
    } else {
      get("SeriesCollection");
    }
    return collection_;
  }
  xl::AxisPtr Axes(int type, int group) override {
    return std::make_shared<RAxis>(
        log_, get("Axes(" + std::to_string(type) + "," + std::to_string(group) + ")"));
  }

 private:
  std::shared_ptr<RSeriesCollection> collection_;
};

class RCharts final : public xl::Charts, Recorded {
 public:
  using Recorded::Recorded;
  xl::ChartPtr Add(const xl::WorksheetPtr& before, const xl::WorksheetPtr& after,
                   int count) override {
    const auto label = [](const xl::WorksheetPtr& sheet) {
      return sheet ? dynamic_cast<const RWorksheet&>(*sheet).label() : std::string("-");
    };
    call("Add", label(before) + ", " + label(after) + ", " + show(count));
    return std::make_shared<RChart>(log_, "Chart");
  }
};

class RWorkbook final : public xl::Workbook, Recorded {
 public:
  using Recorded::Recorded;
  void SaveAs(std::string_view name, int format, int access) override {
    call("SaveAs", show(name) + ", " + show(format) + ", " + show(access));
  }
  void Save() override { call("Save"); }
  void Close() override { call("Close"); }
  xl::ChartsPtr Charts() override { return std::make_shared<RCharts>(log_, get("Charts")); }
};

class RWorkbooks final : public xl::Workbooks, Recorded {
 public:
  using Recorded::Recorded;
  xl::WorkbookPtr Add() override {
    call("Add");
    return std::make_shared<RWorkbook>(log_, "Workbook");
  }
};

class RErrorCheckingOptions final : public xl::ErrorCheckingOptions, Recorded {
 public:
  using Recorded::Recorded;
  void setBackgroundChecking(bool on) override { set("BackgroundChecking", show(on)); }
  void setNumberAsText(bool on) override { set("NumberAsText", show(on)); }
  void setInconsistentFormula(bool on) override { set("InconsistentFormula", show(on)); }
};

class RApplication final : public xl::Application, Recorded {
 public:
  using Recorded::Recorded;
  void setVisible(bool visible) override { set("Visible", show(visible)); }
  void setDisplayAlerts(bool on) override { set("DisplayAlerts", show(on)); }
  void setSheetsInNewWorkbook(int count) override { set("SheetsInNewWorkbook", show(count)); }
  xl::ErrorCheckingOptionsPtr ErrorCheckingOptions() override {
    return std::make_shared<RErrorCheckingOptions>(log_, get("ErrorCheckingOptions"));
  }
  xl::WorkbooksPtr Workbooks() override {
    return std::make_shared<RWorkbooks>(log_, get("Workbooks"));
  }
  xl::WorksheetPtr ActiveSheet() override {
    log_.record("Application.ActiveSheet", true);
    return std::make_shared<RWorksheet>(log_, "ActiveSheet", "Лист1");
  }
  xl::WorksheetPtr Sheets(int index) override {
    const std::string label = "Sheets(" + std::to_string(index) + ")";
    log_.record("Application." + label, true);
    return std::make_shared<RWorksheet>(log_, label, "Лист" + std::to_string(index));
  }
  void Quit() override { call("Quit"); }
};

}  // namespace

xl::ApplicationPtr RecordingServer::attach() {
  log.record("attach");
  return std::make_shared<RApplication>(log, "Application");
}

}  // namespace vexa::testing
