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
// smaller. Parts are built and deflated on up to `threads` threads (0: as
// many as the machine has cores).
std::string zipPackage(const std::vector<PackagePart>& parts, int level, int threads = 0);

// Whether a save waits for its bytes to reach the disk before the file takes
// its name: a file that is only a stage on the way to another name need not.
enum class Durability { OnDisk, Staged };

// Writes `bytes` to `path` through a temporary file in the same folder and a
// rename, so that the path holds the old file or the new one, never a part
// of either (also after a crash, when on disk). A symbolic link at the path
// is followed, a replaced file keeps its permissions, and temporary files
// that killed saves to the same path left behind are removed. Raises
// SaveError; the temporary file of a failed save never stays behind.
// `midway` runs once half the bytes are written (for tests that kill the
// process there).
void writeFileAtomically(const std::string& path, std::string_view bytes,
                         const std::function<void()>& midway = {},
                         Durability durability = Durability::OnDisk);

// Moves the finished file `from` (in the same folder) onto `path` in one
// rename, once it is on the disk, following a symbolic link at `path` and
// keeping the permissions of the file it replaces. Raises SaveError.
void moveIntoPlace(const std::string& from, const std::string& path);

// The hidden name in the folder of `path` (of its link's target, for a
// symbolic link) under which a file for `path` is prepared before
// moveIntoPlace: ".NAME.partPID-N.xlsx".
std::string stagingNameFor(const std::string& path);

// Removes the staging files for `path`, and their temporary files, that
// processes that no longer run left behind.
void removeStaleStaging(const std::string& path);

// Why a file cannot be written there, in the user's words.
std::string writeReason(int error);

}  // namespace vexa::sheet
