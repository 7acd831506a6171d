// A recording double of the spreadsheet object model: every member call is
// logged with its arguments, in order, and chosen calls can be made to fail,
// to reach the report's fallbacks.
//
// Log lines name the object by how it was reached, then the member:
//   Application.Visible = False
//   Sheets(2).Range(R1C1:R5C3).HorizontalAlignment = 3
//   Workbook.SaveAs("/data/tag-070121_153045", -4143, 1)
//   Chart.Axes(2,1).TickLabels.NumberFormat = "0,00"
// Getters that return objects are logged too ("Application.Sheets(2)").
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "report/automation.h"

namespace vexa::testing {

class CallLog {
 public:
  // Logs `call`; raises when it was set to fail. Getters return objects.
  void record(const std::string& call, bool getter = false);

  // The next `times` calls equal to `call` raise an exception.
  void failOn(const std::string& call, int times = 1 << 30) { failures_[call] += times; }

  // The lines that start with `prefix`, in order.
  std::vector<std::string> starting(const std::string& prefix) const;
  // The lines without the object getters.
  std::vector<std::string> actions() const;

  std::vector<std::string> calls;
  std::vector<bool> getters;  // beside each call
  int chartObjectsCount = 1;  // what ChartObjects.Count answers

 private:
  std::map<std::string, int> failures_;
};

class RecordingServer final : public xl::AutomationServer {
 public:
  xl::ApplicationPtr attach() override;
  CallLog log;
};

}  // namespace vexa::testing
