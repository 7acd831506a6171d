// Saves killed half-way, for tests of what they leave behind: a helper
// program (kill_helper) does the save and ends itself at once in the middle
// of it, as a kill or a power cut would; the test runs it and waits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexa::testing {

struct HelperRun {
  std::uint32_t process = 0;  // its process id
  bool killed = false;        // it ended itself in the middle of the save
};

// Runs kill_helper (beside the test program) with `arguments`, and waits.
//   file PATH SIZE           writes SIZE bytes to PATH, killed half-way
//   report OUTPUT EXPORT     the batch program's report of EXPORT to OUTPUT
//                            (battery series), killed half-way through its
//                            final save
HelperRun runKillHelper(const std::vector<std::string>& arguments);

}  // namespace vexa::testing
