#include "spreadsheet/package.h"

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "input/system_reason.h"
#include "platform/files.h"

namespace vexa::sheet {

namespace {

std::string saveMessage(std::string_view path, std::string_view reason) {
  std::string message = "Не удалось сохранить книгу \"";
  message.append(path);
  message.append("\": ");
  message.append(reason);
  message.append(".");
  return message;
}

[[noreturn]] void packageFailure(std::string_view reason) {
  throw std::runtime_error("Не удалось собрать файл книги: " + std::string(reason) + ".");
}

void put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// One part as it goes into the package.
struct PackedPart {
  std::string data;  // deflated, or the part's own bytes when stored
  std::size_t size = 0;
  bool deflated = false;
  std::uint32_t crc = 0;
};

struct CompressorDeleter {
  void operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
  }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

void pack(std::string content, libdeflate_compressor* compressor, PackedPart& packed) {
  packed.size = content.size();
  packed.crc = libdeflate_crc32(0, content.data(), content.size());
  if (!content.empty()) {
    packed.data.resize(libdeflate_deflate_compress_bound(compressor, content.size()));
    const std::size_t size = libdeflate_deflate_compress(compressor, content.data(), content.size(),
                                                         packed.data.data(), packed.data.size());
    if (size > 0 && size < content.size()) {
      packed.data.resize(size);
      packed.deflated = true;
      return;
    }
  }
  packed.data = std::move(content);  // stored: deflate would not make it smaller
}

// Builds and packs every part on up to `threads` threads: the parts that are
// built here first (the sheets and charts, the large ones), then the others,
// the largest first.
std::vector<PackedPart> packAll(const std::vector<PackagePart>& parts, int level,
                                unsigned threads) {
  std::vector<std::size_t> order(parts.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const bool builtA = static_cast<bool>(parts[a].build);
    const bool builtB = static_cast<bool>(parts[b].build);
    if (builtA != builtB) {
      return builtA;
    }
    return parts[a].content.size() > parts[b].content.size();
  });
  std::vector<PackedPart> packed(parts.size());
  std::atomic<std::size_t> next{0};
  std::mutex failureLock;
  std::exception_ptr failure;
  const auto work = [&] {
    try {
      Compressor compressor(libdeflate_alloc_compressor(level));
      if (!compressor) {
        throw std::bad_alloc();
      }
      for (std::size_t i = next++; i < order.size(); i = next++) {
        const PackagePart& part = parts[order[i]];
        pack(part.build ? part.build() : part.content, compressor.get(), packed[order[i]]);
      }
    } catch (...) {
      const std::lock_guard<std::mutex> lock(failureLock);
      if (!failure) {
        failure = std::current_exception();
      }
      next = order.size();  // the others stop too
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) {
    helpers.emplace_back(work);
  }
  work();
  for (std::thread& helper : helpers) {
    helper.join();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
  return packed;
}

}  // namespace

SaveError::SaveError(std::string_view path, std::string_view reason)
    : std::runtime_error(saveMessage(path, reason)) {}

std::string zipPackage(const std::vector<PackagePart>& parts, int level, int threadLimit) {
  if (level < 1 || level > 12) {
    packageFailure("недопустимая степень сжатия " + std::to_string(level));
  }
  if (parts.size() >= 0xFFFFu) {
    packageFailure("слишком много частей");
  }
  std::size_t built = 0;
  for (const PackagePart& part : parts) {
    built += part.build ? 1 : 0;
  }
  // A thread for each part that is built here, as far as the cores go.
  const unsigned cores = threadLimit > 0 ? static_cast<unsigned>(threadLimit)
                                         : std::max(std::thread::hardware_concurrency(), 1u);
  const unsigned threads = std::clamp(static_cast<unsigned>(built), 1u, cores);
  const std::vector<PackedPart> packed = packAll(parts, level, threads);

  // Entries dated 1980-01-01 00:00, the earliest a zip can hold, as the
  // spreadsheet writes them.
  constexpr std::uint32_t kDosTime = 0;
  constexpr std::uint32_t kDosDate = (1 << 5) | 1;
  std::size_t expected = 22;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    expected += packed[i].data.size() + 2 * parts[i].name.size() + 76;
  }
  std::string bytes;
  bytes.reserve(expected);
  std::string directory;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const PackagePart& part = parts[i];
    const PackedPart& p = packed[i];
    if (p.size >= 0xFFFFFFFFu || part.name.size() > 0xFFFFu) {
      packageFailure("часть " + part.name + " слишком велика");
    }
    if (bytes.size() >= 0xFFFFFFFFu - p.data.size() - part.name.size() - 30) {
      packageFailure("книга больше 4 ГБ");
    }
    const auto offset = static_cast<std::uint32_t>(bytes.size());
    const std::uint32_t method = p.deflated ? 8 : 0;
    const auto packedSize = static_cast<std::uint32_t>(p.data.size());
    const auto size = static_cast<std::uint32_t>(p.size);
    const auto nameSize = static_cast<std::uint32_t>(part.name.size());

