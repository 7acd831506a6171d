// The operating-system calls on Windows: wide-character paths throughout,
// the system's error codes mapped onto errno values.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format off
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>

#include "platform/files.h"
#include "platform/windows_text.h"

namespace vexa::platform {

fs::path pathOf(std::string_view utf8) {
  return fs::path(wideOf(utf8));
}

std::string textOf(const fs::path& path) {
  return utf8Of(path.native());
}

int errnoOf(unsigned long code) {
  switch (code) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_UNIT:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
      return kFileInUse;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_CANT_RESOLVE_FILENAME:
      return ELOOP;
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
      return EIO;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
    default:
      return kWindowsError + static_cast<int>(code & 0xFFFF);
  }
}

namespace {

int lastError() {
  return errnoOf(::GetLastError());
}

HANDLE handleOf(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

constexpr std::intptr_t kNoHandle = -1;

std::int64_t ticksOf(const LARGE_INTEGER& value) {
  return value.QuadPart;
}

}  // namespace

InputFile::InputFile(const fs::path& path) {
  // Writers and removers are not kept out (a download may still be writing);
  // opening a named pipe does not wait for its server; a folder opens (with
  // backup semantics) to be told apart.
  HANDLE file = ::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = lastError();
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    kind_ = FileKind::Other;
  } else if (!::GetFileInformationByHandle(file, &info)) {
    error_ = lastError();
  } else {
    kind_ = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Folder
                                                                    : FileKind::Regular;
  }
}

InputFile::~InputFile() {
  if (handle_ != kNoHandle) {
    ::CloseHandle(handleOf(handle_));
  }
}

// Each ReadFile costs more than a read(2) does (a hundred microseconds under
// Wine): a megabyte at a time reads an export in a quarter of the calls.
std::size_t InputFile::readSize() {
  return std::size_t{1} << 20;
}

std::int64_t InputFile::readAt(char* buffer, std::size_t capacity, std::uint64_t offset,
                               int& error) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  const auto wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
  if (!::ReadFile(handleOf(handle_), buffer, wanted, &read, &at)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) {
      return 0;
    }
    error = lastError();
    return -1;
  }
  return read;
}

bool InputFile::state(FileState& out, int& error) const {
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandle(handleOf(handle_), &info) ||
      !::GetFileInformationByHandleEx(handleOf(handle_), FileBasicInfo, &basic, sizeof basic)) {
    error = lastError();
    return false;
  }
  out.device = info.dwVolumeSerialNumber;
  out.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  out.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  out.modified = ticksOf(basic.LastWriteTime);
  out.changed = ticksOf(basic.ChangeTime);
  return true;
}

OutputFile::~OutputFile() {
  close();
}

int OutputFile::create(const fs::path& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return lastError();
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return 0;
}

int OutputFile::write(std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    DWORD n = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
    if (!::WriteFile(handleOf(handle_), bytes.data() + written, chunk, &n, nullptr)) {
      return lastError();
    }
    written += n;
  }
  return 0;
}

int OutputFile::flushToDisk() {
  return ::FlushFileBuffers(handleOf(handle_)) ? 0 : lastError();
}

namespace {

// The attributes a replaced file keeps (hidden, not indexed...); a file
// marked read-only is never replaced (checkReplaceable).
void copyAttributes(HANDLE file, const fs::path& existing) {
  const DWORD attributes = ::GetFileAttributesW(existing.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return;
  }
  FILE_BASIC_INFO basic{};
  if (::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
    basic.FileAttributes =
        (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) | FILE_ATTRIBUTE_ARCHIVE;
    ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
  }
}

}  // namespace

void OutputFile::keepPermissionsOf(const fs::path& existing) {
  copyAttributes(handleOf(handle_), existing);
}

int OutputFile::close() {
  if (handle_ == kNoHandle) {
    return 0;
  }
  const int result = ::CloseHandle(handleOf(handle_)) ? 0 : lastError();
  handle_ = kNoHandle;
  return result;
}

int checkReplaceable(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return kReadOnlyFile;
  }
  return 0;
}

int flushFileToDisk(const fs::path& path, const fs::path& like) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return lastError();
  }
  copyAttributes(file, like);
  const int result = ::FlushFileBuffers(file) ? 0 : lastError();
  ::CloseHandle(file);
  return result;
}

