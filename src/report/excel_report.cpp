#include "report/excel_report.h"

#include <cstdio>
#include <ctime>
#include <future>

#include "input/formats.h"
#include "input/messages.h"
#include "report/report_layouts.h"
#include "report/summary_sheet.h"

namespace vexa {

CivilDateTime localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CivilDateTime value;
  value.year = local.tm_year + 1900;
  value.month = local.tm_mon + 1;
  value.day = local.tm_mday;
  value.hour = local.tm_hour;
  value.minute = local.tm_min;
  value.second = std::min(local.tm_sec, 59);  // a leap second reads as :59
  return value;
}

std::string reportTimeStamp(const CivilDateTime& now) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d%02d%02d_%02d%02d%02d", now.day, now.month,
                now.year % 100, now.hour, now.minute, now.second);
  return buffer;
}

std::string reportBaseName(std::string_view edit1) {
  const auto dot = edit1.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(edit1.substr(0, dot));
}

ExcelReport::ExcelReport(xl::AutomationServer& server, ReportHost& host, const Session& session,
                         std::vector<AutomationComponents>& owner, Clock clock)
    : server_(server), host_(host), session_(session), owner_(owner), clock_(std::move(clock)) {}

void ExcelReport::Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) {
  const ReportControls controls = host_.controls();

  // 1-3. The application component attaches on its first use; the workbook
  // and worksheet components are created beside it and kept by the owner.
  AutomationComponents& c = owner_.emplace_back();
  c.XL = server_.attach();
  c.XL->setVisible(false);
  // 4-5.
  c.XL->setSheetsInNewWorkbook(3);
  const CivilDateTime madeAt = clock_();
  const std::string time = reportTimeStamp(madeAt);
  // 6-9.
  c.WB = c.XL->Workbooks()->Add();
  c.ASheet = c.XL->ActiveSheet();
  c.XL->setDisplayAlerts(false);
  c.XL->ErrorCheckingOptions()->setBackgroundChecking(false);
  c.XL->ErrorCheckingOptions()->setNumberAsText(false);
  c.XL->ErrorCheckingOptions()->setInconsistentFormula(false);
  // 10-11. Saved at once under its final name; one retry with the same call.
  const std::string usualName = reportBaseName(controls.Edit1) + "-" + time;
  const std::string name = workbookNamer_ ? workbookNamer_(usualName) : usualName;
  try {
    c.WB->SaveAs(name, xl::xlWorkbookNormal, xl::xlNoChange);
  } catch (const std::exception&) {
    c.WB->SaveAs(name, xl::xlWorkbookNormal, xl::xlNoChange);
  }
  // 12. The data sheet: the second, or the first for motion events and states.
  c.ASheet = c.XL->ActiveSheet();
  c.ASheet = c.XL->Sheets(2);
  if (count == kMotionEvents) {
    c.ASheet = c.XL->Sheets(1);
  }
  if (count == kPairedState) {
    c.ASheet = c.XL->Sheets(1);
  }
  // 13.
  // What happened in the window is worked out beside the layout (both only
  // read the table), then goes on the third sheet, the limits on the chart.
  std::future<ReportSummary> summary = std::async(std::launch::async | std::launch::deferred, [&] {
    return summarize(count, Arr, session_, controls, OsMin1, OsMax1, controls.limits);
  });
  LayoutContext layout{count, Arr, OsMin1, OsMax1, s, session_, controls, c};
  buildLayout(layout);
  const ReportSummary figures = summary.get();
  writeSummary(layout, figures);

  // Finish: the PDF is made beside the save, and saved after it.
  std::future<std::function<void()>> finishing;
  if (controls.pdf && finisher_) {
    finishing =
        std::async(std::launch::async, [&] { return finisher_(*c.WB, figures, controls, madeAt); });
  }
  c.WB->Save();
  if (finishing.valid()) {
    if (const std::function<void()> done = finishing.get()) {
      done();
    }
  }
  c.XL->setDisplayAlerts(true);
  if (controls.CheckBox1) {
    try {
      c.XL->setVisible(true);
    } catch (const xl::WorkbookNotShown& notShown) {
      host_.showInformation(notShown.what());  // saved all the same: the window is ready
    }
  } else {
    c.WB->Close();
    c.XL->Quit();
    host_.showMessage(std::string(kSavedMessage));
  }
}

}  // namespace vexa
