// Writes the workbooks of the interoperability panel: one report per example
// export and the edge reports, through the batch program's own code. Beside
// each workbook NAME.xlsx goes NAME.json, the report input that its data
// sheet must read back as: the texts of the table block as Start handed them
// to the report builder, with the layout, the data sheet and the decimals.
//
//   panel_reports EXAMPLES_DIR OUT_DIR
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "export_generator.h"
#include "input/datetime.h"
#include "input/formats.h"
#include "input/numbers.h"
#include "report/summary.h"
#include "report/summary_sheet.h"

namespace {

namespace fs = std::filesystem;

struct PanelCase {
  std::string name;
  std::string file;  // in the examples folder, or generated into OUT_DIR
  std::vector<std::string> options;
};

void appendJsonText(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

// The table block of the layout: its rows, its columns and the sheet that
// holds it.
struct TableBlock {
  int rows = 0;
  int columns = 0;
  int sheet = 2;
};

TableBlock tableOf(const vexa::Session& session, int s) {
  switch (session.count) {
    case vexa::kMotionEvents:
      return {static_cast<int>(session.List.size()), 5, 1};
    case vexa::kPairedNumeric:
      return {session.countstt, session.coung, 2};
    case vexa::kPairedState:
      return {session.countstt, session.coung, 1};
    default:
      return {session.countsttr, s, 2};
  }
}

// The third sheet's cells, and the decimals each number is shown with.
void appendSummary(std::string& json, const vexa::Session& session,
                   const vexa::ReportControls& controls, int decimals) {
  const vexa::SummaryCells cells =
      vexa::summaryCells(vexa::summarize(session.count, session.Arr, session, controls,
                                         session.OsMin1, session.OsMax1, controls.limits),
                         decimals);
  json += ",\n \"summary\": [";
  std::string shown = ",\n \"summary_decimals\": [";
  for (int r = 1; r <= cells.texts.rows(); ++r) {
    json += r == 1 ? "\n  [" : ",\n  [";
    shown += r == 1 ? "[" : ", [";
    for (int c = 1; c <= cells.texts.columns(); ++c) {
      json += c > 1 ? ", " : "";
      shown += c > 1 ? ", " : "";
      appendJsonText(json, cells.texts.at(r, c));
      shown += std::to_string(
          cells.shownDecimals[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)]);
    }
    json += ']';
    shown += ']';
  }
  json += "]" + shown + "]";
}

// The table block's texts as a JSON array of rows.
std::string cellsJson(const vexa::Session& session, int s) {
  const TableBlock block = tableOf(session, s);
  std::string json = "[";
  for (int r = 1; r <= block.rows; ++r) {
    json += r == 1 ? "\n  [" : ",\n  [";
    for (int c = 1; c <= block.columns; ++c) {
      if (c > 1) {
        json += ", ";
      }
      const bool inArray = r <= session.Arr.rows() && c <= session.Arr.columns();
      appendJsonText(json, inArray ? session.Arr.at(r, c) : std::string_view());
    }
    json += ']';
  }
  return json + "]";
}

std::string describe(const std::string& name, const vexa::Session& session, int s, int decimals,
                     const vexa::ReportControls& controls) {
  std::string json = "{\"case\": ";
  appendJsonText(json, name);
  json += ", \"layout\": " + std::to_string(session.count);
  json += ", \"sheet\": " + std::to_string(tableOf(session, s).sheet);
  json += ", \"decimals\": " + std::to_string(decimals);
  json += ", \"probes\": ";
  json += session.ref == "#" ? "true" : "false";
  json += ",\n \"cells\": " + cellsJson(session, s);
  appendSummary(json, session, controls, decimals);
  json += "}\n";
  return json;
}

// A text of the printed overview as a Russian spreadsheet's cell text: a
// number with a decimal comma.
std::string withComma(const std::string& text) {
  double value = 0;
  if (text.find(':') != std::string::npos || !vexa::tryParseReadingValue(text, value)) {
    return text;
  }
  std::string out = text;
  std::replace(out.begin(), out.end(), '.', ',');
  return out;
}

std::vector<std::vector<std::string>> tabSeparated(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (;;) {
      const std::size_t tab = line.find('\t', from);
      cells.push_back(withComma(line.substr(from, tab == std::string::npos ? tab : tab - from)));
      if (tab == std::string::npos) {
        break;
      }
      from = tab + 1;
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

// The comparison of several tags: the overview sheet as --compare
// --summary-only prints it, with the limits' lines below it, then each
// tag's table; false when it could not be made.
bool writeComparison(const std::vector<std::string>& tags, const fs::path& out) {
  const std::vector<std::string> limit{"--limit", "temperature=-25:20"};
  vexa::cli::Environment environment;
  environment.opener = [](const std::string&) {};
  environment.clock = [] {
    return vexa::decodeDateTime(vexa::parseDateTime("2021-01-07 15:30:45"));
  };
  // Each tag's table by its file: the tags are reported side by side.
  std::map<std::string, std::string> tables;
  std::mutex lock;
  environment.reportInput = [&](const std::string& file, const vexa::Session& session, int s,
                                const vexa::ReportControls&) {
    const std::lock_guard<std::mutex> guard(lock);
    tables[file] = cellsJson(session, s);
  };
  std::vector<std::string> arguments{"--compare", "--summary-only"};
  arguments.insert(arguments.end(), limit.begin(), limit.end());
  arguments.insert(arguments.end(), tags.begin(), tags.end());
  std::ostringstream printed;
  std::ostringstream messages;
  if (vexa::cli::runCommandLine(arguments, printed, messages, environment) != 0) {
    std::fprintf(stderr, "comparison: no overview: %s\n", messages.str().c_str());
    return false;
  }
  std::vector<std::vector<std::string>> overview = tabSeparated(printed.str());
  // The limits' lines across the tags' common span.
  std::string from = overview[1][3];
  std::string to = overview[1][4];
  for (std::size_t r = 1; r < overview.size(); ++r) {
    from = std::min(from, overview[r][3]);
    to = std::max(to, overview[r][4]);
  }
  overview.push_back({});
  overview.push_back({"Линии пределов на графиках"});
  for (const auto& [label, value] : {std::pair{"Температура (ºС): Нижний предел: -25", "-25"},
                                     std::pair{"Температура (ºС): Верхний предел: 20", "20"}}) {
    overview.push_back({label, from, value});
    overview.push_back({"", to, value});
  }

  tables.clear();
  const std::string workbook = (out / "comparison.xlsx").string();
  arguments = {"--compare", "--pdf", "--output", workbook};
  arguments.insert(arguments.end(), limit.begin(), limit.end());
  arguments.insert(arguments.end(), tags.begin(), tags.end());
  if (vexa::cli::runCommandLine(arguments, printed, messages, environment) != 0 ||
      tables.size() != tags.size()) {
    std::fprintf(stderr, "comparison: no workbook: %s\n", messages.str().c_str());
    return false;
  }
  std::string json = "{\"case\": \"comparison\", \"kind\": \"comparison\", \"decimals\": 6";
  json += ",\n \"sheet_names\": [\"Сводка\"";
  for (const std::string& tag : tags) {
    json += ", ";
    appendJsonText(json, vexa::stemOf(tag));
  }
  json += "],\n \"sheet_cells\": [[";
  for (std::size_t r = 0; r < overview.size(); ++r) {
    json += r == 0 ? "[" : ",\n  [";
    for (std::size_t c = 0; c < overview[r].size(); ++c) {
      json += c == 0 ? "" : ", ";
      appendJsonText(json, overview[r][c]);
    }
    json += "]";
  }
  json += "]";
  for (const std::string& tag : tags) {
    json += ",\n " + tables[tag];
  }
  json += "]}\n";
  std::ofstream(out / "comparison.json", std::ios::binary) << json;
  std::printf("%s\n", workbook.c_str());
  return true;
}

int decimalsOf(const std::vector<std::string>& options) {
  for (std::size_t i = 0; i + 1 < options.size(); ++i) {
    if (options[i] == "--decimals") {
      return std::stoi(options[i + 1]);
    }
  }
  return 6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s EXAMPLES_DIR OUT_DIR\n", argv[0]);
    return 2;
  }
  const fs::path examples = argv[1];
  const fs::path out = argv[2];
  fs::remove_all(out);  // no workbook of an earlier panel stays
  fs::create_directories(out);

  // A climate-and-light export thinned to every second line (32000 lines
  // kept), and a paired export of eight series with gaps.
  vexa::bench::GeneratorOptions thinned;
  thinned.lines = 64000;
  thinned.stepSeconds = 300;
  vexa::bench::GeneratorOptions paired;
  paired.lines = 2000;
  paired.series = 8;
  const std::string thinnedFile = (out / "light_thinned.csv").string();
  const std::string pairedFile = (out / "sensors_8_temper.csv").string();
  if (!vexa::bench::writeExport(thinnedFile, vexa::bench::ExportKind::ClimateLight, thinned) ||
      !vexa::bench::writeExport(pairedFile, vexa::bench::ExportKind::PairedNumeric, paired)) {
    std::fprintf(stderr, "cannot write the generated exports into %s\n", argv[2]);
    return 1;
  }
  const auto example = [&](const char* name) { return (examples / name).string(); };
  const std::string all = "temperature,humidity,battery,light";
  const std::vector<PanelCase> cases = {
      {"climate", example("tag_climate.csv"), {"--series", "temperature,humidity,battery"}},
      {"two_probes", example("tag#2_freezer.csv"), {"--series", "temperature,humidity"}},
      {"freezer_limits",
       example("tag#2_freezer.csv"),
       {"--series", "temperature,humidity,battery", "--limit", "temperature=-25:-15", "--limit",
        "humidity=:21,2", "--alarm", "temperature=high:30", "--alarm",
        "humidity=high:45:cumulative", "--gap", "20"}},
      {"light_limits_log",
       example("tag_climate_light.csv"),
       {"--series", all, "--log", "--limit", "light=:1000", "--limit", "temperature=20:"}},
      {"boiler_limits", example("boiler_temper.csv"), {"--limit", "Boiler supply=67:69"}},
      {"two_probes_housing", example("tag#2_freezer.csv"), {"--series", "humidity,battery"}},
      {"climate_light_log", example("tag_climate_light.csv"), {"--series", all, "--log"}},
      {"light_only_log", example("tag_climate_light.csv"), {"--series", "light", "--log"}},
      {"temperature", example("tag_temperature.csv"), {"--series", "temperature,battery"}},
      {"single_series", example("tag_climate.csv"), {"--series", "humidity", "--decimals", "2"}},
      {"empty_window",
       example("tag_climate.csv"),
       {"--from", "2030-01-01 00:00:00", "--to", "2030-01-02 00:00:00"}},
      {"events", example("tag_events.csv"), {}},
      {"boiler", example("boiler_temper.csv"), {"--decimals", "1"}},
      {"doors", example("doors_state.csv"), {}},
      {"thinned_32000", thinnedFile, {"--series", all}},
      {"paired_8_series", pairedFile, {"--decimals", "3"}},
  };

  for (const PanelCase& c : cases) {
    const std::string workbook = (out / (c.name + ".xlsx")).string();
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"--pdf", "--output", workbook, c.file});
    std::string description;
    vexa::cli::Environment environment;
    environment.opener = [](const std::string&) {};
    environment.clock = [] {
      return vexa::decodeDateTime(vexa::parseDateTime("2021-01-07 15:30:45"));
    };
    environment.reportInput = [&](const std::string&, const vexa::Session& session, int s,
                                  const vexa::ReportControls& controls) {
      description = describe(c.name, session, s, decimalsOf(c.options), controls);
    };
    std::ostringstream printed;
    std::ostringstream messages;
    if (vexa::cli::runCommandLine(arguments, printed, messages, environment) != 0 ||
        description.empty()) {
      std::fprintf(stderr, "%s: no report: %s\n", c.name.c_str(), messages.str().c_str());
      return 1;
    }
    std::ofstream(out / (c.name + ".json"), std::ios::binary) << description;
    std::printf("%s\n", workbook.c_str());
  }
  return writeComparison({example("tag_climate.csv"), example("tag#2_freezer.csv"),
                          example("tag_temperature.csv")},
                         out)
             ? 0
             : 1;
}
