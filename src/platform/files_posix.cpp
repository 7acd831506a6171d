// The operating-system calls on Linux and other POSIX systems.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files.h"

extern "C" char** environ;

namespace vexa::platform {

fs::path pathOf(std::string_view utf8) {
  return fs::path(std::string(utf8));
}

std::string textOf(const fs::path& path) {
  return path.string();
}

InputFile::InputFile(const fs::path& path) {
  // Opening a pipe or a device for reading may wait for a writer: this open
  // does not wait, and what is not a regular file is refused by its kind.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  handle_ = fd;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error_ = errno;
    return;
  }
  kind_ = S_ISREG(info.st_mode)   ? FileKind::Regular
          : S_ISDIR(info.st_mode) ? FileKind::Folder
                                  : FileKind::Other;
#ifdef POSIX_FADV_SEQUENTIAL
  if (kind_ == FileKind::Regular) {
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
#endif
}

InputFile::~InputFile() {
  if (handle_ >= 0) {
    ::close(static_cast<int>(handle_));
  }
}

// A read(2) costs little; a quarter of a megabyte stays in the cache while
// the lines are split.
std::size_t InputFile::readSize() {
  return std::size_t{256} << 10;
}

std::int64_t InputFile::readAt(char* buffer, std::size_t capacity, std::uint64_t offset,
                               int& error) {
  for (;;) {
    const ssize_t n =
        ::pread(static_cast<int>(handle_), buffer, capacity, static_cast<off_t>(offset));
    if (n >= 0) {
      return n;
    }
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

bool InputFile::state(FileState& out, int& error) const {
  struct stat info {};
  if (::fstat(static_cast<int>(handle_), &info) != 0) {
    error = errno;
    return false;
  }
  const auto nanoseconds = [](const timespec& at) {
    return static_cast<std::int64_t>(at.tv_sec) * 1000000000 + at.tv_nsec;
  };
  out.device = static_cast<std::uint64_t>(info.st_dev);
  out.file = static_cast<std::uint64_t>(info.st_ino);
  out.size = static_cast<std::uint64_t>(info.st_size);
  out.modified = nanoseconds(info.st_mtim);
  out.changed = nanoseconds(info.st_ctim);
  return true;
}

OutputFile::~OutputFile() {
  close();
}

int OutputFile::create(const fs::path& path) {
  // 0666 less the umask, as any new file gets; a replaced file's own
  // permissions come with keepPermissionsOf.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    return errno;
  }
  handle_ = fd;
  return 0;
}

int OutputFile::write(std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n =
        ::write(static_cast<int>(handle_), bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

int OutputFile::flushToDisk() {
  return ::fsync(static_cast<int>(handle_)) == 0 ? 0 : errno;
}

namespace {
void copyPermissions(int fd, const fs::path& existing) {
  struct stat info {};
  if (::stat(existing.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    ::fchmod(fd, info.st_mode & 07777);
  }
}
}  // namespace

void OutputFile::keepPermissionsOf(const fs::path& existing) {
  copyPermissions(static_cast<int>(handle_), existing);
}

int OutputFile::close() {
  if (handle_ < 0) {
    return 0;
  }
  const int result = ::close(static_cast<int>(handle_)) == 0 ? 0 : errno;
  handle_ = -1;
  return result;
}

int checkReplaceable(const fs::path&) {
  // A rename replaces a file whatever its own permissions; the folder's
  // decide, and the rename reports them.
  return 0;
}

int flushFileToDisk(const fs::path& path, const fs::path& like) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return errno;
  }
  copyPermissions(fd, like);
  const int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return result;
}

int replaceFile(const fs::path& from, const fs::path& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void removeFile(const fs::path& path) {
  ::unlink(path.c_str());
}

std::vector<std::string> programArguments(int argc, char* argv[]) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void useUtf8Console() {}

std::uint32_t currentProcess() {
  return static_cast<std::uint32_t>(::getpid());
}

bool processHasEnded(std::uint32_t process) {
  const auto pid = static_cast<pid_t>(process);
  return pid > 0 && process != currentProcess() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

std::string userName() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    const std::string gecos = found->pw_gecos ? found->pw_gecos : "";
    const std::string fullName = gecos.substr(0, gecos.find(','));
    if (!fullName.empty()) {
      return fullName;
    }
    if (found->pw_name && *found->pw_name) {
      return found->pw_name;
    }
  }
  return {};
}

std::string programFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

std::string pathForCLibrary(std::string_view path) {
  return std::string(path);
}

namespace {

// The desktop's type of the files the programs write, by their extension.
const char* mimeTypeOf(std::string_view path) {
  const auto endsWith = [&](std::string_view tail) {
    return path.size() >= tail.size() &&
           std::equal(
               tail.begin(), tail.end(), path.end() - static_cast<std::ptrdiff_t>(tail.size()),
               [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
  };
  if (endsWith(".xlsx")) {
    return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
  }
  if (endsWith(".pdf")) {
    return "application/pdf";
  }
  return nullptr;
}

// Whether the desktop has a default application for `mimeType`, as
// xdg-mime answers; true when xdg-mime cannot say (the opener decides then).
bool desktopOpens(const char* mimeType) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    return true;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-mime";
  std::string query = "query";
  std::string which = "default";
  std::string type = mimeType;
  char* argv[] = {program.data(), query.data(), which.data(), type.data(), nullptr};
  pid_t child = 0;
  const int error = posix_spawnp(&child, "xdg-mime", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  std::string answer;
  if (error == 0) {
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
      answer.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
  }
  ::close(out[0]);
  int status = 0;
  if (error != 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return true;
  }
  return answer.find_first_not_of(" \t\r\n") != std::string::npos;
}

}  // namespace

std::string openWithDesktop(std::string_view path) {
  if (const char* type = mimeTypeOf(path); type != nullptr && !desktopOpens(type)) {
    return noApplicationFor(path);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  std::string argument(path);
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  const int error = posix_spawnp(&child, "xdg-open", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    return std::string("не запускается xdg-open (") + std::strerror(error) + ")";
  }
  return {};
}

}  // namespace vexa::platform
