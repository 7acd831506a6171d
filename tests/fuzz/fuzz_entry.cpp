// Typed texts → the engine's entry rules and number formats, and the XML
// writer's escaping of whatever a cell or a format holds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "spreadsheet/entry_rules.h"
#include "spreadsheet/xml.h"

using namespace vexa;

namespace {

// Only XML 1.0 characters in valid UTF-8: no C0 control but TAB and LF, no
// U+FFFE or U+FFFF.
void checkXmlText(std::string_view xml) {
  if (!fuzz::validUtf8(xml)) {
    fuzz::fail("escaped text is not UTF-8", xml);
  }
  for (std::size_t i = 0; i < xml.size(); ++i) {
    const auto c = static_cast<unsigned char>(xml[i]);
    if ((c < 0x20 && c != '\t' && c != '\n') || c == '<' ||
        (c == 0xEF && i + 2 < xml.size() && static_cast<unsigned char>(xml[i + 1]) == 0xBF &&
         static_cast<unsigned char>(xml[i + 2]) >= 0xBE)) {
      fuzz::fail("escaped text holds a character XML forbids", xml);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view typed(reinterpret_cast<const char*>(data), size);
  const sheet::LocalEntry entry = sheet::readLocalEntry(typed);
  switch (entry.kind) {
    case sheet::LocalEntry::Kind::Number: {
      if (!std::isfinite(entry.number) || std::fabs(entry.number) > 9.99999999999999e307) {
        fuzz::fail("a number a cell cannot hold", typed);
      }
      std::string written;
      sheet::appendNumber(written, entry.number);
      if (std::strtod(written.c_str(), nullptr) != entry.number) {
        fuzz::fail("a number does not read back", written);
      }
      break;
    }
    case sheet::LocalEntry::Kind::Text:
      if (entry.text.size() > typed.size()) {
        fuzz::fail("a text grew");
      }
      if (!typed.empty() && (typed[0] == '=' || typed[0] == '+' || typed[0] == '@') &&
          entry.text.empty()) {
        fuzz::fail("a formula-looking text was lost", typed);
      }
      break;
    case sheet::LocalEntry::Kind::Empty:
      if (!typed.empty()) {
        fuzz::fail("a typed text became an empty cell", typed);
      }
      break;
  }
  std::string xml;
  sheet::appendEscapedText(xml, typed);
  checkXmlText(xml);
  xml.clear();
  sheet::appendEscapedAttribute(xml, sheet::numberFormatCode(typed));
  sheet::appendEscapedAttribute(xml, sheet::numberFormatFromLocal(typed));
  checkXmlText(xml);
  return 0;
}
