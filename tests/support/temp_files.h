// Temporary export files for tests; removed with the fixture.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace vexa::testing {

// The bytes of the file at `path` (the program's UTF-8 path text); empty when
// it cannot be read.
inline std::string bytesOf(const std::string& path) {
  std::ifstream file(platform::pathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const auto candidate = base / ("vexa-test-" + std::to_string(random() % 1000000000000ULL));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) {
        path_ = candidate;
      }
    }
    if (path_.empty()) {
      throw std::runtime_error("no temporary folder");
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // The path of `name` (UTF-8, may name subfolders) inside the folder, as
  // the program's UTF-8 path text.
  std::string file(const std::string& name) const {
    return platform::textOf((path_ / platform::pathOf(name)).make_preferred());
  }

  // Writes `bytes` to `name` inside the folder and returns the full path.
  std::string write(const std::string& name, std::string_view bytes) const {
    const auto file = (path_ / platform::pathOf(name)).make_preferred();
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return platform::textOf(file);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vexa::testing
