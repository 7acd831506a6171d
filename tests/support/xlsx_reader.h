// Reads a saved workbook's package back: its parts by name.
#pragma once

#include <zip.h>

#include <map>
#include <stdexcept>
#include <string>

namespace vexa::testing {

inline std::map<std::string, std::string> readPackage(const std::string& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) {
    throw std::runtime_error("not a zip package: " + path);
  }
  std::map<std::string, std::string> parts;
  const zip_int64_t entries = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < entries; ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
    std::string content(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    zip_fread(file, content.data(), stat.size);
    zip_fclose(file);
    parts[stat.name] = std::move(content);
  }
  zip_close(archive);
  return parts;
}

// The number of times `needle` occurs in `text`.
inline int occurrences(const std::string& text, const std::string& needle) {
  int count = 0;
  for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace vexa::testing
