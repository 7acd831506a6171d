#include "spreadsheet/xml.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>

#include "support/xml_check.h"

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
      // Whatever reaches the writer, the part holds valid UTF-8 only.
      {"\xFF\xFE"
       "a",
       "\uFFFD\uFFFD"
       "a"},                                   // a UTF-16 mark read as UTF-8
      {"\xC0\xAF", "\uFFFD\uFFFD"},            // an overlong "/"
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},  // a surrogate
      {"\xD0", "\uFFFD"},                      // cut in the middle
      {"\xF0\x9F\x98\x80 \xF4\x90\x80\x80", "\U0001F600 \uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    std::string out;
    appendEscapedText(out, c.text);
    EXPECT_EQ(out, c.expected);
  }
  std::string attribute;
  appendEscapedAttribute(attribute, std::string("\"q\" & <\x01\t>", 10));
  EXPECT_EQ(attribute, "&quot;q&quot; &amp; &lt; &#x9;&gt;");
  attribute.clear();
  appendEscapedAttribute(attribute, "Лист\xFF\xEF\xBF\xBF");
  EXPECT_EQ(attribute, "Лист\uFFFD\uFFFD");
}

TEST(XmlNumbers, ShortestExactForm) {
  for (const auto& [value, expected] : std::vector<std::pair<double, const char*>>{
           {21.5, "21.5"},
           {-3.25, "-3.25"},
           {21.09, "21.09"},
           {0.005, "0.005"},
           {3.0, "3"},
           {1000000, "1000000"},
           {0.1 + 0.2, "0.30000000000000004"},
           {44198.0 + 37230.0 / 86400.0, "44198.43090277778"},
           {44207.0 + 600.0 / 86400.0, "44207.006944444445"},
           {-44207.0 - 1.0 / 86400.0, "-44207.00001157408"},
           {4194304.5, "4194304.5"},
           {0.0001, "1e-04"},
           {1e15, "1e+15"},
           {0, "0"},
           {-0.0, "0"}}) {
    std::string out;
    appendNumber(out, value);
    EXPECT_EQ(out, expected) << value;
  }
}

// Every number reads back as the same double, in the fewest digits: the
// decimal form of the general shortest-form search.
TEST(XmlNumbers, ReadBackExactlyInTheFewestDigits) {
  std::mt19937_64 random(20210107);
  const auto check = [](double value) {
    std::string out;
    appendNumber(out, value);
    ASSERT_EQ(std::strtod(out.c_str(), nullptr), value) << out;
    char shortest[32];
    const auto end = std::to_chars(shortest, shortest + sizeof shortest, value).ptr;
    const std::string_view general(shortest, static_cast<std::size_t>(end - shortest));
    if (general.find('e') == std::string_view::npos) {
      ASSERT_EQ(out, general);
    }
  };
  for (int i = 0; i < 200000; ++i) {
    // Measured values: up to nine decimals.
    const auto units = static_cast<long long>(random() % 4000000000ULL) - 2000000000LL;
    check(static_cast<double>(units) / std::pow(10.0, static_cast<double>(random() % 10)));
    // Date-times of whole seconds over eight years.
    check(43831.0 + static_cast<double>(random() % (86400ULL * 3000)) / 86400.0);
    // Any double at all.
    double any = 0;
    const std::uint64_t bits = random();
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any)) {
      check(any);
    }
  }
}

TEST(XmlNumbers, IntegersInDecimal) {
  std::string out;
  appendInteger(out, 0);
  out += ' ';
  appendInteger(out, -1048576);
  out += ' ';
  appendInteger(out, 9223372036854775807LL);
  EXPECT_EQ(out, "0 -1048576 9223372036854775807");
}

// The tests' own well-formedness check, which the package tests lean on:
// it must refuse what a parser refuses.
TEST(XmlCheck, RefusesWhatIsNotWellFormed) {
  struct Case {
    const char* name;
    std::string text;
    bool wellFormed;
  };
  const Case cases[] = {
      {"declaration and root", "<?xml version=\"1.0\"?>\n<a x=\"1\" y='2'><b/>t &amp; &#x41;</a>",
       true},
      {"Cyrillic text", "<a>Температура (ºС)</a>", true},
      {"no root", "<?xml version=\"1.0\"?>", false},
      {"unclosed", "<a><b></a>", false},
      {"crossed", "<a><b></a></b>", false},
      {"two roots", "<a/><b/>", false},
      {"bare ampersand", "<a>x & y</a>", false},
      {"unknown entity", "<a>&nbsp;</a>", false},
      {"lt in attribute", "<a x=\"<\"/>", false},
      {"unquoted attribute", "<a x=1/>", false},
      {"repeated attribute", "<a x=\"1\" x=\"2\"/>", false},
      {"control character", std::string("<a>\x01</a>"), false},
      {"reference to a control character", "<a>&#1;</a>", false},
      {"invalid UTF-8", "<a>\xC0\xAF</a>", false},
      {"surrogate", "<a>\xED\xA0\x80</a>", false},
      {"CDATA end in text", "<a>]]></a>", false},
      {"text after the root", "<a/>x", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(testing::xmlProblem(c.text).empty(), c.wellFormed)
        << c.name << ": " << testing::xmlProblem(c.text);
  }
}

}  // namespace
}  // namespace vexa::sheet
