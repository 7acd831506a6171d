// A report of an export file without the window, through the batch program's
// own code: for tests that look at the written workbook.
#pragma once

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "input/datetime.h"

namespace vexa::testing {

struct ReportChoices {
  std::string ticks = "23";  // digits of the ticked CheckBox2..CheckBox5; 6 or 7: logarithmic
  std::string decimals = "6";
  std::string from;  // "yyyy-mm-dd hh:nn:ss"; empty: the file's span
  std::string to;
  std::vector<std::string> limits;  // "temperature=-25:-15"
};

class HeadlessReport {
 public:
  // Returns the saved workbook's path (named for 7 January 2021, 15:30:45);
  // raises with the program's message when no workbook was saved.
  std::string run(const std::string& exportPath, const ReportChoices& choices) {
    static const char* kSeries[] = {"temperature", "humidity", "battery", "light"};
    std::string series;
    for (char box = '2'; box <= '5'; ++box) {
      if (choices.ticks.find(box) != std::string::npos) {
        series += (series.empty() ? "" : ",") + std::string(kSeries[box - '2']);
      }
    }
    std::vector<std::string> arguments = {"--series", series, "--decimals", choices.decimals};
    if (choices.ticks.find_first_of("67") != std::string::npos) {
      arguments.push_back("--log");
    }
    if (!choices.from.empty()) {
      arguments.insert(arguments.end(), {"--from", choices.from});
    }
    if (!choices.to.empty()) {
      arguments.insert(arguments.end(), {"--to", choices.to});
    }
    for (const std::string& limit : choices.limits) {
      arguments.insert(arguments.end(), {"--limit", limit});
    }
    arguments.push_back(exportPath);
    cli::Environment environment;
    environment.opener = [](const std::string&) {};
    environment.clock = [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); };
    std::ostringstream out;
    std::ostringstream err;
    if (cli::runCommandLine(arguments, out, err, environment) != 0) {
      throw std::runtime_error(err.str());
    }
    messages = err.str();
    std::string path = out.str();
    return path.substr(0, path.find('\n'));
  }
  std::string messages;
};

}  // namespace vexa::testing
