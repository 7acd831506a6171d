#include "cli/batch.h"

#include "cli/usage.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <sstream>
#include <thread>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/join.h"
#include "input/messages.h"
#include "input/open_export.h"
#include "input/start.h"
#include "input/text.h"
#include "pdf/pdf_report.h"
#include "pdf/workbook_pdf.h"
#include "platform/files.h"
#include "report/overview.h"
#include "report/report_layouts.h"
#include "report/summary.h"
#include "spreadsheet/chart_figure.h"
#include "spreadsheet/comparison.h"
#include "spreadsheet/ooxml_writer.h"
#include "spreadsheet/package.h"

namespace vexa::cli {

const char* const kUsage = kUsageText;

sheet::UtcClock sourceDateEpoch() {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (text == nullptr || *text == '\0') {
    return {};
  }
  std::int64_t seconds = 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), seconds);
  if (error != std::errc() || *end != '\0') {
    return {};
  }
  return [seconds] { return seconds; };
}

namespace {

// One side of a limit as typed; empty: no limit on that side.
std::optional<double> limitValue(const std::string& series, std::string_view text) {
  const auto value = limitFromText(text);
  if (!value) {
    throw UsageError("--limit: предел «" + std::string(trimSpaces(text)) + "» ряда «" + series +
                     "» — не число");
  }
  return *value;
}

}  // namespace

std::pair<std::string, Limits> parseLimit(const std::string& text) {
  const auto equals = text.find('=');
  const auto colon = equals == std::string::npos ? std::string::npos : text.find(':', equals);
  if (equals == std::string::npos || equals == 0 || colon == std::string::npos) {
    throw UsageError("--limit: «" + text +
                     "» — ожидается РЯД=НИЖНИЙ:ВЕРХНИЙ, например temperature=-25:-15");
  }
  const std::string series = text.substr(0, equals);
  Limits limits;
  limits.low = limitValue(series, text.substr(equals + 1, colon - equals - 1));
  limits.high = limitValue(series, text.substr(colon + 1));
  if (limits.low && limits.high && *limits.low > *limits.high) {
    throw UsageError("--limit: нижний предел " + text.substr(equals + 1, colon - equals - 1) +
                     " ряда «" + series + "» выше верхнего " + text.substr(colon + 1));
  }
  return {series, limits};
}

AlarmOption parseAlarm(const std::string& text) {
  const auto equals = text.find('=');
  const auto usage = [&] {
    return UsageError("--alarm: «" + text +
                      "» — ожидается РЯД=СТОРОНА:МИНУТЫ[:cumulative], например "
                      "temperature=high:30");
  };
  if (equals == std::string::npos || equals == 0) {
    throw usage();
  }
  AlarmOption alarm;
  alarm.series = text.substr(0, equals);
  std::vector<std::string> parts;
  for (std::size_t from = equals + 1;;) {
    const auto colon = text.find(':', from);
    parts.push_back(
        text.substr(from, colon == std::string::npos ? std::string::npos : colon - from));
    if (colon == std::string::npos) {
      break;
    }
    from = colon + 1;
  }
  if (parts.size() < 2 || parts.size() > 3 || (parts[0] != "low" && parts[0] != "high") ||
      (parts.size() == 3 && parts[2] != "cumulative" && parts[2] != "single")) {
    throw usage();
  }
  alarm.high = parts[0] == "high";
  const auto minutes = minutesFromText(parts[1]);
  if (!minutes || !*minutes) {
    throw UsageError("--alarm: задержка «" + parts[1] + "» ряда «" + alarm.series +
                     "» — не число минут");
  }
  alarm.rule.delayMinutes = *minutes;
  alarm.rule.kind =
      parts.size() == 3 && parts[2] == "cumulative" ? AlarmKind::Cumulative : AlarmKind::Single;
  return alarm;
}

