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
  if (Status begun = database.RunScript("BEGIN"); !begun.ok()) return begun;
  Status done = database.Run(kLock).ok() ? work() : Fail(FailureCode::DatabaseRefused, "cannot take the lock");
  if (!done.ok()) {
    IgnoreFailure(database.RunScript("ROLLBACK"));
    return done;
  }
  return database.RunScript("COMMIT");
}

Status Apply(Database& database, const Migration& migration, bool& applied) {
  Outcome<Rows> present = database.Run("SELECT 1 FROM tally77.schema_version WHERE version = $1",
                                       {std::to_string(migration.version)});
  if (!present.ok()) return present.failure();
  applied = present.value().count() == 0;
  if (!applied) return Ok();
  if (Status ran = database.RunScript(migration.sql); !ran.ok()) {
    return Failure{ran.failure().code, "migration " + migration.name + ": " + ran.failure().message};
  }
  Outcome<Rows> recorded = database.Run("INSERT INTO tally77.schema_version (version, name) VALUES ($1, $2)",
                                        {std::to_string(migration.version), migration.name});
  return recorded.status();
}

}  // namespace

int SchemaVersion() { return Migrations().empty() ? 0 : Migrations().back().version; }

Status Migrate(Database& database, const std::function<void(const std::string&)>& say) {
  Status created = InTransaction(database, [&] { return database.RunScript(kVersionTable); });
  if (!created.ok()) return created;
  for (const Migration& migration : Migrations()) {
    bool applied = false;
    Status done = InTransaction(database, [&] { return Apply(database, migration, applied); });
    if (!done.ok()) return done;
    if (applied) say("applied migration " + migration.name);
  }
  return Ok();
}

Status CheckSchema(Database& database) {
  Outcome<Rows> version = database.Run("SELECT coalesce(max(version), 0) FROM tally77.schema_version");
  if (!version.ok()) {
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
