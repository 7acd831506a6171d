// The state that Open leaves for Start, and that Start leaves for the report:
// the loaded lines, the format code, the time span and the report input.
// Values persist from one action to the next exactly as the window's globals
// do: an action overwrites only what it sets.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "input/loading.h"
#include "input/readings.h"
#include "input/text_table.h"

namespace vexa {

// Starting values of the value-axis bounds of a paired-column run; they stay
// when no value lies in the window (and always for the state layout).
inline constexpr double kValueMinStart = 1.029384756e15;
inline constexpr double kValueMaxStart = -1.029384756e15;

// A joined export: how many downloads it joins, the time stamps that stood
// in more than one of them, and of those the ones whose values differed.
struct JoinFacts {
  int files = 0;  // 0: one export, not a join
  long long repeatedStamps = 0;
  long long differingStamps = 0;
};

struct Session {
  // Set by Open.
  std::vector<std::string> List;  // the export's lines after thinning, header first
  int thinning = 1;               // every thinning-th line of the export is in List
  int count = 0;                  // format code
  std::string ref = "all";        // "#" for a two-probe export
  int datc = 0;                   // pair count of a paired-column export (also Start)
  double OsMin1 = 0.0;            // first time stamp, then start of the time axis
  double OsMax1 = 0.0;            // last time stamp, then end of the time axis
  // Every reading of the export, however it was thinned (none: the lines
  // of List are the whole export), the snapshot they were read from and its
  // SHA-256.
  std::shared_ptr<const ExportReadings> readings;
  ExportSnapshot snapshot;
  std::string sha256;
  JoinFacts joined;  // set by the join, before Open

  // Set by Start: the report input.
  TextTable Arr;         // the table to write, row 1 the headings
  TextTable Arr2;        // staging array of the paired-column extraction
  int countsttr = 0;     // rows of Arr in use (climate family), heading row included
  int coung = 0;         // columns of Arr in use (paired columns)
  int countstt = 0;      // one more than the rows of Arr in use (paired columns)
  int countm = 0;        // empty time fields met (paired columns)
  double OsMin21 = 0.0;  // smallest value in the window (paired numeric)
  double OsMax21 = 0.0;  // largest value in the window (paired numeric)
};

}  // namespace vexa
