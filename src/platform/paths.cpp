// Path texts and the links a path leads through, the same code on every
// system: the platform's own conversions (pathOf, textOf) and delimiters make
// the difference.
#include "platform/files.h"

#include <cctype>
#include <cerrno>
#include <system_error>

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

// A link is read with the standard library on every system; its reason for
// failing is told as an errno value, EACCES when it has none.
int followLinks(const fs::path& path, fs::path& file) {
  file = path;
  for (int hops = 0;; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(file, error)) {
      return 0;
    }
    if (hops == 40) {
      return ELOOP;
    }
    const fs::path target = fs::read_symlink(file, error);
    if (error) {
      const std::error_condition reason = error.default_error_condition();
      return reason.category() == std::generic_category() ? reason.value() : EACCES;
    }
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
}

std::size_t completeUtf8Length(std::string_view bytes) {
  // Back over the continuation bytes at the end to the sequence's lead.
  std::size_t lead = bytes.size();
  int back = 0;
  while (lead > 0 && back < 4 && (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80) {
    --lead;
    ++back;
  }
  if (lead == 0) {
    return back == 0 ? 0 : bytes.size();  // continuations alone: nothing to wait for
  }
  const auto first = static_cast<unsigned char>(bytes[lead - 1]);
  const int length = first < 0x80    ? 1
                     : first >= 0xF0 ? 4
                     : first >= 0xE0 ? 3
                     : first >= 0xC0 ? 2
                                     : 1;
  return length > back + 1 ? lead - 1 : bytes.size();
}

std::string noApplicationFor(std::string_view path) {
  const std::string_view name = fileNameOf(path);
  const auto dot = name.rfind('.');
  std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
  for (char& c : extension) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return "на компьютере не найдено приложение для файлов " + extension;
}

}  // namespace vexa::platform