    // The fields that the local header and the central directory share:
    // version needed (2.0, deflate), flags, method, time, date, CRC, sizes,
    // name length and extra field length.
    const auto shared = [&](std::string& out) {
      put16(out, 20);
      put16(out, 0);
      put16(out, method);
      put16(out, kDosTime);
      put16(out, kDosDate);
      put32(out, p.crc);
      put32(out, packedSize);
      put32(out, size);
      put16(out, nameSize);
      put16(out, 0);
    };
    put32(bytes, 0x04034B50);  // local file header
    shared(bytes);
    bytes += part.name;
    bytes += p.data;

    put32(directory, 0x02014B50);  // central directory header
    put16(directory, 20);          // made by: 2.0, MS-DOS
    shared(directory);
    put16(directory, 0);  // comment
    put16(directory, 0);  // disk
    put16(directory, 0);  // internal attributes
    put32(directory, 0);  // external attributes
    put32(directory, offset);
    directory += part.name;
  }
  if (bytes.size() + directory.size() >= 0xFFFFFFFFu) {
    packageFailure("книга больше 4 ГБ");
  }
  const auto directoryOffset = static_cast<std::uint32_t>(bytes.size());
  const auto directorySize = static_cast<std::uint32_t>(directory.size());
  bytes += directory;
  put32(bytes, 0x06054B50);  // end of central directory
  put16(bytes, 0);
  put16(bytes, 0);
  put16(bytes, static_cast<std::uint32_t>(parts.size()));
  put16(bytes, static_cast<std::uint32_t>(parts.size()));
  put32(bytes, directorySize);
  put32(bytes, directoryOffset);
  put16(bytes, 0);  // comment
  return bytes;
}

std::string writeReason(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "такой папки нет";
    case EACCES:
    case EPERM:
      return "нет прав на запись в эту папку";
    case EISDIR:
      return "под этим именем уже есть папка";
    case platform::kFileInUse:
      return "файл открыт в другой программе (возможно, в Excel); закройте его и повторите";
    case platform::kReadOnlyFile:
      return "файл доступен только для чтения";
    default:
      return systemReason(error);
  }
}

