// The window's part in Open, Start and the report, kept silent: no messages,
// no progress; the report reads `values`. For benchmarks and fuzz targets.
#pragma once

#include <string>

#include "input/open_export.h"
#include "input/start.h"
#include "report/excel_report.h"

namespace vexa::testing {

struct SilentWindow final : OpenObserver, StartObserver, ReportHost {
  ReportControls values;
  void thinningWarning(const std::string&) override {}
  void layoutRecognised(const ExportLayout&) override {}
  void progressShown(int) override {}
  void progressMaximum(int) override {}
  void progressPosition(int) override {}
  void humidityCleared() override { values.CheckBox3 = false; }
  ReportControls controls() override { return values; }
  void showMessage(const std::string&) override {}
};

}  // namespace vexa::testing
