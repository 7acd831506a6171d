// vexa-generate-export KIND LINES OUT [SERIES] [SEED]: writes a synthetic export.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "export_generator.h"

int main(int argc, char** argv) {
  vexa::bench::ExportKind kind;
  if (argc < 4 || !vexa::bench::parseExportKind(argv[1], kind)) {
    std::fprintf(stderr,
                 "usage: %s climate|light|temperature|motion|paired|state LINES OUT [SERIES] "
                 "[SEED]\n",
                 argv[0]);
    return 2;
  }
  vexa::bench::GeneratorOptions options;
  options.lines = std::strtoull(argv[2], nullptr, 10);
  if (argc > 4) {
    options.series = std::atoi(argv[4]);
  }
  if (argc > 5) {
    options.seed = static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10));
  }
  if (!vexa::bench::writeExport(argv[3], kind, options)) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