namespace {

std::string checkedStamp(const std::string& option, const std::string& value) {
  double ignored = 0;
  if (!tryParseDateTime(value, ignored)) {
    throw UsageError(option + ": «" + value + "» — не дата и время вида «ГГГГ-ММ-ДД ЧЧ:ММ:СС»");
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
      throw UsageError("--series: неизвестный ряд «" + name +
                       "» (есть temperature, humidity, battery, light)");
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
                 const Session& session, ReportHost& host)
      : report_(report), seen_(seen), file_(file), session_(session), host_(host) {}
  void Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) override {
    if (seen_) {
      seen_(file_, session_, s, host_.controls());
    }
    report_.Excel(count, Arr, OsMin1, OsMax1, s);
  }

 private:
  ReportBuilder& report_;
  const ReportInputSeen& seen_;
  const std::string& file_;
  const Session& session_;
  ReportHost& host_;
};

// The workbook names of one run. Exports whose reports would have the same
// time-stamped name ("a.csv" and "a.txt") get distinct ones: the second of
// them in the order of the arguments "-2", the third "-3", whichever is
// done first. A workbook already on the disk is never replaced under a
// time-stamped name either: the next number is taken.
class WorkbookNames {
 public:
  // `occurrence`: 1 for the first export of its name in the run, 2 for the
  // second, and so on.
  std::string claim(const std::string& usualName, int occurrence) {
    const std::lock_guard<std::mutex> lock(lock_);
    const auto numbered = [&](int n) {
      return withExtension(n == 1 ? usualName : usualName + "-" + std::to_string(n));
    };
    std::string name = numbered(occurrence);
    for (int n = occurrence + 1; claimed_.count(name) != 0 || exists(name); ++n) {
      name = numbered(n);
    }
    claimed_.insert(name);
    return name;
  }

  // "report" and "report.xlsx" both name "report.xlsx", as a save does.
  static std::string withExtension(const std::string& name) {
    return name.ends_with(".xlsx") ? name : name + ".xlsx";
  }

 private:
  static bool exists(const std::string& name) { return platform::exists(name); }
  std::mutex lock_;
  std::set<std::string> claimed_;
};

// A report is prepared beside its workbook under a hidden name and moved
// onto the workbook's name only when it is complete: a report that fails,
// or a process that is killed, never replaces the file that was there.
class StagedWorkbook {
 public:
  ~StagedWorkbook() {
    if (!staging_.empty()) {
      platform::removeFile(platform::pathOf(staging_));
    }
  }
  // The staging name for the workbook `finalName` (with its extension).
  std::string prepare(const std::string& finalName) {
    final_ = platform::absoluteText(finalName);
    sheet::removeStaleStaging(final_);
    staging_ = sheet::stagingNameFor(final_);
    return staging_;
  }
  const std::string& finalName() const { return final_; }
  // Moves the finished workbook onto its name; returns that name.
  std::string commit() {
    sheet::moveIntoPlace(staging_, final_);
    staging_.clear();
    return final_;
  }

 private:
  std::string final_;
  std::string staging_;
};

// The summary of a report without its workbook (--summary-only).
class SummaryOnly final : public ReportBuilder {
 public:
  SummaryOnly(const Session& session, ReportHost& host) : session_(session), host_(host) {}
  void Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int) override {
    const ReportControls controls = host_.controls();
    summary = summarize(count, Arr, session_, controls, OsMin1, OsMax1, controls.limits);
    done = true;
  }
  ReportSummary summary;
  bool done = false;

 private:
  const Session& session_;
  ReportHost& host_;
};

// Limits only for the series the export has; a limit of a series the report
// does not show is said and left out.
bool checkLimits(const Options& options, const Session& session, const ReportControls& controls,
                 BatchHost& host) {
  const std::vector<SummarySeries> offered = seriesOffered(session.count, session);
  std::string names;
  for (const SummarySeries& series : offered) {
    names += (names.empty() ? "" : ", ") + series.key;
  }
  for (const auto& limit : options.limits) {
    const std::string& key = limit.first;
    const auto found = std::find_if(offered.begin(), offered.end(),
                                    [&](const SummarySeries& s) { return s.key == key; });
    if (found == offered.end()) {
      host.say("Предел задан для ряда «" + key + "», которого в этой выгрузке нет" +
               (names.empty() ? std::string(".") : " (её ряды: " + names + ")."));
      return false;
    }
    if (found->kind != SummarySeries::Kind::Measurement) {
      host.say("Пределы ряда «" + key + "» не задаются: в нём состояния, а не измерения.");
      return false;
    }
    if (found->box != 0 && !boxTicked(controls, found->box)) {
      host.say("Предел ряда «" + key + "» не учтён: этот ряд не выбран в --series.");
    }
  }
  return true;
}

