// vexa-chart-report: Open and Start on export files from the command line,
// with the window's options as flags; a workbook per file.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "input/statistics.h"
#include "report/excel_report.h"
#include "spreadsheet/engine.h"

namespace vexa::cli {

struct Options {
  std::vector<std::string> files;
  std::optional<std::string> from;  // "YYYY-MM-DD HH:MM:SS"
  std::optional<std::string> to;
  bool temperature = true;  // --series, as the window's designed ticks
  bool humidity = true;
  bool battery = false;
  bool light = false;
  bool log = false;
  int decimals = 6;
  std::optional<std::string> output;
  bool open = false;
  int jobs = 0;  // cores to use: files at a time, or one file's threads; 0: all
  // --limit SERIES=LOW:HIGH, by series: "temperature", or a paired column's
  // heading; with the alarm rules --alarm gives them.
  std::map<std::string, Limits> limits;
  std::optional<double> gapMinutes;  // --gap MINUTES
  bool summaryOnly = false;          // print the summary, write no workbook
  bool pdf = false;                  // --pdf: the PDF report beside the workbook
  bool pdfOnly = false;              // --pdf-only: the PDF report without the workbook
  bool join = false;                 // --join: the files are one tag's downloads, one report
  bool compare = false;              // --compare: the files are several tags, side by side
  bool help = false;
  bool version = false;
};

// A command line that cannot be run; the text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments (without the program name). Raises UsageError.
Options parseArguments(const std::vector<std::string>& arguments);

// "temperature=-25:-15" (either side may be empty, a decimal point or a
// comma): the series and its limits. Raises UsageError, in Russian, for a
// limit that is not a number or a low limit above the high one.
std::pair<std::string, Limits> parseLimit(const std::string& text);

// "temperature=high:30" or "temperature=low:60:cumulative": the series, the
// side (true: the high limit) and its alarm rule. Raises UsageError.
struct AlarmOption {
  std::string series;
  bool high = false;
  AlarmRule rule;
};
AlarmOption parseAlarm(const std::string& text);

extern const char* const kUsage;

// The report input of one file as Start hands it to the report builder:
// the session with the table, the column count of a climate-family table,
// and the window's controls as the report reads them.
using ReportInputSeen = std::function<void(const std::string& file, const Session& session, int s,
                                           const ReportControls& controls)>;

// The time that SOURCE_DATE_EPOCH gives (seconds since 1970, UTC), for
// reports that must come out the same byte for byte; empty when it is not
// set: the system clock.
sheet::UtcClock sourceDateEpoch();

struct Environment {
  sheet::Opener opener = sheet::openWithDesktop;        // --open
  Clock clock = localNow;                               // the workbook's time stamp
  sheet::UtcClock propertiesClock = sourceDateEpoch();  // its creation and save times
  ReportInputSeen reportInput = {};                     // tools that check the written tables
  sheet::FileWriter writer = {};                        // empty: the engine's atomic write
};

// Reports every file, `jobs` at a time: the saved workbook's path on `out`,
// one line per file, in the order of the files; the program's messages on
// `err`, each after the file's name, grouped per file. A workbook appears
// under its name only when complete. Returns 0 when every file produced a
// workbook, 1 when any did not.
int runBatch(const Options& options, std::ostream& out, std::ostream& err,
             const Environment& environment = {});

// The whole program: arguments to exit status (2 for a usage error).
int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const Environment& environment = {});

}  // namespace vexa::cli
