#pragma once
// The command line of tally77-forward.

#include <optional>
#include <string>
#include <vector>

#include "common/exit_status.h"
#include "common/outcome.h"
#include "records/file_follower.h"

namespace tally::forward {

struct ForwardOptions {
  enum class Action { Follow, Migrate, Help, Version } action = Action::Follow;
  std::string dataDirectory;  // with the separator at its end
  std::string conninfo;
  std::string station;  // host name and marker when not given
  bool once = false;    // ship what is whole now, then end
  int waitSeconds = 60;  // how long --once waits for the database
  BatchLimits limits;
};

// Failure carries the message for standard error (never the --db value):
// the command line's fault, without the program's name.
Outcome<ForwardOptions> ParseForwardOptions(const std::vector<std::string>& arguments);

std::string ForwardHelp();
std::string ForwardVersion();

// "host/MRK1": this computer's name and the data directory's marker.
std::string DefaultStation(const std::string& dataDirectory);

}  // namespace tally::forward
