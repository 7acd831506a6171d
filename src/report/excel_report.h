// The report builder: attaches to the spreadsheet application, adds a workbook,
// saves it next to the export under a time-stamped name, runs the layout of the
// format code, saves again, and leaves the workbook open or closes it.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/datetime.h"
#include "input/session.h"
#include "input/start.h"
#include "input/statistics.h"
#include "report/automation.h"

namespace vexa {

struct ReportSummary;

// The window's controls as the report reads them, at the moment it runs.
struct ReportControls {
  std::string Edit1;            // the path box: base of the workbook's name
  bool CheckBox1 = true;        // leave the workbook open when done
  std::string ComboBox1 = "6";  // the selected decimal-places item
  bool CheckBox2 = true;        // temperature (probe temperature)
  bool CheckBox3 = true;        // humidity (housing temperature)
  bool CheckBox4 = false;       // battery voltage
  bool CheckBox5 = false;       // light
  bool CheckBox6 = false;       // logarithmic light axis
  bool CheckBox7 = false;       // logarithmic value axis (paired columns)
  std::string CheckBox5Caption = "Освещённость";
  std::string OpenDialog1FileName;  // the file chosen in the dialog
  // The limits the user set, by series ("temperature", or a paired column's
  // heading), with their alarm rules: drawn on the chart and counted on the
  // summary sheet.
  std::map<std::string, Limits> limits;
  // The gap threshold the user set, in minutes; none: three times the
  // export's usual interval.
  std::optional<double> gapMinutes;
  bool pdf = false;  // «PDF»: the PDF report beside the workbook
};

// Where the report builder gets the controls and shows its message.
class ReportHost {
 public:
  virtual ~ReportHost() = default;
  virtual ReportControls controls() = 0;
  // A modal message box ("Файл сохранен.").
  virtual void showMessage(const std::string& text) = 0;
  // An information box: the report is done, with something to know about it.
  virtual void showInformation(const std::string& text) { showMessage(text); }
};

// The three automation components of one report: application, workbook and
// current worksheet. Their owner keeps them until the program ends.
struct AutomationComponents {
  xl::ApplicationPtr XL;
  xl::WorkbookPtr WB;
  xl::WorksheetPtr ASheet;
};

// The local date and time, for the workbook's name.
using Clock = std::function<CivilDateTime()>;
CivilDateTime localNow();

// "ddmmyy_hhmmss": 7 January 2021, 15:30:45 gives "070121_153045".
std::string reportTimeStamp(const CivilDateTime& now);

// The path box text cut before its last "." (empty when it has none).
std::string reportBaseName(std::string_view edit1);

class ExcelReport final : public ReportBuilder {
 public:
  ExcelReport(xl::AutomationServer& server, ReportHost& host, const Session& session,
              std::vector<AutomationComponents>& owner, Clock clock = localNow);

  void Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) override;

  // Chooses the name the workbook is saved under from the usual one (the
  // path box's base and the time stamp); the batch program's --output and
  // its staging use it. Empty: the usual name.
  using WorkbookNamer = std::function<std::string(const std::string& usualName)>;
  void setWorkbookNamer(WorkbookNamer namer) { workbookNamer_ = std::move(namer); }

  // What else is made of the workbook when «PDF» is ticked (the PDF
  // report), before the workbook is shown or closed: from the finished
  // workbook, the summary on its third sheet, the controls and when the
  // report was made. It is made while the workbook is being saved (it only
  // reads the workbook), on a thread of its own; what it returns is done
  // once the workbook is saved, on the report's own thread.
  using Finisher = std::function<std::function<void()>(
      const xl::Workbook& workbook, const ReportSummary& summary, const ReportControls& controls,
      const CivilDateTime& madeAt)>;
  void setFinisher(Finisher finisher) { finisher_ = std::move(finisher); }

 private:
  xl::AutomationServer& server_;
  ReportHost& host_;
  const Session& session_;
  std::vector<AutomationComponents>& owner_;
  Clock clock_;
  WorkbookNamer workbookNamer_;
  Finisher finisher_;
};

}  // namespace vexa
