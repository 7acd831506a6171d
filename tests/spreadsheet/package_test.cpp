// The zip package as the engine writes it, read back with a reader apart
// from the writer.
#include "spreadsheet/package.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <filesystem>
#include <random>

#include "support/error_text.h"
#include "support/file_marks.h"
#include "support/kill_helper.h"
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

using testing::bytesOf;

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(platform::textOf(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A save killed half-way leaves the previous file whole; the temporary file
// it leaves behind goes with the next save to that name.
TEST(AtomicSave, AKilledSaveLeavesTheOldFileAndItsLeftoverGoesNextTime) {
  testing::TempDir dir;
  const std::string path = dir.write("report.xlsx", "previous report");
  const testing::HelperRun killed = testing::runKillHelper({"file", path, "1048576"});
  ASSERT_TRUE(killed.killed);
  EXPECT_EQ(bytesOf(path), "previous report");
  const auto names = namesIn(dir.path());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].rfind(".report.xlsx.tmp" + std::to_string(killed.process) + "-", 0), 0u)
      << names[0];

  writeFileAtomically(path, "next report");
  EXPECT_EQ(bytesOf(path), "next report");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"report.xlsx"});
}

// The replaced file keeps its permissions (its attributes on Windows), also
// under a Cyrillic name.
TEST(AtomicSave, AReplacedFileKeepsItsPermissions) {
  testing::TempDir dir;
  const std::string target = dir.write("Отчёты/отчёт.xlsx", "old");
  testing::markFile(target);
  writeFileAtomically(target, "new");
  EXPECT_EQ(bytesOf(target), "new");
  EXPECT_TRUE(testing::fileIsMarked(target));
  EXPECT_EQ(namesIn(dir.path() / platform::pathOf("Отчёты")),
            std::vector<std::string>{"отчёт.xlsx"});
}

#ifdef _WIN32
// A workbook that Excel holds open, or one marked read-only, cannot be
// replaced: the save says why in the user's words and the file stays as it
// was, with nothing left beside it.
TEST(AtomicSave, AFileHeldOpenOrReadOnlyStaysAsItWas) {
  testing::TempDir dir;
  const std::string held = dir.write("открытый.xlsx", "held");
  // Excel opens a workbook for reading and writing, sharing reading only.
  HANDLE excel = ::CreateFileW(platform::pathOf(held).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(excel, INVALID_HANDLE_VALUE);
  EXPECT_EQ(testing::errorOf([&] { writeFileAtomically(held, "new"); }),
            "Не удалось сохранить книгу \"" + held +
                "\": файл открыт в другой программе (возможно, в Excel); закройте его и "
                "повторите.");
  ::CloseHandle(excel);
  EXPECT_EQ(bytesOf(held), "held");

  const std::string readOnly = dir.write("только чтение.xlsx", "read-only");
  ::SetFileAttributesW(platform::pathOf(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(testing::errorOf([&] { writeFileAtomically(readOnly, "new"); }),
            "Не удалось сохранить книгу \"" + readOnly + "\": файл доступен только для чтения.");
  EXPECT_EQ(bytesOf(readOnly), "read-only");
  ::SetFileAttributesW(platform::pathOf(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"открытый.xlsx", "только чтение.xlsx"}));
}
#else
// A save through a link updates the link's target.
TEST(AtomicSave, LinksAreFollowed) {
  testing::TempDir dir;
  const std::string target = dir.write("store/report.xlsx", "old");
  const auto link = dir.path() / "report.xlsx";
  std::filesystem::create_symlink("store/report.xlsx", link);
  writeFileAtomically(link.string(), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(bytesOf(target), "new");
  EXPECT_EQ(namesIn(dir.path() / "store"), std::vector<std::string>{"report.xlsx"});
}
#endif

}  // namespace
}  // namespace vexa::sheet
