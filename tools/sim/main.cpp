// tally77-sim: a Tally 77 processor on a pseudo-terminal, for demonstrations
// and end-to-end tests of the capture program.

#include <cstdio>
#include <string>
#include <vector>

#include "sim_options.h"
#include "sim_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const tally::sim::ParsedOptions parsed = tally::sim::ParseSimOptions(arguments);
  if (!parsed.options) {
    std::fprintf(stderr, "%s\n", parsed.message.c_str());
    return parsed.message == tally::sim::UsageText() ? 0 : 64;
  }
  return tally::sim::RunProcessor(*parsed.options, stdout);
}
