#include "forward/schema.h"

#include "forward/migrations.h"

namespace tally::forward {
namespace {

// Any number, the same for every --migrate: concurrent runs take turns.
constexpr const char* kLock = "SELECT pg_advisory_xact_lock(7707001)";

constexpr const char* kVersionTable = R"sql(
CREATE SCHEMA IF NOT EXISTS tally77;
CREATE TABLE IF NOT EXISTS tally77.schema_version (
  version integer PRIMARY KEY,
  name text NOT NULL,
  applied_at timestamptz NOT NULL DEFAULT now()
))sql";

// Runs work inside one transaction holding the migration lock.
Status InTransaction(Database& database, const std::function<Status()>& work) {
  if (Status failed = database.RunScript("BEGIN")) return failed;
  Status failed = database.Run(kLock).ok() ? work() : Fail(FailureCode::DatabaseRefused, "cannot take the lock");
  if (failed) {
    (void)database.RunScript("ROLLBACK");
    return failed;
  }
  return database.RunScript("COMMIT");
}

Status Apply(Database& database, const Migration& migration, bool& applied) {
  Outcome<Rows> present = database.Run("SELECT 1 FROM tally77.schema_version WHERE version = $1",
                                       {std::to_string(migration.version)});
  if (!present) return present.failure();
  applied = present.value().count() == 0;
  if (!applied) return Ok();
  if (Status failed = database.RunScript(migration.sql)) {
    return Failure{failed->code, "migration " + migration.name + ": " + failed->message};
  }
  Outcome<Rows> recorded = database.Run("INSERT INTO tally77.schema_version (version, name) VALUES ($1, $2)",
                                        {std::to_string(migration.version), migration.name});
  return recorded ? Ok() : Status(recorded.failure());
}

}  // namespace

int SchemaVersion() { return Migrations().empty() ? 0 : Migrations().back().version; }

Status Migrate(Database& database, const std::function<void(const std::string&)>& say) {
  if (Status failed = InTransaction(database, [&] { return database.RunScript(kVersionTable); })) return failed;
  for (const Migration& migration : Migrations()) {
    bool applied = false;
    if (Status failed = InTransaction(database, [&] { return Apply(database, migration, applied); })) return failed;
    if (applied) say("applied migration " + migration.name);
  }
  return Ok();
}

Status CheckSchema(Database& database) {
  Outcome<Rows> version = database.Run("SELECT coalesce(max(version), 0) FROM tally77.schema_version");
  if (!version) {
    if (version.failure().code == FailureCode::DatabaseUnreachable) return version.failure();
    return Fail(FailureCode::DatabaseRefused, "the database has no tally77 schema this role can read (" +
                                                  version.failure().message +
                                                  "): run tally77-forward --migrate with the owner role");
  }
  const long long found = version.value().Number(0, 0);
  if (found < SchemaVersion()) {
    return Fail(FailureCode::DatabaseRefused, "the database schema is at version " + std::to_string(found) +
                                                  ", this forwarder needs " + std::to_string(SchemaVersion()) +
                                                  ": run tally77-forward --migrate with the owner role");
  }
  return Ok();
}

}  // namespace tally::forward
