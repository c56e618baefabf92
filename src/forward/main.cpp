// tally77-forward: ships the sets and alarms of one station's data directory
// into PostgreSQL, exactly once, and follows the files as they grow.

#include <cstdio>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/log_line.h"
#include "common/stop_signals.h"
#include "forward/database.h"
#include "forward/forward_options.h"
#include "forward/forwarder.h"
#include "forward/schema.h"

namespace {

using namespace tally;
using namespace tally::forward;

int MigrateDatabase(const std::string& conninfo, const LogWriter& log) {
  Outcome<Database> database = Database::Connect(conninfo);
  if (!database.ok()) {
    log.Error("cannot connect to the database: " + database.failure().message);
    return database.failure().code == FailureCode::DatabaseUnreachable ? kExitUnavailable : kExitConfig;
  }
  const Status migrated = Migrate(database.value(), [&log](const std::string& what) { log.Info(what); });
  if (!migrated.ok()) {
    log.Error(migrated.failure().message);
    return migrated.failure().code == FailureCode::DatabaseUnreachable ? kExitUnavailable : kExitConfig;
  }
  log.Info("schema at version " + std::to_string(SchemaVersion()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Outcome<ForwardOptions> options = ParseForwardOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options.ok()) return Finish(UsageFault("tally77-forward", options.failure().message));
  const LogWriter log(stdout);
  switch (options.value().action) {
    case ForwardOptions::Action::Help:
      return Finish(HelpAnswer(ForwardHelp()));
    case ForwardOptions::Action::Version:
      return Finish(VersionAnswer("tally77-forward"));
    case ForwardOptions::Action::Migrate:
      return MigrateDatabase(options.value().conninfo, log);
    case ForwardOptions::Action::Follow:
      break;
  }
  StopSignals stops;
  return Forwarder(options.value(), stops, log).Run();
}
