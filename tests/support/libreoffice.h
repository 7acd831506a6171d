// Converts files with LibreOffice, the real client the workbooks must open in.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace vexa::testing {

// Runs `soffice --headless --convert-to <filter>` on `input` into `outputDir`
// and returns the converted file's path (empty when LibreOffice made none).
// A sheet's CSV export is named "<stem>-<sheet name>.csv"; `suffix` gives
// that "-<sheet name>" part.
// The tests share one LibreOffice profile (VEXA_SOFFICE_PROFILE) and never run
// two conversions at once.
inline std::string convertWithLibreOffice(const std::string& input, const std::string& filter,
                                          const std::string& extension,
                                          const std::string& outputDir,
                                          const std::string& suffix = "") {
  const std::string command =
      std::string("soffice -env:UserInstallation=file://") + VEXA_SOFFICE_PROFILE +
      " --headless --norestore --nolockcheck --convert-to '" + filter + "' --outdir '" + outputDir +
      "' '" + input + "' > '" + outputDir + "/soffice.log' 2>&1";
  const int status = std::system(command.c_str());
  const auto output = std::filesystem::path(outputDir) /
                      (std::filesystem::path(input).stem().string() + suffix + "." + extension);
  if (status != 0 || !std::filesystem::exists(output)) {
    return {};
  }
  return output.string();
}

}  // namespace vexa::testing
