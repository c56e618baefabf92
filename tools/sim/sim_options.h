#pragma once
// Command line of tally77-sim.

#include <optional>
#include <string>
#include <vector>

namespace tally::sim {

enum class ProcessorKind { FLI, FLII };

struct SimOptions {
  std::string device;        // --device: an existing device instead of a new pseudo-terminal
  std::string link;          // --link: a symbolic link kept pointing at the pseudo-terminal
  ProcessorKind kind = ProcessorKind::FLI;
  int bursts = 16;           // readings sent, not counting the sync burst
  bool sync = true;          // one extra leading burst, the one the capture discards
  std::string order = "in";  // in, reverse, shuffle, missing=N, twice=N
  unsigned seed = 1;
  std::optional<int> value;  // field 2 of every reading; 100 + channel when not given
  int highChannel = 0;       // this channel reads highValue instead
  int highValue = 0;
  bool wideValues = false;   // --value and --high-value may be wider than field 2's three digits
  int gapMs = 3000;          // quiet time between bursts
  bool fast = false;         // a whole burst at once instead of 30 characters a second
  int dropAfter = 0;         // hang up the pseudo-terminal after this many readings
  int dropMs = 1000;         // and open a new one after this long
  int waitEndMs = 0;         // after the last burst, wait this long for the end command; 0: no limit
};

struct ParsedOptions {
  std::optional<SimOptions> options;  // none when the command line is wrong or help or the version was asked
  std::string message;                // the fault
  bool help = false;
  bool version = false;
};

ParsedOptions ParseSimOptions(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace tally::sim
