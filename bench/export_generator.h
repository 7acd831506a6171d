// Deterministic synthetic exports of every layout, for benchmarks and tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexa::bench {

enum class ExportKind {
  Climate,
  ClimateLight,
  Temperature,
  MotionEvents,
  PairedNumeric,
  PairedState
};

struct GeneratorOptions {
  std::size_t lines = 1000;       // header line included
  int series = 4;                 // pairs of a paired-column export
  int stepSeconds = 60;           // time between samples
  double start = 44197.0;         // 2021-01-01 00:00:00
  bool crlf = true;               // Windows line ends, as the web service writes them
  std::uint32_t seed = 20210101;  // same seed, same file
};

// The whole export as bytes.
std::string generateExport(ExportKind kind, const GeneratorOptions& options);

// Writes the export to `path`; returns false when the file cannot be written.
bool writeExport(const std::string& path, ExportKind kind, const GeneratorOptions& options);

// "climate", "light", "temperature", "motion", "paired", "state".
bool parseExportKind(const std::string& name, ExportKind& kind);

}  // namespace vexa::bench
