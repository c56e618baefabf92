// tally77-sim: a Tally 77 processor on a pseudo-terminal, for demonstrations
// and end-to-end tests of the capture program.

#include <cstdio>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "sim_options.h"
#include "sim_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const tally::sim::ParsedOptions parsed = tally::sim::ParseSimOptions(arguments);
  if (parsed.help) return tally::Finish(tally::HelpAnswer(tally::sim::UsageText()));
  if (parsed.version) return tally::Finish(tally::VersionAnswer("tally77-sim"));
  if (!parsed.options) return tally::Finish(tally::UsageFault("tally77-sim", parsed.message));
  return tally::sim::RunProcessor(*parsed.options, stdout);
}
