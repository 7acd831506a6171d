// Reads a saved workbook's package back: its parts by name.
#pragma once

#ifdef VEXA_TEST_ZIP_ZLIB
#include <zlib.h>
#else
#include <zip.h>
#endif

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

#include "platform/files.h"

namespace vexa::testing {

#ifdef VEXA_TEST_ZIP_ZLIB

// A zip reader of the tests' own, over zlib's inflate: the central
// directory, every local header against it, sizes and CRCs checked.
inline std::uint32_t zipField(const std::string& bytes, std::size_t at, int size) {
  if (at + static_cast<std::size_t>(size) > bytes.size()) {
    throw std::runtime_error("not a zip package: a header runs past the end");
  }
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

inline std::map<std::string, std::string> readPackageBytes(const std::string& bytes) {
  if (bytes.size() < 22) {
    throw std::runtime_error("not a zip package: too short");
  }
  std::size_t end = bytes.size() - 22;
  while (zipField(bytes, end, 4) != 0x06054B50) {
    if (end == 0 || bytes.size() - end > 22 + 0xFFFF) {
      throw std::runtime_error("not a zip package: no end of central directory");
    }
    --end;
  }
  const std::uint32_t entries = zipField(bytes, end + 10, 2);
  std::size_t at = zipField(bytes, end + 16, 4);
  std::map<std::string, std::string> parts;
  for (std::uint32_t i = 0; i < entries; ++i) {
    if (zipField(bytes, at, 4) != 0x02014B50) {
      throw std::runtime_error("not a zip package: a broken central directory");
    }
    const std::uint32_t method = zipField(bytes, at + 10, 2);
    const std::uint32_t crc = zipField(bytes, at + 16, 4);
    const std::uint32_t packedSize = zipField(bytes, at + 20, 4);
    const std::uint32_t size = zipField(bytes, at + 24, 4);
    const std::uint32_t nameSize = zipField(bytes, at + 28, 2);
    const std::uint32_t extraSize = zipField(bytes, at + 30, 2);
    const std::uint32_t commentSize = zipField(bytes, at + 32, 2);
    const std::size_t local = zipField(bytes, at + 42, 4);
    const std::string name = bytes.substr(at + 46, nameSize);
    at += 46 + nameSize + extraSize + commentSize;
    if (zipField(bytes, local, 4) != 0x04034B50 || zipField(bytes, local + 14, 4) != crc ||
        zipField(bytes, local + 26, 2) != nameSize ||
        bytes.compare(local + 30, nameSize, name) != 0) {
      throw std::runtime_error("not a zip package: local header differs for " + name);
    }
    const std::size_t data = local + 30 + nameSize + zipField(bytes, local + 28, 2);
    if (data + packedSize > bytes.size()) {
      throw std::runtime_error("not a zip package: " + name + " runs past the end");
    }
    std::string content(size, '\0');
    if (method == 0) {
      content = bytes.substr(data, packedSize);
    } else if (method == 8) {
      z_stream stream{};
      inflateInit2(&stream, -15);
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + data));
      stream.avail_in = packedSize;
      stream.next_out = reinterpret_cast<Bytef*>(content.data());
      stream.avail_out = size;
      const int result = inflate(&stream, Z_FINISH);
      const bool whole = result == Z_STREAM_END && stream.total_out == size;
      inflateEnd(&stream);
      if (!whole) {
        throw std::runtime_error("part does not read back: " + name);
      }
    } else {
      throw std::runtime_error("unknown zip method for " + name);
    }
    const auto* start = reinterpret_cast<const Bytef*>(content.data());
    if (content.size() != size || crc32(0, start, static_cast<uInt>(content.size())) != crc) {
      throw std::runtime_error("part does not read back: " + name);
    }
    parts[name] = std::move(content);
  }
  return parts;
}

inline std::map<std::string, std::string> readPackage(const std::string& path) {
  std::ifstream in(platform::pathOf(path), std::ios::binary);
  if (!in) {
    throw std::runtime_error("not a zip package: " + path);
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return readPackageBytes(bytes);
}

#else

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
  zip_t* archive = zip_open(platform::pathOf(path).c_str(), ZIP_RDONLY, &error);
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

#endif

// The number of times `needle` occurs in `text`.
inline int occurrences(const std::string& text, const std::string& needle) {
  int count = 0;
  for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace vexa::testing
