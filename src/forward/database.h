#pragma once
// One libpq connection. Statements are parameterised; results and failures
// are values. A failure is DatabaseRefused when waiting cannot mend it (log-in
// refused, no such database, schema, table or privilege, a character the
// encoding cannot hold) and DatabaseUnreachable for everything else, which
// trying again later may mend (no server, connection lost, a timeout, a full
// disk, a read-only server after a fail-over). No message ever holds the
// password.

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/outcome.h"
#include "common/stop_signals.h"
#include "forward/server_wait.h"

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
  // Latin-1, the 8-bit text of the files. TCP keep-alives find a dead peer;
  // a log-in gives up after connect_timeout (10 s unless conninfo says
  // otherwise) or at giveUpAt, whichever comes first. stops: the program's
  // stop signals, which cut every wait for the server short (ServerWait).
  static Outcome<Database> Connect(const std::string& conninfo, StopSignals* stops = nullptr,
                                   std::optional<Moment> giveUpAt = std::nullopt);

  // Runs one statement; the parameters travel apart from its text.
  Outcome<Rows> Run(const std::string& sql, const std::vector<Parameter>& parameters = {});
  struct Statement {
    std::string sql;
    std::vector<Parameter> parameters;
  };
  // Runs statements as one transaction in one round trip (a pipeline ended
  // by one Sync, which commits). beforeCommit, when given, runs once every
  // statement has been carried out and before the commit is asked for.
  Outcome<std::vector<Rows>> RunTogether(const std::vector<Statement>& statements,
                                         const std::function<void()>& beforeCommit = {});
  // Runs a script of statements without parameters (migrations).
  Status RunScript(const std::string& sql);

  // "host:port/database as user": where it is connected, without secrets.
  std::string Where() const;

 private:
  Database(PGconn* connection, std::vector<std::string> secrets, StopSignals* stops);
  Status LogIn(std::optional<Moment> giveUpAt);
  Failure FailureOf(PGresult* result) const;
  // Sends what libpq holds; false when the connection failed.
  bool Flushed();
  // The next result once it came whole (nullptr after a statement's last);
  // never waits past what wait_ allows.
  PGresult* Received();
  // The result of the next statement of a pipeline; nullptr with failure set
  // when it failed.
  PGresult* NextResult(std::optional<Failure>& failure);

  std::shared_ptr<PGconn> connection_;
  std::vector<std::string> secrets_;  // texts no message may show
  ServerWait wait_;
};

// What a statement's SQLSTATE means for the forwarder.
FailureCode FailureCodeOf(std::string_view state);

// message with every secret replaced by "***".
std::string WithoutSecrets(std::string message, const std::vector<std::string>& secrets);

}  // namespace tally::forward
