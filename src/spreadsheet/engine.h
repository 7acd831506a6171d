// The program's own spreadsheet application: the object model of
// report/automation.h over an in-memory workbook, behaving like a
// Russian-language installation, saving real .xlsx files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "report/automation.h"
#include "spreadsheet/workbook_model.h"

namespace vexa::sheet {

// Opens a saved workbook in the desktop's default application.
using Opener = std::function<void(const std::string& path)>;

// Seconds since 1970-01-01 00:00:00 UTC.
using UtcClock = std::function<std::int64_t()>;

// Writes a workbook's bytes to its file; raises SaveError.
using FileWriter = std::function<void(const std::string& path, std::string_view bytes)>;

struct EngineOptions {
  Opener opener{};       // called when the application is made visible
  int deflateLevel = 1;  // package compression, 1 (fastest) to 12 (smallest)
  std::string author{};  // the workbooks' creator; empty: the user's name from the system
  UtcClock clock{};      // creation and save times; empty: the system clock
  FileWriter writer{};   // empty: an atomic write (tests fail a save here)
  int packThreads = 0;   // threads that build and deflate a package; 0: the cores
};

struct ApplicationState;

class Engine final : public xl::AutomationServer {
 public:
  explicit Engine(EngineOptions options);
  ~Engine() override;

  // The running application (one that has not quit), or a new one.
  xl::ApplicationPtr attach() override;

 private:
  EngineOptions options_;
  std::shared_ptr<ApplicationState> running_;
};

// The workbook behind a workbook object of this engine (for tests and tools
// that look at what the report built); null for other objects.
const WorkbookModel* modelOf(const xl::Workbook& workbook);

// The file a workbook object of this engine was last saved to, also after it
// was closed; empty when it never was.
std::string savedPathOf(const xl::Workbook& workbook);

// Opens a file (a workbook, a PDF report) in the desktop's default
// application (xdg-open), without waiting for it. Raises xl::WorkbookNotShown,
// which says where the file is, when no application takes it or the opener
// cannot be started.
void openWithDesktop(const std::string& path);

}  // namespace vexa::sheet