// Hands a saved file to the desktop; one that nothing opens stays saved.
void openSaved(const std::string& path, const Environment& environment, BatchHost& host) {
  try {
    environment.opener(path);
  } catch (const xl::WorkbookNotShown& notShown) {
    host.say(notShown.what());
  }
}

bool isPdfName(const std::string& name) {
  return name.size() >= 4 && (name.ends_with(".pdf") || name.ends_with(".PDF"));
}

// How a joined export is shown: under the path its report is named after
// (in the first download's folder), with what the join found.
struct ExportView {
  std::string shownAs;
  JoinFacts joined;
};

// Open and Start for one file, as the window runs them; true when a workbook
// was saved.
bool reportFile(const std::string& file, int occurrence, const Options& options,
                sheet::Engine& engine, WorkbookNames& names, std::ostream& out, std::ostream& err,
                const Environment& environment, const ExportView* view = nullptr,
                OverviewExport* compared = nullptr, sheet::ComparisonBook* book = nullptr,
                std::size_t order = 0) {
  const std::string& shown = view != nullptr ? view->shownAs : file;
  BatchHost host(shown, err);
  try {
    // The folder names count too, as in the window, which always has the
    // whole path: "tag.csv" in a folder "MotionLog_1" is refused.
    if (isRefusedName(platform::absoluteText(file))) {
      host.say(std::string(kRefusedNameMessage));
      return false;
    }
    Session session;  // every file starts as the program does
    const ExportLayout layout = openExport(file, session, host);
    if (view != nullptr) {
      session.joined = view->joined;
    }
    if (layout.count == kMotionEvents && (options.from || options.to)) {
      host.say(
          "У журнала событий движения нет интервала времени, --from и --to к нему не "
          "применяются: без них отчёт будет построен по всему журналу.");
      return false;
    }

    ReportControls& c = host.values();
    c.Edit1 = shown;
    c.OpenDialog1FileName = shown;
    // The workbook is closed when done; --open opens it once it has its name.
    c.CheckBox1 = false;
    c.ComboBox1 = std::to_string(options.decimals);
    c.CheckBox2 = options.temperature;
    c.CheckBox3 = options.humidity;
    c.CheckBox4 = options.battery;
    c.CheckBox5 = options.light;
    c.CheckBox6 = options.log;
    c.CheckBox7 = options.log && layout.lightOption;
    c.limits = options.limits;
    c.gapMinutes = options.gapMinutes;
    if (!checkLimits(options, session, c, host)) {
      return false;
    }

    StartChoices choices;
    choices.CheckBox2 = c.CheckBox2;
    choices.CheckBox3 = c.CheckBox3;
    choices.CheckBox4 = c.CheckBox4;
    choices.CheckBox5 = c.CheckBox5;
    choices.start = decodeDateTime(options.from ? parseDateTime(*options.from) : session.OsMin1);
    choices.end = decodeDateTime(options.to ? parseDateTime(*options.to) : session.OsMax1);

    if (book != nullptr) {
      sheet::ComparedReport report(
          engine, session, host, [&](const sheet::WorkbookModel& model, ReportSummary summary) {
            book->add(order, shown, layout.count, std::move(summary), model);
          });
      ObservedReport observed(report, environment.reportInput, file, session, host);
      runStart(session, choices, host, observed);
      return report.done;
    }
    if (options.summaryOnly) {
      SummaryOnly summary(session, host);
      ObservedReport observed(summary, environment.reportInput, file, session, host);
      runStart(session, choices, host, observed);
      if (!summary.done) {
        return false;
      }
      if (compared != nullptr) {
        // A row of the overview: the figures, not the lists.
        compared->tag = std::string(platform::fileNameOf(shown));
        compared->layout = layout.count;
        compared->summary = std::move(summary.summary);
        compared->summary.excursions.clear();
        compared->summary.gaps.clear();
        compared->summary.journal.clear();
        compared->summary.journalDays.clear();
        return true;
      }
      out << summaryText(summary.summary);
      return true;
    }

    std::vector<AutomationComponents> components;
    ExcelReport report(engine, host, session, components, environment.clock);
    // The PDF is made from the finished workbook, and saved once the
    // workbook has its name; with SOURCE_DATE_EPOCH it says it was made then.
    const bool pdf = options.pdf || options.pdfOnly;
    c.pdf = pdf;
    std::string pdfBytes;
    report.setFinisher([&](const xl::Workbook& book, const ReportSummary& summary,
                           const ReportControls& controls, const CivilDateTime& madeAt) {
      // 1970-01-01 is day 25569 of the serials.
      const CivilDateTime made =
          environment.propertiesClock
              ? decodeDateTime(serialOf(25569 * kSecondsPerDay + environment.propertiesClock()))
              : madeAt;
      pdfBytes = pdf::pdfReport(pdf::pdfInputOf(book, summary, controls, made));
      return std::function<void()>();  // saved below, once the workbook has its name
    });
    StagedWorkbook workbook;
    report.setWorkbookNamer([&](const std::string& usualName) {
      return workbook.prepare(options.output ? WorkbookNames::withExtension(*options.output)
                                             : names.claim(usualName, occurrence));
    });
    ObservedReport observed(report, environment.reportInput, file, session, host);
    runStart(session, choices, host, observed);
    if (components.empty()) {
      return false;
    }
    if (options.pdfOnly) {
      const std::string target = options.output && isPdfName(*options.output)
                                     ? platform::absoluteText(*options.output)
                                     : pdf::pdfPathFor(workbook.finalName());
      sheet::writeFileAtomically(target, pdfBytes);
      out << target << '\n';
      if (options.open && environment.opener) {
        openSaved(target, environment, host);
      }
      return true;
    }
    const std::string saved = workbook.commit();
    out << saved << '\n';
    std::string pdfSaved;
    if (pdf) {
      pdfSaved = pdf::pdfPathFor(saved);
      sheet::writeFileAtomically(pdfSaved, pdfBytes);
      out << pdfSaved << '\n';
    }
    if (options.open && environment.opener) {
      openSaved(saved, environment, host);
      if (!pdfSaved.empty()) {
        openSaved(pdfSaved, environment, host);
      }
    }
    return true;
  } catch (const std::exception& error) {
    host.say(messageOf(error));
    return false;
  }
}

