// The zip package as the engine writes it, read back with libzip.
#include "spreadsheet/package.h"

#include <gtest/gtest.h>

#include <random>

#include "support/error_text.h"
#include "support/temp_files.h"
#include "support/xlsx_reader.h"

namespace vexa::sheet {
namespace {

std::string noise(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(random());
  }
  return bytes;
}

TEST(ZipPackage, EveryPartReadsBackWhetherDeflatedStoredOrBuilt) {
  const std::string repeated(3 << 20, 'x');  // large: deflated on the cores
  const std::vector<PackagePart> parts = {
      {"[Content_Types].xml", "<Types/>"},
      {"xl/worksheets/sheet1.xml", {}, [&] { return "<worksheet>" + repeated + "</worksheet>"; }},
      {"xl/charts/chart1.xml", {}, [] { return std::string("<c:chartSpace/>"); }},
      {"xl/media/noise.bin", noise(100000)},  // deflate cannot shrink it: stored
      {"empty.xml", ""},
  };
  testing::TempDir dir;
  const std::string file = dir.write("package.xlsx", zipPackage(parts, 1));
  const auto read = testing::readPackage(file);
  ASSERT_EQ(read.size(), parts.size());
  EXPECT_EQ(read.at("[Content_Types].xml"), "<Types/>");
  EXPECT_EQ(read.at("xl/worksheets/sheet1.xml"), "<worksheet>" + repeated + "</worksheet>");
  EXPECT_EQ(read.at("xl/charts/chart1.xml"), "<c:chartSpace/>");
  EXPECT_EQ(read.at("xl/media/noise.bin"), parts[3].content);
  EXPECT_EQ(read.at("empty.xml"), "");

  // The entries keep the parts' order, [Content_Types].xml first, as readers
  // that stream the package expect.
  const std::string bytes = zipPackage(parts, 6);
  EXPECT_EQ(bytes.compare(30, 19, "[Content_Types].xml"), 0);
  EXPECT_LT(bytes.size(), repeated.size() / 100 + 100000 + 4096);
}

TEST(ZipPackage, AFailingBuildEndsThePackageWithItsError) {
  const std::vector<PackagePart> parts = {
      {"a.xml", {}, [] { return std::string(2 << 20, 'a'); }},
      {"b.xml", {}, []() -> std::string { throw std::runtime_error("ячейка не пишется"); }},
  };
  EXPECT_EQ(testing::errorOf([&] { zipPackage(parts, 1); }), "ячейка не пишется");
  EXPECT_NE(testing::errorOf([&] {
              zipPackage({{"a.xml", "a"}}, 13);
            }).find("степень сжатия"),
            std::string::npos);
}

}  // namespace
}  // namespace vexa::sheet
