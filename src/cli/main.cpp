// vexa-chart-report: reports of Vexa sensor exports without the window.
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return vexa::cli::runCommandLine(arguments, std::cout, std::cerr);
}
