#pragma once
// One libpq connection. Statements are parameterised; results and failures
// are values. A failure is DatabaseUnreachable when trying again later may
// help (no server, connection lost, server shutting down) and
// DatabaseRefused when it will not (log-in refused, no such database,
// missing table or privilege). No message ever holds the password.

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"

namespace tally::forward {

using Parameter = std::optional<std::string>;  // nullopt is SQL NULL

class Rows {
 public:
  explicit Rows(PGresult* result) : result_(result, &PQclear) {}
  int count() const { return PQntuples(result_.get()); }
  bool IsNull(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }
  std::string Text(int row, int column) const;
  long long Number(int row, int column) const;
  // Rows touched by an INSERT without RETURNING.
  long long Affected() const;

 private:
  std::shared_ptr<PGresult> result_;
};

class Database {
 public:
  // conninfo: a libpq connection string or URI; what libpq reads by itself
  // (PGHOST, PGSERVICE, ~/.pgpass) fills in the rest. Text is exchanged as
  // Latin-1, the 8-bit text of the files.
  static Outcome<Database> Connect(const std::string& conninfo);

  // Runs one statement; the parameters travel apart from its text.
  Outcome<Rows> Run(const std::string& sql, const std::vector<Parameter>& parameters = {});
  // Runs a script of statements without parameters (migrations).
  Status RunScript(const std::string& sql);

  // "host:port/database as user": where it is connected, without secrets.
  std::string Where() const;

 private:
  Database(PGconn* connection, std::vector<std::string> secrets);
  Failure FailureOf(PGresult* result) const;

  std::shared_ptr<PGconn> connection_;
  std::vector<std::string> secrets_;  // texts no message may show
};

// message with every secret replaced by "***".
std::string WithoutSecrets(std::string message, const std::vector<std::string>& secrets);

}  // namespace tally::forward
