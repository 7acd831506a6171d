// Path texts, the same code on every system: the platform's own conversions
// (pathOf, textOf) and delimiters make the difference.
#include "platform/files.h"

namespace vexa::platform {

std::string_view fileNameOf(std::string_view path) {
  const auto delimiter = path.find_last_of(kPathDelimiters);
  return delimiter == std::string_view::npos ? path : path.substr(delimiter + 1);
}

std::string absoluteText(std::string_view path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(pathOf(path), error);
  return error ? std::string(path) : textOf(absolute);
}

bool exists(std::string_view path) {
  std::error_code ignored;
  return fs::symlink_status(pathOf(path), ignored).type() != fs::file_type::not_found;
}

bool isFolder(std::string_view path) {
  std::error_code ignored;
  return fs::is_directory(pathOf(path), ignored);
}

}  // namespace vexa::platform
