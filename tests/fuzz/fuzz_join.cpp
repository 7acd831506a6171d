// Export bytes → two downloads of one tag (the input cut in two, the first
// line heading both) → the join, its checks, and Open of the joined export.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "input/join.h"
#include "input/open_export.h"
#include "platform/files.h"

using namespace vexa;

namespace {

std::string write(const std::string& folder, const std::string& name, std::string_view bytes) {
  const std::string path = folder + "/" + name;
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.empty()) {
    return 0;
  }
  // The first byte says where the second download begins.
  const std::size_t cut = input.size() * static_cast<unsigned char>(input[0]) / 256;
  input.remove_prefix(1);
  const std::string_view first = input.substr(0, std::min(cut, input.size()));
  const std::string_view header = first.substr(0, first.find('\n') + 1);
  const std::string second = std::string(header) + std::string(input.substr(first.size()));

  TemporaryFolder folder;
  const std::string a = write(folder.path(), "tag.csv", first);
  const std::string b = write(folder.path(), "tag-2.csv", second);
  JoinedExport joined;
  try {
    joined = joinExports({a, b}, folder.path(), "tag-объединение.csv");
  } catch (const std::exception&) {
    return 0;
  }
  if (joined.differingStamps > joined.repeatedStamps) {
    fuzz::fail("more stamps differ than were repeated");
  }
  if (joined.joined.size() + joined.leftOut.size() != 2) {
    fuzz::fail("a download neither joined nor left out");
  }
  std::ifstream in(joined.path, std::ios::binary);
  std::size_t lines = 0;
  for (std::string line; std::getline(in, line); ++lines) {
    if (!fuzz::validUtf8(line)) {
      fuzz::fail("a joined line is not UTF-8", line);
    }
  }
  if (lines == 0) {
    fuzz::fail("the joined export has no header");
  }
  testing::SilentWindow window;
  Session session;
  try {
    openExport(joined.path, session, window);
  } catch (const std::exception&) {
  }
  return 0;
}
