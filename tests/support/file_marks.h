// A mark on a file that a replaced file must keep: its permissions on POSIX
// systems, its attributes on Windows.
#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "platform/files.h"

namespace vexa::testing {

// A mark that a file replaced by a save keeps: permissions 0600 on POSIX
// systems, the hidden attribute on Windows.
inline void markFile(const std::string& path) {
#ifdef _WIN32
  ::SetFileAttributesW(platform::pathOf(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
  ::chmod(path.c_str(), 0600);
#endif
}

inline bool fileIsMarked(const std::string& path) {
#ifdef _WIN32
  const DWORD attributes = ::GetFileAttributesW(platform::pathOf(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
#else
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0777) == 0600;
#endif
}

}  // namespace vexa::testing
