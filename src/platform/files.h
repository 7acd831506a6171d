// The few operating-system calls the program makes, behind one interface with
// a POSIX and a Win32 implementation: reading one consistent snapshot of an
// export without ever waiting for a writer, writing a workbook under a
// temporary name and moving it onto its name in one step, the processes that
// left files behind, the user's name and the desktop's opener.
//
// Paths are std::filesystem::path; texts (what the user typed or is shown)
// are UTF-8 and become paths through pathOf(). Failures are reported as
// errno values (ENOENT, EACCES, ...): the Win32 implementation maps the
// system's codes onto them, so that one set of messages serves both.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::platform {

namespace fs = std::filesystem;

// A UTF-8 text as a path, and back (never the ANSI code page on Windows).
fs::path pathOf(std::string_view utf8);
std::string textOf(const fs::path& path);

// The characters after which a path text names a file in a folder: "/" on
// POSIX systems; "\", "/" and a drive's ":" on Windows.
#ifdef _WIN32
inline constexpr std::string_view kPathDelimiters = "\\/:";
#else
inline constexpr std::string_view kPathDelimiters = "/";
#endif

// The file-name part of a path text: after its last delimiter.
std::string_view fileNameOf(std::string_view path);

// The path text made absolute against the current folder (unchanged when
// that cannot be done).
std::string absoluteText(std::string_view path);

// Whether anything (a file, a folder, a link, even a broken one) has that
// name; whether a folder has it.
bool exists(std::string_view path);
bool isFolder(std::string_view path);

// Errors beyond errno's: a file that another program holds open (as Excel
// holds an open workbook), a file marked read-only, and a system code of
// Windows that has no errno value (kWindowsError + the code).
inline constexpr int kFileInUse = 0x7F01;
inline constexpr int kReadOnlyFile = 0x7F02;
inline constexpr int kWindowsError = 0x10000;

// ---- reading ----

// What tells that a file stayed the same between two looks at it.
struct FileState {
  std::uint64_t device = 0;
  std::uint64_t file = 0;  // inode, or the file index
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's own units
  std::int64_t changed = 0;
  bool operator==(const FileState&) const = default;
};

enum class FileKind { Regular, Folder, Other };

// A file opened for reading. Opening never waits for a writer (a pipe or a
// device is opened and then refused by its kind), and writers are not kept
// out: an export that is still being written is seen changing instead.
class InputFile {
 public:
  // Opens `path`; error() tells why it could not be.
  explicit InputFile(const fs::path& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  int error() const { return error_; }
  FileKind kind() const { return kind_; }

  // The bytes one read should ask for: enough that the cost of each call to
  // the system stays small beside the bytes it brings.
  static std::size_t readSize();

  // Reads up to `capacity` bytes from `offset`: the count (0 at the end), or
  // -1 with `error` set.
  std::int64_t readAt(char* buffer, std::size_t capacity, std::uint64_t offset, int& error);

  // The file's state now; false with `error` set when it cannot be had.
  bool state(FileState& out, int& error) const;

 private:
  std::intptr_t handle_ = -1;
  int error_ = 0;
  FileKind kind_ = FileKind::Other;
};

// ---- writing ----

// The file that a write to `path` changes: a symbolic link at the path is
// followed (its target is written, the link stays). 0, or ELOOP for a loop.
int followLinks(const fs::path& path, fs::path& file);

// A new file, opened for writing; the name must not exist yet (EEXIST).
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // closes it, without removing it
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  int create(const fs::path& path);
  // Writes all of `bytes`; 0 or the error.
  int write(std::string_view bytes);
  // Waits until the bytes are on the disk.
  int flushToDisk();
  // Gives the file the permissions (POSIX) or attributes (Windows) of
  // `existing`, when that is a file.
  void keepPermissionsOf(const fs::path& existing);
  int close();

 private:
  std::intptr_t handle_ = -1;
};

// Whether a file `path` may be replaced by a save: 0, or why not (a file
// marked read-only on Windows, where the system refuses to replace it).
int checkReplaceable(const fs::path& path);

// Waits until the bytes of the closed file `path` are on the disk, keeping
// the permissions of `like` (when it is a file).
int flushFileToDisk(const fs::path& path, const fs::path& like);

// Moves `from` onto `to` in one step, replacing a file there: afterwards
// `to` is the old file or the new one, never a part of either.
int replaceFile(const fs::path& from, const fs::path& to);

// Removes a file; errors are of no interest to the callers.
void removeFile(const fs::path& path);

// ---- processes, the user, the desktop ----

// The program's arguments, its name left out, as UTF-8 texts (on Windows
// from the wide command line, whatever the code page).
std::vector<std::string> programArguments(int argc, char* argv[]);

// Standard output and standard error carry UTF-8 when they go to a file or
// a pipe; a Windows console is written in UTF-16 (WriteConsoleW), which
// shows the Russian messages and Cyrillic paths whatever its code page.
void useUtf8Console();

// The length of the longest start of `bytes` that ends on a whole UTF-8
// sequence: what can be written now, the rest waiting for its next bytes.
std::size_t completeUtf8Length(std::string_view bytes);

// This process's id, and whether the process with that id has ended (files
// it left behind may then go).
std::uint32_t currentProcess();
bool processHasEnded(std::uint32_t process);

// The folder of the running program, as a path text.
std::string programFolder();

// A path text that the C library's fopen() opens (libraries that take file
// names in the system's code page): on Windows the path's short form where
// it has characters beyond that code page; elsewhere the path itself.
std::string pathForCLibrary(std::string_view path);

// The user's full name, or the login name; empty when the system knows
// neither.
std::string userName();

// Opens `path` (a file, UTF-8) in the desktop's default application without
// waiting for it: empty, or why it could not be started. A file of a type
// no application on the computer opens is not handed to the opener (on
// Linux it would fall back to a web browser, or say so on standard error
// only): the reason is noApplicationFor(path).
std::string openWithDesktop(std::string_view path);
std::string noApplicationFor(std::string_view path);  // "…приложение для файлов .xlsx"

}  // namespace vexa::platform
