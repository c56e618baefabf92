#pragma once
// The command line of tally77-forward.

#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "records/file_follower.h"

namespace tally::forward {

// Exit statuses besides 0, as sysexits.h names them.
inline constexpr int kExitUsage = 64;        // a wrong command line
inline constexpr int kExitNoInput = 66;      // --once: no such data directory
inline constexpr int kExitUnavailable = 69;  // no database within --wait (--once), or for --migrate
inline constexpr int kExitIoError = 74;      // --once: a followed file could not be read
inline constexpr int kExitConfig = 78;       // the database refused: log-in, schema, privileges

struct ForwardOptions {
  enum class Action { Follow, Migrate, Help, Version } action = Action::Follow;
  std::string dataDirectory;  // with the separator at its end
  std::string conninfo;
  std::string station;  // host name and marker when not given
  bool once = false;    // ship what is whole now, then end
  int waitSeconds = 60;  // how long --once waits for the database
  BatchLimits limits;
};

// Failure carries the message for standard error (never the --db value).
Outcome<ForwardOptions> ParseForwardOptions(const std::vector<std::string>& arguments);

std::string ForwardHelp();
std::string ForwardVersion();

// "host/MRK1": this computer's name and the data directory's marker.
std::string DefaultStation(const std::string& dataDirectory);

}  // namespace tally::forward
