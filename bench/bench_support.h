// Helpers shared by the benchmarks: export files generated once per run, and
// the peak memory of a separate process.
#pragma once

#include <string>
#include <vector>

#include "export_generator.h"
#include "input/open_export.h"
#include "input/start.h"
#include "report/excel_report.h"

namespace vexa::bench {

// The window's part in Open, Start and the report, kept silent: no messages,
// no progress; the report reads `controls`.
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

// Path of a generated export in the temporary folder, written on first use.
std::string exportFile(ExportKind kind, std::size_t lines, int series = 4);

// Runs a probe program that prints "peak_kB=N" as its last line (see
// peakKilobytesOfThisProcess) and returns N in megabytes; negative when it
// could not be run or failed.
double peakMegabytesOf(const std::vector<std::string>& argv);

// The high-water mark of this process's resident memory since its program
// started (VmHWM: unlike getrusage, it does not count the parent's memory
// that a spawned child shares until it runs its own program).
long peakKilobytesOfThisProcess();

}  // namespace vexa::bench
