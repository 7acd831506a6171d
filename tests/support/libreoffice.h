// Converts files with LibreOffice, the real client the workbooks must open in.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

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

// Converts several files in one LibreOffice run; returns the converted paths
// in the same order (empty where no file came out).
inline std::vector<std::string> convertAllWithLibreOffice(const std::vector<std::string>& inputs,
                                                          const std::string& filter,
                                                          const std::string& extension,
                                                          const std::string& outputDir) {
  std::string command = std::string("soffice -env:UserInstallation=file://") +
                        VEXA_SOFFICE_PROFILE +
                        " --headless --norestore --nolockcheck --convert-to '" + filter +
                        "' --outdir '" + outputDir + "'";
  for (const std::string& input : inputs) {
    command += " '" + input + "'";
  }
  command += " > '" + outputDir + "/soffice.log' 2>&1";
  std::system(command.c_str());
  std::vector<std::string> outputs;
  for (const std::string& input : inputs) {
    const auto output = std::filesystem::path(outputDir) /
                        (std::filesystem::path(input).stem().string() + "." + extension);
    outputs.push_back(std::filesystem::exists(output) ? output.string() : std::string());
  }
  return outputs;
}

// The text of page `page` of a PDF (pdftotext).
inline std::string pdfPageText(const std::string& pdf, int page) {
  const std::string text = pdf + ".page" + std::to_string(page) + ".txt";
  const std::string command = "pdftotext -f " + std::to_string(page) + " -l " +
                              std::to_string(page) + " '" + pdf + "' '" + text + "'";
  if (std::system(command.c_str()) != 0) {
    return {};
  }
  std::ifstream file(text);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace vexa::testing
