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
  std::string station;  // DefaultStation when not given
  // With the default station: the name given by default before
  // (EarlierDefaultStation), which a database may already hold.
  std::string earlierStation;
  std::string zone;     // --tz: the IANA zone the stamps were written in; "" for the program's own
  bool once = false;    // ship what is whole now, then end
  int waitSeconds = 60;  // how long --once waits for the database
  BatchLimits limits;
};

// Failure carries the message for standard error (never the --db value):
// the command line's fault, without the program's name.
Outcome<ForwardOptions> ParseForwardOptions(const std::vector<std::string>& arguments);

std::string ForwardHelp();
std::string ForwardVersion();

// "host:/srv/tally77/site1/": this computer's name and the data
// directory's absolute path, one name per data directory.
std::string DefaultStation(const std::string& dataDirectory);
// "host/ite1": the default of earlier versions, this computer's name and the
// data directory's marker, which directories ending alike shared.
std::string EarlierDefaultStation(const std::string& dataDirectory);

}  // namespace tally::forward