// The spreadsheet application of a worker that packs its workbooks on
// `packThreads` cores. The workbooks are saved under staging names; the
// move onto the final name makes them durable (StagedWorkbook).
sheet::EngineOptions engineOptions(const Options& options, const Environment& environment,
                                   std::size_t packThreads) {
  const sheet::FileWriter staged = [](const std::string& path, std::string_view bytes) {
    sheet::writeFileAtomically(path, bytes, {}, sheet::Durability::Staged);
  };
  // With --pdf-only the workbook is built for its chart and summary, and
  // never written.
  const sheet::FileWriter none = [](const std::string&, std::string_view) {};
  return sheet::EngineOptions{
      .clock = environment.propertiesClock,
      .writer = options.pdfOnly      ? none
                : environment.writer ? environment.writer
                                     : staged,
      .packThreads = static_cast<int>(std::max<std::size_t>(packThreads, 1))};
}

// Several tags' exports in one workbook: each reported in turn into the
// comparison, which is saved as a report is (staged, then moved onto its
// name): --output, or «Сравнение-ddmmyy_hhmmss.xlsx» in the first export's
// folder. The exports that cannot be reported are named and left out.
int runComparison(const Options& options, std::ostream& out, std::ostream& err,
                  const Environment& environment, std::size_t jobs) {
  sheet::ComparisonBook book(options.pdf || options.pdfOnly);
  WorkbookNames names;
  // The exports' reports side by side on the cores, each worker with a
  // spreadsheet application of its own; their messages in the files' order.
  std::vector<std::string> messages(options.files.size());
  std::vector<char> reported(options.files.size(), 0);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    sheet::Engine engine(engineOptions(options, environment, 1));
    for (std::size_t i = next++; i < options.files.size(); i = next++) {
      std::ostringstream fileOut;
      std::ostringstream fileErr;
      reported[i] = reportFile(options.files[i], 1, options, engine, names, fileOut, fileErr,
                               environment, nullptr, nullptr, &book, i)
                        ? 1
                        : 0;
      messages[i] = fileErr.str();
    }
  };
  std::vector<std::thread> threads;
  for (std::size_t t = 1; t < std::min(jobs, options.files.size()); ++t) {
    threads.emplace_back(work);
  }
  work();
  for (std::thread& thread : threads) {
    thread.join();
  }
  bool all = true;
  std::size_t added = 0;
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    err << messages[i];
    all = all && reported[i] != 0;
    added += reported[i] != 0 ? 1 : 0;
  }
  if (added == 0) {
    err << "Сравнивать нечего: ни по одной выгрузке отчёт не построен.\n";
    return 1;
  }
  const CivilDateTime now = environment.clock ? environment.clock() : localNow();
  sheet::DocumentProperties properties;
  properties.creator = platform::userName();
  const std::int64_t seconds = environment.propertiesClock
                                   ? environment.propertiesClock()
                                   : static_cast<std::int64_t>(std::time(nullptr));
  properties.created = properties.modified = seconds;
  const std::string first = platform::absoluteText(options.files.front());
  const std::string folder = first.substr(0, first.size() - platform::fileNameOf(first).size());
  const bool pdfOnlyName = options.pdfOnly && options.output && isPdfName(*options.output);
  const std::string name = options.output && !pdfOnlyName
                               ? WorkbookNames::withExtension(*options.output)
                               : names.claim(sheet::comparisonBaseName(folder, now), 1);
  try {
    const sheet::WorkbookModel& model = book.finish(properties);
    const std::string target = platform::absoluteText(name);
    std::vector<std::string> saved;
    if (!options.pdfOnly) {
      const std::string bytes =
          sheet::zipPackage(sheet::workbookParts(model), 1, static_cast<int>(jobs));
      if (environment.writer) {
        environment.writer(target, bytes);
      } else {
        sheet::writeFileAtomically(target, bytes);
      }
      saved.push_back(target);
    }
    if (options.pdf || options.pdfOnly) {
      // The overview, a page per quantity's chart, a page per tag; dated as
      // the workbook (SOURCE_DATE_EPOCH when set).
      const pdf::ComparisonPdfInput input = pdf::comparisonInputOf(
          book, model, options.decimals,
          environment.propertiesClock ? decodeDateTime(serialOf(25569 * kSecondsPerDay + seconds))
                                      : now);
      const std::string pdfTarget =
          pdfOnlyName ? platform::absoluteText(*options.output) : pdf::pdfPathFor(target);
      sheet::writeFileAtomically(pdfTarget, pdf::comparisonPdf(input));
      saved.push_back(pdfTarget);
    }
    for (const std::string& path : saved) {
      out << path << '\n';
    }
    if (options.open && environment.opener) {
      BatchHost host(target, err);
      for (const std::string& path : saved) {
        openSaved(path, environment, host);
      }
    }
  } catch (const std::exception& error) {
    err << name << ": " << messageOf(error) << '\n';
    return 1;
  }
  return all ? 0 : 1;
}

