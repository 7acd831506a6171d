// The table and chart layouts of each format code, run by the report builder
// once the workbook is saved and the data sheet attached.
#pragma once

#include <string>

#include "input/session.h"
#include "report/automation.h"
#include "report/excel_report.h"

namespace vexa {

struct LayoutContext {
  int count = 0;
  const TextTable& Arr;
  double OsMin1 = 0;
  double OsMax1 = 0;
  int s = 0;
  const Session& session;  // the report-input globals
  const ReportControls& controls;
  AutomationComponents& components;  // ASheet is the current worksheet
  xl::ChartPtr chart = nullptr;      // the report's chart, once the layout made it
  int secondarySeries = 0;           // its series on the secondary value axis (0: none)
};

// The number format of the value cells for the selected decimal places:
// "0" for none, otherwise "0," and that many zeros.
std::string numberFormatFor(const std::string& places);

// The value-axis title of a paired-column export, from keywords in its file
// name ("Температура (ºС)" for "boiler_temper.csv"); "false" for none.
std::string pairedValueTitle(const std::string& fileName);

// Runs the layout of `context.count`: paired columns (100, 101), climate
// family (3, 6, 9) or motion events (5).
void buildLayout(LayoutContext& context);

}  // namespace vexa
