// Reads a saved workbook's package back: its parts by name.
#pragma once

#include <zip.h>

#include <map>
#include <stdexcept>
#include <string>

namespace vexa::testing {

// The parts of an open archive, which it closes. Raises std::runtime_error
// when a part does not read back whole.
inline std::map<std::string, std::string> readParts(zip_t* archive) {
  std::map<std::string, std::string> parts;
  const zip_int64_t entries = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < entries; ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
    std::string content(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    const bool whole = file != nullptr && zip_fread(file, content.data(), stat.size) ==
                                              static_cast<zip_int64_t>(stat.size);
    if (file != nullptr) {
      zip_fclose(file);
    }
    if (!whole) {
      const std::string name = stat.name;
      zip_close(archive);
      throw std::runtime_error("part does not read back: " + name);
    }
    parts[stat.name] = std::move(content);
  }
  zip_close(archive);
  return parts;
}

inline std::map<std::string, std::string> readPackage(const std::string& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) {
    throw std::runtime_error("not a zip package: " + path);
  }
  return readParts(archive);
}

// The same for a package in memory, its consistency checked as it opens.
inline std::map<std::string, std::string> readPackageBytes(const std::string& bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  zip_t* archive =
      source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
  if (archive == nullptr) {
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    if (source != nullptr) {
      zip_source_free(source);
    }
    throw std::runtime_error("not a zip package: " + reason);
  }
  return readParts(archive);
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