int replaceFile(const fs::path& from, const fs::path& to) {
  if (const int refused = checkReplaceable(to)) {
    return refused;
  }
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  const DWORD code = ::GetLastError();
  if (code == ERROR_ACCESS_DENIED) {
    // The system says "access denied" also for a file that another program
    // holds open (a workbook open in Excel): tell the two apart.
    HANDLE probe =
        ::CreateFileW(to.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
      return ::GetLastError() == ERROR_SHARING_VIOLATION ? kFileInUse : EACCES;
    }
    ::CloseHandle(probe);
  }
  return errnoOf(code);
}

void removeFile(const fs::path& path) {
  ::DeleteFileW(path.c_str());
}

std::vector<std::string> programArguments(int, char*[]) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    arguments.push_back(utf8Of(wide[i]));
  }
  ::LocalFree(wide);
  return arguments;
}

namespace {

// A stream's bytes to a console, as UTF-16: whole UTF-8 sequences are
// written, a sequence cut by the buffer waits for its end.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + kSize); }

 protected:
  int_type overflow(int_type c) override {
    write();
    if (c != traits_type::eof()) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    write();
    return 0;
  }

 private:
  void write() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    const std::size_t whole = completeUtf8Length(std::string_view(pbase(), size));
    const std::wstring text = wideOf(std::string_view(pbase(), whole));
    DWORD written = 0;
    ::WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    std::memmove(buffer_, pbase() + whole, size - whole);
    setp(buffer_, buffer_ + kSize);
    pbump(static_cast<int>(size - whole));
  }
  static constexpr std::size_t kSize = 4096;
  HANDLE console_;
  char buffer_[kSize];
};

}  // namespace

void useUtf8Console() {
  ::SetConsoleOutputCP(CP_UTF8);
  const struct {
    DWORD handle;
    std::ostream& stream;
  } streams[] = {{STD_OUTPUT_HANDLE, std::cout}, {STD_ERROR_HANDLE, std::cerr}};
  for (std::size_t i = 0; i < 2; ++i) {
    HANDLE handle = ::GetStdHandle(streams[i].handle);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode)) {
      // Never destroyed: the streams are flushed into it at the program's very end.
      streams[i].stream.rdbuf(new ConsoleBuffer(handle));
    }
  }
}

std::uint32_t currentProcess() {
  return ::GetCurrentProcessId();
}

bool processHasEnded(std::uint32_t process) {
  if (process == 0 || process == currentProcess()) {
    return false;
  }
  HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  if (handle == nullptr) {
    return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  }
  DWORD exitCode = 0;
  const bool ended = ::GetExitCodeProcess(handle, &exitCode) && exitCode != STILL_ACTIVE;
  ::CloseHandle(handle);
  return ended;
}

std::string userName() {
  wchar_t name[256];
  DWORD size = 256;
  if (::GetUserNameW(name, &size) && size > 1) {
    return utf8Of(std::wstring_view(name, size - 1));
  }
  return {};
}

std::string programFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) {
      return ".";
    }
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);
  }
  return textOf(fs::path(name).parent_path());
}

std::string pathForCLibrary(std::string_view path) {
  const std::wstring wide = wideOf(path);
  // As the code page has it, when every character is there.
  BOOL lost = FALSE;
  const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0,
                                         nullptr, &lost);
  std::wstring shortForm = wide;
  if (lost || size <= 0) {
    std::wstring buffer(32768, L'\0');
    const DWORD length =
        ::GetShortPathNameW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size()) {
      buffer.resize(length);
      shortForm = buffer;
    }
  }
  const int bytes =
      ::WideCharToMultiByte(CP_ACP, 0, shortForm.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(std::max(bytes, 1)), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, shortForm.c_str(), -1, narrow.data(), bytes, nullptr, nullptr);
  narrow.resize(std::strlen(narrow.c_str()));
  return narrow;
}

std::string openWithDesktop(std::string_view path) {
  const std::wstring file = wideOf(path);
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result > 32) {
    return {};
  }
  if (result == SE_ERR_NOASSOC || result == SE_ERR_ASSOCINCOMPLETE) {
    return noApplicationFor(path);
  }
  return "Windows не открывает файл (код " + std::to_string(result) + ")";
}

}  // namespace vexa::platform
