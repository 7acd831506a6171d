// Joining one tag's downloads into one export: their readings merged in
// time order, a time stamp that stands in more than one file kept once (the
// file named later wins), written as an export of their layout that Open
// and Start then take as they take any other.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace vexa {

struct JoinedExport {
  std::string path;                  // the joined export, in a folder of its own
  std::string layout;                // the layout's header line
  std::vector<std::string> joined;   // the files whose readings it holds
  std::vector<std::string> leftOut;  // "file: reason", one per file left out
  long long repeatedStamps = 0;      // stamps that stood in more than one file
  long long differingStamps = 0;     // of those, the ones whose values differed
};

// A join that cannot be made: files of different layouts, or none readable.
class JoinRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Joins the exports `files` (named in their order) into a file named
// `name` in `folder`. A file that cannot be read, or whose header is no
// export's, is left out and named in `leftOut`; a file of another layout
// than the first readable one refuses the join (JoinRefused names it).
// Memory: the lines go through files beside the joined one, and only each
// line's time and place are held.
JoinedExport joinExports(const std::vector<std::string>& files, const std::string& folder,
                         const std::string& name);

// The name of a joined export of `firstFile`: "<its stem>-объединение" and
// its extension, so that the report of the join is named after it.
std::string joinedExportName(const std::string& firstFile);

// A folder of its own under the system's temporary folder, removed with
// everything in it when the object goes.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace vexa
