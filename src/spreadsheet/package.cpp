#include "spreadsheet/package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

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

std::string reasonOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "такой папки нет";
    case EACCES:
    case EPERM:
      return "нет прав на запись в эту папку";
    case EROFS:
      return "диск доступен только для чтения";
    case ENOSPC:
    case EDQUOT:
      return "на диске не хватает места";
    case EISDIR:
      return "под этим именем уже есть папка";
    case ENAMETOOLONG:
      return "слишком длинное имя файла";
    default:
      return std::strerror(error);
  }
}

struct ZipSourceDeleter {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

[[noreturn]] void zipFailure(zip_error_t* error) {
  const std::string text = zip_error_strerror(error);
  zip_error_fini(error);
  throw std::runtime_error("Не удалось собрать файл книги: " + text + ".");
}

}  // namespace

SaveError::SaveError(std::string_view path, std::string_view reason)
    : std::runtime_error(saveMessage(path, reason)) {}

std::string zipPackage(const std::vector<PackagePart>& parts, int level) {
  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, ZipSourceDeleter> buffer(
      zip_source_buffer_create(nullptr, 0, 0, &error));
  if (!buffer) {
    zipFailure(&error);
  }
  zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
  if (archive == nullptr) {
    zipFailure(&error);
  }
  zip_source_keep(buffer.get());  // the bytes are read back after the archive closes
  for (const PackagePart& part : parts) {
    zip_source_t* data = zip_source_buffer(archive, part.content.data(), part.content.size(), 0);
    const zip_int64_t index =
        data == nullptr ? -1 : zip_file_add(archive, part.name.c_str(), data, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      if (data != nullptr) {
        zip_source_free(data);
      }
      zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)), 0);
      zip_discard(archive);
      zipFailure(&error);
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                             static_cast<zip_uint32_t>(level));
  }
  if (zip_close(archive) != 0) {
    zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)), 0);
    zip_discard(archive);
    zipFailure(&error);
  }

  zip_source_t* source = buffer.get();
  std::string bytes;
  if (zip_source_open(source) == 0) {
    zip_source_seek(source, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(source);
    zip_source_seek(source, 0, SEEK_SET);
    bytes.resize(static_cast<std::size_t>(std::max<zip_int64_t>(size, 0)));
    const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    if (read != size) {
      bytes.clear();
    }
  }
  if (bytes.empty()) {
    throw std::runtime_error("Не удалось собрать файл книги.");
  }
  return bytes;
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code ignored;
  if (fs::is_directory(target, ignored)) {
    throw SaveError(path, reasonOf(EISDIR));
  }

  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = (folder / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) +
                           "-" + std::to_string(counter++)))
                    .string();
    // 0666 less the umask, as any new file gets.
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      throw SaveError(path, reasonOf(errno));
    }
  }
  if (fd < 0) {
    throw SaveError(path, reasonOf(EEXIST));
  }

  int failure = 0;
  std::size_t written = 0;
  while (written < bytes.size() && failure == 0) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      failure = errno;
    }
  }
  if (failure == 0 && ::fsync(fd) != 0) {
    failure = errno;
  }
  if (::close(fd) != 0 && failure == 0) {
    failure = errno;
  }
  if (failure == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
    failure = errno;
  }
  if (failure != 0) {
    ::unlink(temporary.c_str());
    throw SaveError(path, reasonOf(failure));
  }
}

}  // namespace vexa::sheet
