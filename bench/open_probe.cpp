// open-probe FILE: runs Open on one export, as the benchmarks' separate
// process whose peak memory is measured, and prints that peak.
#include <cstdio>

#include "bench_support.h"

#include "input/open_export.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    return 2;
  }
  vexa::Session session;
  vexa::bench::SilentWindow observer;
  try {
    vexa::openExport(argv[1], session, observer);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  std::printf("%zu lines kept, format %d\n", session.List.size(), session.count);
  std::printf("peak_kB=%ld\n", vexa::bench::peakKilobytesOfThisProcess());
  return 0;
}