// One tag's downloads joined into one export (in a folder of its own that
// goes when the report is done), reported as that export: named after the
// first download, in its folder. The downloads left out are named.
int runJoin(const Options& options, std::ostream& out, std::ostream& err,
            const Environment& environment, std::size_t jobs) {
  const std::string first = platform::absoluteText(options.files.front());
  ExportView view;
  JoinedExport joined;
  std::optional<TemporaryFolder> folder;
  try {
    folder.emplace();
    joined = joinExports(options.files, folder->path(), joinedExportName(first));
  } catch (const std::exception& error) {
    err << messageOf(error) << '\n';
    return 1;
  }
  for (const std::string& leftOut : joined.leftOut) {
    err << leftOut << '\n';
  }
  const std::string_view name = platform::fileNameOf(first);
  view.shownAs = first.substr(0, first.size() - name.size()) + joinedExportName(first);
  view.joined = {static_cast<int>(joined.joined.size()), joined.repeatedStamps,
                 joined.differingStamps};
  sheet::Engine engine(engineOptions(options, environment, jobs));
  WorkbookNames names;
  const bool saved =
      reportFile(joined.path, 1, options, engine, names, out, err, environment, &view);
  return saved && joined.leftOut.empty() ? 0 : 1;
}

}  // namespace

Options parseArguments(const std::vector<std::string>& arguments) {
  Options options;
  std::vector<AlarmOption> alarms;
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
        throw UsageError(argument + ": нужно значение");
      }
      return arguments[++i];
    };
    const auto flag = [&] {
      if (inlineValue) {
        throw UsageError(argument + " не принимает значения");
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
        throw UsageError("--decimals: «" + places + "» — не целое число от 0 до 8");
      }
      options.decimals = places[0] - '0';
    } else if (argument == "--output") {
      options.output = value();
      if (options.output->empty()) {
        throw UsageError("--output: нужен путь к книге");
      }
    } else if (argument == "--open") {
      flag();
      options.open = true;
    } else if (argument == "--limit") {
      const auto [series, limits] = parseLimit(value());
      if (options.limits.count(series) != 0) {
        throw UsageError("--limit: пределы ряда «" + series + "» заданы дважды");
      }
      Limits& kept = options.limits[series];
      kept.low = limits.low;
      kept.high = limits.high;
    } else if (argument == "--alarm") {
      alarms.push_back(parseAlarm(value()));
    } else if (argument == "--gap") {
      const std::string minutes = value();
      const auto gap = minutesFromText(minutes);
      if (!gap || !*gap || **gap <= 0) {
        throw UsageError("--gap: «" + minutes + "» — не число минут больше нуля");
      }
      options.gapMinutes = *gap;
    } else if (argument == "--summary-only") {
      flag();
      options.summaryOnly = true;
    } else if (argument == "--pdf") {
      flag();
      options.pdf = true;
    } else if (argument == "--pdf-only") {
      flag();
      options.pdfOnly = true;
    } else if (argument == "--join") {
      flag();
      options.join = true;
    } else if (argument == "--compare") {
      flag();
      options.compare = true;
    } else if (argument == "-j" || argument == "--jobs" ||
               (argument.rfind("-j", 0) == 0 && argument.size() > 2)) {
      const std::string jobs =
          argument.size() > 2 && argument[1] == 'j' ? argument.substr(2) : value();
      if (jobs.empty() || jobs.size() > 4 ||
          jobs.find_first_not_of("0123456789") != std::string::npos || std::stoi(jobs) < 1) {
        throw UsageError("--jobs: «" + jobs + "» — не целое число от 1 до 9999");
      }
      options.jobs = std::stoi(jobs);
    } else {
      throw UsageError("неизвестный параметр " + argument);
    }
  }
  // Each alarm rule goes with its limit.
  for (const AlarmOption& alarm : alarms) {
    const auto found = options.limits.find(alarm.series);
    if (found == options.limits.end() || !(alarm.high ? found->second.high : found->second.low)) {
      throw UsageError("--alarm: у ряда «" + alarm.series + "» нет " +
                       (alarm.high ? "верхнего" : "нижнего") + " предела (--limit)");
    }
    (alarm.high ? found->second.highAlarm : found->second.lowAlarm) = alarm.rule;
  }
  if (!options.help && !options.version) {
    if (options.files.empty()) {
      throw UsageError("не указан ни один файл выгрузки");
    }
    if (options.join && options.compare) {
      throw UsageError("--join и --compare не сочетаются: выгрузки либо одного тега, либо разных");
    }
    if (options.join && options.files.size() < 2) {
      throw UsageError("--join: нужно не меньше двух выгрузок одного тега");
    }
    if (options.output && options.files.size() > 1 && !options.join && !options.compare) {
      throw UsageError("--output — только для одного файла (или для --join)");
    }
    if (options.summaryOnly && (options.output || options.open)) {
      throw UsageError("--summary-only книгу не сохраняет: --output и --open с ним не сочетаются");
    }
    if (options.summaryOnly && (options.pdf || options.pdfOnly)) {
      throw UsageError(
          "--summary-only отчётов не сохраняет: --pdf и --pdf-only с ним не сочетаются");
    }
    if (options.output &&
        (platform::kPathDelimiters.find(options.output->empty() ? '/' : options.output->back()) !=
             std::string_view::npos ||
         platform::isFolder(*options.output))) {
      throw UsageError("--output: «" + *options.output + "» — папка; укажите имя файла книги");
    }
  }
  return options;
}

