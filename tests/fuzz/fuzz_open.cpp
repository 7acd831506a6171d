// Export bytes → recognition, loading and Open's scan, read from a real file
// (its two passes) and from memory under names that carry the markers.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "input/loading.h"
#include "input/open_export.h"

using namespace vexa;

namespace {

void checkOpened(const Session& session) {
  if (session.List.empty()) {
    fuzz::fail("Open left no line");
  }
  for (const std::string& line : session.List) {
    if (!fuzz::validUtf8(line)) {
      fuzz::fail("a kept line is not UTF-8", line);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  testing::SilentWindow window;

  const int fd = ::memfd_create("export", MFD_CLOEXEC);
  if (fd >= 0) {
    std::size_t written = 0;
    while (written < size) {
      const ssize_t n = ::write(fd, data + written, size - written);
      if (n <= 0) {
        break;
      }
      written += static_cast<std::size_t>(n);
    }
    Session session;
    try {
      openExport("/proc/self/fd/" + std::to_string(fd), session, window);
      checkOpened(session);
    } catch (const std::exception&) {
    }
    ::close(fd);
  }

  for (const char* name : {"tag#1.csv", "hall_light.csv"}) {
    Session session;
    try {
      openLoadedExport(decodeExportLines(bytes, name), name, session, window);
      checkOpened(session);
    } catch (const std::exception&) {
    }
  }
  return 0;
}
