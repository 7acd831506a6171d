#include "cli/batch.h"

#include <ostream>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/messages.h"
#include "input/open_export.h"
#include "input/start.h"

namespace vexa::cli {

const char* const kUsage =
    "vexa-chart-report [OPTIONS] FILE...\n"
    "  --from \"YYYY-MM-DD HH:MM:SS\"  window start (default: what Open puts in the pickers)\n"
    "  --to   \"YYYY-MM-DD HH:MM:SS\"  window end   (default: likewise)\n"
    "  --series LIST   comma-separated subset of temperature,humidity,battery,light\n"
    "                  (default: temperature,humidity, the window's designed ticks)\n"
    "  --log           logarithmic value axis: the light axis of the climate-and-light\n"
    "                  layout, or the value axis of a paired-column file whose name\n"
    "                  contains \"light\"\n"
    "  --decimals N    decimal places, 0 to 8 (default 6)\n"
    "  --output PATH   write the workbook to PATH (\".xlsx\" appended when missing)\n"
    "                  instead of next to the export under the time-stamped name;\n"
    "                  only with a single FILE\n"
    "  --open          open the finished workbook in the default application\n"
    "  -h, --help      usage;  --version  version\n";

namespace {

std::string checkedStamp(const std::string& option, const std::string& value) {
  double ignored = 0;
  if (!tryParseDateTime(value, ignored)) {
    throw UsageError(option + ": '" + value + "' is not a date and time of the form " +
                     "\"YYYY-MM-DD HH:MM:SS\"");
  }
  return value;
}

void readSeries(const std::string& list, Options& options) {
  options.temperature = options.humidity = options.battery = options.light = false;
  std::size_t from = 0;
  while (from <= list.size() && !list.empty()) {
    const auto comma = list.find(',', from);
    const std::string name =
        list.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    if (name == "temperature") {
      options.temperature = true;
    } else if (name == "humidity") {
      options.humidity = true;
    } else if (name == "battery") {
      options.battery = true;
    } else if (name == "light") {
      options.light = true;
    } else {
      throw UsageError("--series: unknown series '" + name +
                       "' (choose from temperature, humidity, battery, light)");
    }
    if (comma == std::string::npos) {
      break;
    }
    from = comma + 1;
  }
}

// Everything the window shows for one file: the user-visible messages go to
// `err`, after the file's name.
class BatchHost final : public OpenObserver, public StartObserver, public ReportHost {
 public:
  BatchHost(std::string file, std::ostream& err) : file_(std::move(file)), err_(err) {}

  void thinningWarning(const std::string& text) override { say(text); }
  void layoutRecognised(const ExportLayout&) override {}
  void progressShown(int) override {}
  void progressMaximum(int) override {}
  void progressPosition(int) override {}
  void humidityCleared() override { controls_.CheckBox3 = false; }
  ReportControls controls() override { return controls_; }
  // "Файл сохранен.": the saved workbook's path on standard output says it.
  void showMessage(const std::string&) override {}

  void say(const std::string& text) { err_ << file_ << ": " << text << '\n'; }
  ReportControls& values() { return controls_; }

 private:
  std::string file_;
  std::ostream& err_;
  ReportControls controls_;
};

// The report builder, with the report input shown to the environment first.
class ObservedReport final : public ReportBuilder {
 public:
  ObservedReport(ReportBuilder& report, const ReportInputSeen& seen, const std::string& file,
                 const Session& session)
      : report_(report), seen_(seen), file_(file), session_(session) {}
  void Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) override {
    if (seen_) {
      seen_(file_, session_, s);
    }
    report_.Excel(count, Arr, OsMin1, OsMax1, s);
  }