int runBatch(const Options& options, std::ostream& out, std::ostream& err,
             const Environment& environment) {
  const std::size_t jobs = options.jobs > 0
                               ? static_cast<std::size_t>(options.jobs)
                               : std::max<std::size_t>(std::thread::hardware_concurrency(), 1);
  if (options.join) {
    return runJoin(options, out, err, environment, jobs);
  }
  if (options.compare && !options.summaryOnly) {
    return runComparison(options, out, err, environment, jobs);
  }
  const std::size_t workers = std::min(jobs, options.files.size());
  WorkbookNames names;
  std::vector<int> occurrences;
  std::map<std::string, int> seen;  // exports by the base of their workbook's name
  for (const std::string& file : options.files) {
    occurrences.push_back(++seen[reportBaseName(platform::absoluteText(file))]);
  }

  // Each file's lines, printed in the order of the arguments as the files are
  // done: the saved paths on standard output, the messages grouped per file.
  struct Outcome {
    std::string out;
    std::string err;
    bool saved = false;
    bool done = false;
  };
  std::vector<Outcome> outcomes(options.files.size());
  std::vector<OverviewExport> compared(options.compare ? options.files.size() : 0);
  std::mutex lock;
  std::condition_variable finished;
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    // A spreadsheet application of its own for each worker; the cores that
    // -j gives are shared among the workers, so that a single file packs its
    // workbook on all of them and two files side by side on one each.
    sheet::Engine engine(engineOptions(options, environment, jobs / workers));
    for (std::size_t i = next++; i < options.files.size(); i = next++) {
      std::ostringstream fileOut;
      std::ostringstream fileErr;
      const bool saved =
          reportFile(options.files[i], occurrences[i], options, engine, names, fileOut, fileErr,
                     environment, nullptr, options.compare ? &compared[i] : nullptr);
      const std::lock_guard<std::mutex> guard(lock);
      outcomes[i] = {fileOut.str(), fileErr.str(), saved, true};
      finished.notify_all();
    }
  };
  std::vector<std::thread> threads;
  if (workers > 1) {
    for (std::size_t t = 0; t < workers; ++t) {
      threads.emplace_back(work);
    }
  }
  bool allSaved = true;
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    if (workers <= 1) {
      work();  // one worker: the files one after another, here
    }
    std::unique_lock<std::mutex> guard(lock);
    finished.wait(guard, [&] { return outcomes[i].done; });
    out << outcomes[i].out << std::flush;
    err << outcomes[i].err << std::flush;
    allSaved = outcomes[i].saved && allSaved;
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  if (options.compare) {
    // The exports reported, side by side; those that were not are named above.
    std::vector<OverviewExport> rows;
    for (std::size_t i = 0; i < compared.size(); ++i) {
      if (outcomes[i].saved) {
        rows.push_back(std::move(compared[i]));
      }
    }
    if (!rows.empty()) {
      out << overviewText(overviewOf(rows)) << std::flush;
    }
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
        << "Подробнее: vexa-chart-report --help\n";
    return 2;
  }
  if (options.help) {
    out << kUsage;
    return 0;
  }
  if (options.version) {
    out << "vexa-chart-report " << VEXA_VERSION << '\n';
    return 0;
  }
  return runBatch(options, out, err, environment);
}

}  // namespace vexa::cli
