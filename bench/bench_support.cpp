#include "bench_support.h"

#include <cstdio>
#include <filesystem>
#include <map>

namespace vexa::bench {

std::string exportFile(ExportKind kind, std::size_t lines, int series) {
  static std::map<std::tuple<int, std::size_t, int>, std::string> made;
  const auto key = std::make_tuple(static_cast<int>(kind), lines, series);
  if (auto found = made.find(key); found != made.end()) {
    return found->second;
  }
  const auto path = std::filesystem::temp_directory_path() /
                    ("vexa-bench-" + std::to_string(static_cast<int>(kind)) + "-" +
                     std::to_string(lines) + "-" + std::to_string(series) + ".csv");
  GeneratorOptions options;
  options.lines = lines;
  options.series = series;
  writeExport(path.string(), kind, options);
  return made[key] = path.string();
}

double peakMegabytesOf(const std::vector<std::string>& argv) {
  std::string command;
  for (const std::string& arg : argv) {
    command += "'" + arg + "' ";
  }
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return -1;
  }
  long kilobytes = -1;
  char line[256];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::sscanf(line, "peak_kB=%ld", &kilobytes);
  }
  if (::pclose(pipe) != 0) {
    return -1;
  }
  return kilobytes < 0 ? -1.0 : static_cast<double>(kilobytes) / 1024.0;
}

long peakKilobytesOfThisProcess() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) {
    return -1;
  }
  long kilobytes = -1;
  char line[256];
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1) {
      break;
    }
  }
  std::fclose(status);
  return kilobytes;
}

}  // namespace vexa::bench
