// The workbook file: its parts zipped into one package, written so that a
// failed or interrupted save never leaves a half-written file behind.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::sheet {

struct PackagePart {
  std::string name;     // path inside the package, "xl/workbook.xml"
  std::string content;  // the part's bytes
};

// A save that failed; the text names the file and the reason.
class SaveError : public std::runtime_error {
 public:
  SaveError(std::string_view path, std::string_view reason);
};

// The parts as a zip package (deflated at `level`, 1 fastest to 9 smallest).
std::string zipPackage(const std::vector<PackagePart>& parts, int level);

// Writes `bytes` to `path` through a temporary file in the same folder and a
// rename. Raises SaveError; the temporary file never stays behind.
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace vexa::sheet
