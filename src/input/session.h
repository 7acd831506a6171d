// What one Open leaves behind for Start and the report: the loaded lines, the
// format code and the time span. Values persist from one action to the next
// exactly as the window's globals do: an action only overwrites what it sets.
#pragma once

#include <string>
#include <vector>

namespace vexa {

struct Session {
  std::vector<std::string> List;  // the export's lines after thinning, header first
  int count = 0;                  // format code
  std::string ref = "all";        // "#" for a two-probe export
  int datc = 0;                   // pair count of a paired-column export
  double OsMin1 = 0.0;            // first time stamp / start of the time axis
  double OsMax1 = 0.0;            // last time stamp / end of the time axis
};

}  // namespace vexa
