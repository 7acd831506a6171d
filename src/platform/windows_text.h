// Windows only: UTF-8 texts and the system's UTF-16 strings, and the system's
// error codes as the errno values of platform/files.h.
#pragma once

#include <string>
#include <string_view>

namespace vexa::platform {

std::wstring wideOf(std::string_view utf8);
std::string utf8Of(std::wstring_view wide);

// ERROR_FILE_NOT_FOUND gives ENOENT, ERROR_SHARING_VIOLATION kFileInUse, ...
int errnoOf(unsigned long code);

}  // namespace vexa::platform
