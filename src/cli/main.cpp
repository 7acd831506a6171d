// vexa-chart-report: reports of Vexa sensor exports without the window.
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "platform/files.h"

int main(int argc, char* argv[]) {
  vexa::platform::useUtf8Console();
  return vexa::cli::runCommandLine(vexa::platform::programArguments(argc, argv), std::cout,
                                   std::cerr);
}
