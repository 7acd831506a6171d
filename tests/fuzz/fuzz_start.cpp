// Export bytes and a window → Start's extraction: the report input must fit
// the array it names, whatever the lines hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "input/loading.h"
#include "input/open_export.h"

using namespace vexa;

namespace {

// Looks at the report input as the report builder would.
class CheckingBuilder final : public ReportBuilder {
 public:
  explicit CheckingBuilder(const Session& session) : session_(session) {}
  void Excel(int count, const TextTable& Arr, double, double, int s) override {
    int rows = 0;
    int columns = 0;
    switch (count) {
      case 100:
      case 101:
        rows = session_.countstt - 1;
        columns = session_.coung;
        break;
      case 5:
        rows = static_cast<int>(session_.List.size());
        columns = 5;
        break;
      default:
        rows = session_.countsttr;
        columns = s;
    }
    if (rows < 0 || rows > Arr.rows() || columns < 0 || columns > Arr.columns()) {
      fuzz::fail("the table is larger than its array");
    }
    for (int r = 1; r <= rows; ++r) {
      Arr.forEachWritten(r, [&](int, std::string_view text) {
        if (!fuzz::validUtf8(text)) {
          fuzz::fail("a cell is not UTF-8", text);
        }
      });
    }
  }

 private:
  const Session& session_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::Choices choices = fuzz::readChoices(bytes);
  testing::SilentWindow window;
  Session session;
  try {
    openLoadedExport(decodeExportLines(bytes, choices.fileName), choices.fileName, session, window);
    StartChoices start = fuzz::startChoices(choices, session);
    CheckingBuilder builder(session);
    runStart(session, start, window, builder);
  } catch (const std::exception&) {
  }
  return 0;
}