 private:
  ReportBuilder& report_;
  const ReportInputSeen& seen_;
  const std::string& file_;
  const Session& session_;
};

// Open and Start for one file, as the window runs them; true when a workbook
// was saved.
bool reportFile(const std::string& file, const Options& options, sheet::Engine& engine,
                std::ostream& out, std::ostream& err, const Environment& environment) {
  BatchHost host(file, err);
  try {
    if (isRefusedName(file)) {
      host.say(std::string(kRefusedNameMessage));
      return false;
    }
    Session session;  // every file starts as the program does
    const ExportLayout layout = openExport(file, session, host);

    ReportControls& c = host.values();
    c.Edit1 = file;
    c.OpenDialog1FileName = file;
    c.CheckBox1 = options.open;
    c.ComboBox1 = std::to_string(options.decimals);
    c.CheckBox2 = options.temperature;
    c.CheckBox3 = options.humidity;
    c.CheckBox4 = options.battery;
    c.CheckBox5 = options.light;
    c.CheckBox6 = options.log;
    c.CheckBox7 = options.log && layout.lightOption;

    StartChoices choices;
    choices.CheckBox2 = c.CheckBox2;
    choices.CheckBox3 = c.CheckBox3;
    choices.CheckBox4 = c.CheckBox4;
    choices.CheckBox5 = c.CheckBox5;
    choices.start = decodeDateTime(options.from ? parseDateTime(*options.from) : session.OsMin1);
    choices.end = decodeDateTime(options.to ? parseDateTime(*options.to) : session.OsMax1);

    std::vector<AutomationComponents> components;
    ExcelReport report(engine, host, session, components, environment.clock);
    if (options.output) {
      report.setWorkbookName(*options.output);
    }
    ObservedReport observed(report, environment.reportInput, file, session);
    runStart(session, choices, host, observed);
    if (components.empty()) {
      return false;
    }
    out << sheet::savedPathOf(*components.back().WB) << '\n';
    return true;
  } catch (const std::exception& error) {
    host.say(error.what());
    return false;
  }
}

}  // namespace

Options parseArguments(const std::vector<std::string>& arguments) {
  Options options;
  bool filesOnly = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (filesOnly || argument.empty() || argument[0] != '-' || argument == "-") {
      options.files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      filesOnly = true;
      continue;
    }
    std::optional<std::string> inlineValue;
    if (const auto equals = argument.find('=');
        argument.rfind("--", 0) == 0 && equals != std::string::npos) {
      inlineValue = argument.substr(equals + 1);
      argument = argument.substr(0, equals);
    }
    const auto value = [&]() -> std::string {
      if (inlineValue) {
        return *inlineValue;
      }
      if (i + 1 >= arguments.size()) {
        throw UsageError(argument + " needs a value");
      }
      return arguments[++i];
    };
    const auto flag = [&] {
      if (inlineValue) {
        throw UsageError(argument + " takes no value");
      }
    };
    if (argument == "-h" || argument == "--help") {
      flag();
      options.help = true;
    } else if (argument == "--version") {
      flag();
      options.version = true;
    } else if (argument == "--from") {
      options.from = checkedStamp(argument, value());
    } else if (argument == "--to") {
      options.to = checkedStamp(argument, value());
    } else if (argument == "--series") {
      readSeries(value(), options);
    } else if (argument == "--log") {
      flag();
      options.log = true;
    } else if (argument == "--decimals") {
      const std::string places = value();
      if (places.size() != 1 || places[0] < '0' || places[0] > '8') {
        throw UsageError("--decimals: '" + places + "' is not a whole number from 0 to 8");
      }
      options.decimals = places[0] - '0';
    } else if (argument == "--output") {
      options.output = value();
      if (options.output->empty()) {
        throw UsageError("--output needs a path");
      }
    } else if (argument == "--open") {
      flag();
      options.open = true;
    } else {
      throw UsageError("unknown option " + argument);
    }
  }
  if (!options.help && !options.version) {
    if (options.files.empty()) {
      throw UsageError("no export file given");
    }
    if (options.output && options.files.size() > 1) {
      throw UsageError("--output works with a single FILE only");
    }
  }
  return options;
}

int runBatch(const Options& options, std::ostream& out, std::ostream& err,
             const Environment& environment) {
  sheet::Engine engine(sheet::EngineOptions{environment.opener});
  bool allSaved = true;
  for (const std::string& file : options.files) {
    allSaved = reportFile(file, options, engine, out, err, environment) && allSaved;
  }
  return allSaved ? 0 : 1;
}

int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   const Environment& environment) {
  Options options;
  try {
    options = parseArguments(arguments);
  } catch (const UsageError& error) {
    err << "vexa-chart-report: " << error.what() << "\n"
        << "Try 'vexa-chart-report --help'.\n";
    return 2;
  }
  if (options.help) {
    out << "Usage: " << kUsage;
    return 0;
  }
  if (options.version) {
    out << "vexa-chart-report " << VEXA_VERSION << '\n';
    return 0;
  }
  return runBatch(options, out, err, environment);
}

}  // namespace vexa::cli
