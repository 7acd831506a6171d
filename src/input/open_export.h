// Open: read an export, recognise its layout, thin it, and find its time span.
#pragma once

#include <string>

#include "input/loading.h"
#include "input/session.h"

namespace vexa {

// What the window needs to reshape itself for the recognised layout.
struct ExportLayout {
  int count = 0;             // 3, 5, 6, 9, 100 or 101
  bool twoProbe = false;     // codes 3 and 9 with "#" in the file's stem
  bool lightOption = false;  // codes 100 and 101 with "light" in the file's stem
};

// The user-visible effects of Open that happen before it ends.
class OpenObserver {
 public:
  virtual ~OpenObserver() = default;
  // The thinning warning, with its factor (shown before the layout check).
  virtual void thinningWarning(const std::string& text) = 0;
  // The layout is known; called before the time span is scanned.
  virtual void layoutRecognised(const ExportLayout& layout) = 0;
};

// Reads the export at `fileName` into `session` and scans it. Sets `List`,
// `count`, `ref` ("#" for two-probe exports; the caller resets it to "all"),
// `datc` (paired columns only) and `OsMin1`/`OsMax1` (not for code 5, nor for
// a paired-column file without any sample).
//
// Raises StopWithMessage for an unrecognised header, FileReadError when the
// file cannot be read or has nothing to scan, DateTimeConversionError when a
// time stamp does not convert.
ExportLayout openExport(const std::string& fileName, Session& session, OpenObserver& observer);

// The same for lines already loaded from `fileName` (whose name still counts:
// "#" and "light" markers, messages), with every reading of the export when
// they were collected as it was read (none: the lines loaded are all).
ExportLayout openLoadedExport(LoadedLines loaded, const std::string& fileName, Session& session,
                              OpenObserver& observer,
                              std::shared_ptr<const ExportReadings> readings = nullptr);

}  // namespace vexa
