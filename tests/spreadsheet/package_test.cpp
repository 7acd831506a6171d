// The zip package as the engine writes it, read back with libzip.
#include "spreadsheet/package.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

std::string bytesOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A save killed half-way leaves the previous file whole; the temporary file
// it leaves behind goes with the next save to that name.
TEST(AtomicSave, AKilledSaveLeavesTheOldFileAndItsLeftoverGoesNextTime) {
  testing::TempDir dir;
  const std::string path = dir.write("report.xlsx", "previous report");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    writeFileAtomically(path, std::string(1 << 20, 'n'), [] { ::kill(::getpid(), SIGKILL); });
    ::_exit(0);  // not reached
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(bytesOf(path), "previous report");
  const auto names = namesIn(dir.path());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].rfind(".report.xlsx.tmp" + std::to_string(child) + "-", 0), 0u) << names[0];

  writeFileAtomically(path, "next report");
  EXPECT_EQ(bytesOf(path), "next report");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"report.xlsx"});
}

// A save through a link updates the link's target; the replaced file keeps
// its permissions.
TEST(AtomicSave, LinksAreFollowedAndPermissionsKept) {
  testing::TempDir dir;
  const std::string target = dir.write("store/report.xlsx", "old");
  ::chmod(target.c_str(), 0640);
  const auto link = dir.path() / "report.xlsx";
  std::filesystem::create_symlink("store/report.xlsx", link);
  writeFileAtomically(link.string(), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(bytesOf(target), "new");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(namesIn(dir.path() / "store"), std::vector<std::string>{"report.xlsx"});
}

}  // namespace
}  // namespace vexa::sheet
