#include "spreadsheet/xml.h"

#include <gtest/gtest.h>

namespace vexa::sheet {
namespace {

TEST(XmlEscaping, TextKeepsEveryPartWellFormed) {
  struct Case {
    std::string text;
    const char* expected;
  };
  const Case cases[] = {
      {"a & b < c > d \"e\"", "a &amp; b &lt; c &gt; d \"e\""},
      {std::string("nul\0here", 8), "nul_x0000_here"},
      {"bell\x07", "bell_x0007_"},
      {"tab\tand\nline", "tab\tand\nline"},
      {"cr\r", "cr_x000D_"},
      {"_x0041_", "_x005F_x0041_"},
      {"_x00", "_x00"},
      {"\xEF\xBF\xBE", "_xFFFE_"},
      {"Температура (ºС)", "Температура (ºС)"},
  };
  for (const Case& c : cases) {
    std::string out;
    appendEscapedText(out, c.text);
    EXPECT_EQ(out, c.expected);
  }
  std::string attribute;
  appendEscapedAttribute(attribute, std::string("\"q\" & <\x01\t>", 10));
  EXPECT_EQ(attribute, "&quot;q&quot; &amp; &lt; &#x9;&gt;");
}

TEST(XmlNumbers, ShortestExactForm) {
  for (const auto& [value, expected] : std::vector<std::pair<double, const char*>>{
           {21.5, "21.5"},
           {-3.25, "-3.25"},
           {44198.0 + 37230.0 / 86400.0, "44198.43090277778"},
           {1e15, "1e+15"},
           {0, "0"}}) {
    std::string out;
    appendNumber(out, value);
    EXPECT_EQ(out, expected);
  }
}

}  // namespace
}  // namespace vexa::sheet
