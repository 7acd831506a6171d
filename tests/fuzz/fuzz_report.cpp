// Export bytes → a whole report, Open to the second save, written to a
// package in memory: it must be a zip whose XML parts are well-formed UTF-8.
#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "input/loading.h"
#include "input/open_export.h"
#include "report/excel_report.h"
#include "report/summary.h"
#include "spreadsheet/engine.h"
#include "support/xlsx_reader.h"

using namespace vexa;

namespace {

void checkPackage(const std::string& bytes) {
  std::map<std::string, std::string> parts;
  try {
    parts = testing::readPackageBytes(bytes);
  } catch (const std::exception& error) {
    fuzz::fail("the package is not a whole zip", error.what());
  }
  for (const auto& [name, part] : parts) {
    if (!fuzz::validUtf8(part)) {
      fuzz::fail("a part is not UTF-8", name);
    }
    xmlDocPtr document =
        xmlReadMemory(part.data(), static_cast<int>(part.size()), name.c_str(), "UTF-8",
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (document == nullptr) {
      fuzz::fail("a part is not well-formed XML", name);
    }
    xmlFreeDoc(document);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::Choices choices = fuzz::readChoices(bytes);
  std::vector<std::string> saved;
  sheet::Engine engine(sheet::EngineOptions{
      .writer = [&](const std::string&, std::string_view package) { saved.emplace_back(package); },
      .packThreads = 1});
  testing::SilentWindow window;
  Session session;
  try {
    const ExportLayout layout = openLoadedExport(decodeExportLines(bytes, choices.fileName),
                                                 choices.fileName, session, window);
    fuzz::setControls(window.values, choices, choices.fileName, layout);
    const fuzz::Rules rules = fuzz::readRules(bytes);
    for (const SummarySeries& series : seriesOffered(session.count, session)) {
      if (!rules.limits.empty()) {
        window.values.limits[series.key] = rules.limits;
      }
    }
    window.values.gapMinutes = rules.gapMinutes;
    StartChoices start = fuzz::startChoices(choices, session);
    std::vector<AutomationComponents> owner;
    ExcelReport report(engine, window, session, owner,
                       [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); });
    runStart(session, start, window, report);
  } catch (const std::exception&) {
  }
  for (const std::string& package : saved) {
    checkPackage(package);
  }
  return 0;
}