namespace {

namespace fs = std::filesystem;

// The file that a save to `path` writes: a symbolic link at the path is
// followed (its target is updated, the link stays); a loop of links fails.
fs::path savedFile(const std::string& path) {
  fs::path file;
  if (const int error = platform::followLinks(platform::pathOf(path), file)) {
    throw SaveError(path, writeReason(error));
  }
  return file;
}

// The file name of `file` as text.
std::string nameOf(const fs::path& file) {
  return platform::textOf(file.filename());
}

fs::path folderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool processIsGone(const std::string& digits) {
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  return platform::processHasEnded(static_cast<std::uint32_t>(std::stoul(digits)));
}

// "PID-N", alone or followed by what begins with `tail` (when not empty),
// where PID is a process that no longer runs.
bool leftByGoneProcess(std::string_view rest, std::string_view tail) {
  const auto dash = rest.find('-');
  if (dash == std::string_view::npos) {
    return false;
  }
  const std::size_t digits = rest.find_first_not_of("0123456789", dash + 1);
  const std::string_view after =
      digits == std::string_view::npos ? std::string_view() : rest.substr(digits);
  return digits != dash + 1 && (after.empty() || (!tail.empty() && after.starts_with(tail))) &&
         processIsGone(std::string(rest.substr(0, dash)));
}

// Removes the files of the folder of `file` named a prefix + "PID-N" (+ what
// begins with `tail`) that processes that no longer run left behind.
void removeLeftovers(const fs::path& file, const std::vector<std::string>& prefixes,
                     std::string_view tail) {
  std::error_code error;
  for (fs::directory_iterator it(folderOf(file), error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = nameOf(it->path());
    for (const std::string& prefix : prefixes) {
      if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
          leftByGoneProcess(std::string_view(name).substr(prefix.size()), tail)) {
        platform::removeFile(it->path());
        break;
      }
    }
  }
}

// Removes what saves of `file` by processes that no longer run left behind:
// the temporary files ".NAME.tmpPID-N" of a save that was killed.
void removeStaleTemporaries(const fs::path& file) {
  removeLeftovers(file, {"." + nameOf(file) + ".tmp"}, {});
}

bool isFolder(const fs::path& file) {
  std::error_code ignored;
  return fs::is_directory(file, ignored);
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes,
                         const std::function<void()>& midway, Durability durability) {
  const fs::path target = savedFile(path);
  if (isFolder(target)) {
    throw SaveError(path, writeReason(EISDIR));
  }
  if (const int refused = platform::checkReplaceable(target)) {
    throw SaveError(path, writeReason(refused));
  }
  removeStaleTemporaries(target);

  static std::atomic<unsigned> counter{0};
  fs::path temporary;
  platform::OutputFile out;
  int created = EEXIST;
  for (int attempt = 0; attempt < 100 && created == EEXIST; ++attempt) {
    temporary = folderOf(target) / platform::pathOf("." + nameOf(target) + ".tmp" +
                                                    std::to_string(platform::currentProcess()) +
                                                    "-" + std::to_string(counter++));
    created = out.create(temporary);
  }
  if (created != 0) {
    throw SaveError(path, writeReason(created));
  }
  out.keepPermissionsOf(target);

  int failure = 0;
  if (midway) {
    failure = out.write(bytes.substr(0, bytes.size() / 2));
    midway();
    bytes.remove_prefix(bytes.size() / 2);
  }
  if (failure == 0) {
    failure = out.write(bytes);
  }
  if (failure == 0 && durability == Durability::OnDisk) {
    failure = out.flushToDisk();
  }
  if (const int closed = out.close(); failure == 0) {
    failure = closed;
  }
  if (failure == 0) {
    failure = platform::replaceFile(temporary, target);
  }
  if (failure != 0) {
    platform::removeFile(temporary);
    throw SaveError(path, writeReason(failure));
  }
}

std::string stagingNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const fs::path target = savedFile(path);  // beside the file the move will replace
  return platform::textOf(folderOf(target) /
                          platform::pathOf("." + nameOf(target) + ".part" +
                                           std::to_string(platform::currentProcess()) + "-" +
                                           std::to_string(counter++) + ".xlsx"));
}

void removeStaleStaging(const std::string& path) {
  const fs::path target = savedFile(path);
  const std::string staging = "." + nameOf(target) + ".part";
  // The staging file ".NAME.partPID-N.xlsx" and a temporary file of its save,
  // "..NAME.partPID-N.xlsx.tmpPID-M".
  removeLeftovers(target, {staging, "." + staging}, ".xlsx");
}

void moveIntoPlace(const std::string& from, const std::string& path) {
  const fs::path target = savedFile(path);
  if (isFolder(target)) {
    throw SaveError(path, writeReason(EISDIR));
  }
  if (const int refused = platform::checkReplaceable(target)) {
    throw SaveError(path, writeReason(refused));
  }
  // On the disk before it takes the name: after a crash the name holds the
  // old file or the whole new one.
  const fs::path staged = platform::pathOf(from);
  if (const int error = platform::flushFileToDisk(staged, target)) {
    throw SaveError(path, writeReason(error));
  }
  if (const int error = platform::replaceFile(staged, target)) {
    throw SaveError(path, writeReason(error));
  }
}

}  // namespace vexa::sheet
