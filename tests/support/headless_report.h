// Open and Start on an export file without the window, the report written by
// the program's spreadsheet engine: what the window does, for tests that look
// at the workbook.
#pragma once

#include <string>
#include <vector>

#include "input/open_export.h"
#include "input/start.h"
#include "report/excel_report.h"
#include "spreadsheet/engine.h"

namespace vexa::testing {

struct ReportChoices {
  std::string ticks = "23";  // digits of the ticked CheckBox2..CheckBox7
  std::string decimals = "6";
  std::string from;  // "yyyy-mm-dd hh:nn:ss"; empty: the file's span
  std::string to;
};

class HeadlessReport final : public OpenObserver, public StartObserver, public ReportHost {
 public:
  // Returns the saved workbook's path; raises what Open, Start or the report raise.
  std::string run(const std::string& exportPath, const ReportChoices& choices) {
    Session session;
    openExport(exportPath, session, *this);
    const auto ticked = [&](char box) { return choices.ticks.find(box) != std::string::npos; };
    values_.Edit1 = exportPath;
    values_.OpenDialog1FileName = exportPath;
    values_.CheckBox1 = false;
    values_.ComboBox1 = choices.decimals;
    values_.CheckBox2 = ticked('2');
    values_.CheckBox3 = ticked('3');
    values_.CheckBox4 = ticked('4');
    values_.CheckBox5 = ticked('5');
    values_.CheckBox6 = ticked('6');
    values_.CheckBox7 = ticked('7');
    StartChoices start;
    start.CheckBox2 = values_.CheckBox2;
    start.CheckBox3 = values_.CheckBox3;
    start.CheckBox4 = values_.CheckBox4;
    start.CheckBox5 = values_.CheckBox5;
    start.start =
        decodeDateTime(choices.from.empty() ? session.OsMin1 : parseDateTime(choices.from));
    start.end = decodeDateTime(choices.to.empty() ? session.OsMax1 : parseDateTime(choices.to));
    sheet::Engine engine(sheet::EngineOptions{});
    std::vector<AutomationComponents> owner;
    ExcelReport report(engine, *this, session, owner,
                       [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); });
    runStart(session, start, *this, report);
    const auto dot = exportPath.rfind('.');
    return exportPath.substr(0, dot) + "-070121_153045.xlsx";
  }
  std::vector<std::string> messages;

 private:
  void thinningWarning(const std::string& text) override { messages.push_back(text); }
  void layoutRecognised(const ExportLayout&) override {}
  void progressShown(int) override {}
  void progressMaximum(int) override {}
  void progressPosition(int) override {}
  void humidityCleared() override { values_.CheckBox3 = false; }
  ReportControls controls() override { return values_; }
  void showMessage(const std::string& text) override { messages.push_back(text); }

  ReportControls values_;
};

}  // namespace vexa::testing
