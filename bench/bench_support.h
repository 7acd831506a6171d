// Helpers shared by the benchmarks: export files generated once per run, the
// silent window, and the peak memory of a separate process.
#pragma once

#include <string>
#include <vector>

#include "export_generator.h"
#include "input/open_export.h"
#include "input/start.h"
#include "report/excel_report.h"
#include "support/silent_window.h"

namespace vexa::bench {

using testing::SilentWindow;

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
