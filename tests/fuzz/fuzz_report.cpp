// Export bytes → a whole report, Open to the second save, written to a
// package in memory: it must be a zip whose XML parts are well-formed UTF-8.
#include <libxml/parser.h>
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "input/loading.h"
#include "input/open_export.h"
#include "report/excel_report.h"
#include "spreadsheet/engine.h"

using namespace vexa;

namespace {

void checkPackage(const std::string& bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  zip_t* archive =
      source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
  if (archive == nullptr) {
    fuzz::fail("the package is not a zip", zip_error_strerror(&error));
  }
  const zip_int64_t entries = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < entries; ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
    std::string part(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    if (file == nullptr ||
        zip_fread(file, part.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
      fuzz::fail("a part does not read back", stat.name);
    }
    zip_fclose(file);
    if (!fuzz::validUtf8(part)) {
      fuzz::fail("a part is not UTF-8", stat.name);
    }
    xmlDocPtr document =
        xmlReadMemory(part.data(), static_cast<int>(part.size()), stat.name, "UTF-8",
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (document == nullptr) {
      fuzz::fail("a part is not well-formed XML", stat.name);
    }
    xmlFreeDoc(document);
  }
  zip_close(archive);
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
