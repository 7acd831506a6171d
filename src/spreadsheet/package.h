// The workbook file: its parts zipped into one package, written so that a
// failed or interrupted save never leaves a half-written file behind.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::sheet {

struct PackagePart {
  std::string name;     // path inside the package, "xl/workbook.xml"
  std::string content;  // the part's bytes
  // Builds the bytes instead, while the package is assembled: the large
  // parts (sheets, charts) are built and deflated side by side on the
  // machine's cores. It may only read what it was given.
  std::function<std::string()> build = {};
};

// A save that failed; the text names the file and the reason.
class SaveError : public std::runtime_error {
 public:
  SaveError(std::string_view path, std::string_view reason);
};

// The parts as a zip package, in their order: each deflated at `level`
// (1 fastest to 12 smallest), or stored where deflate would not make it
// smaller.
std::string zipPackage(const std::vector<PackagePart>& parts, int level);

// Writes `bytes` to `path` through a temporary file in the same folder and a
// rename. Raises SaveError; the temporary file never stays behind.
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace vexa::sheet
