#include "forward/database.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>

namespace tally::forward {
namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The password given in conninfo or PGPASSWORD, if any.
std::vector<std::string> SecretsOf(const std::string& conninfo) {
  std::vector<std::string> secrets;
  if (PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), nullptr)) {
    for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
      if (option->val != nullptr && *option->val != '\0' && std::string(option->keyword) == "password") {
        secrets.emplace_back(option->val);
      }
    }
    PQconninfoFree(options);
  }
  if (const char* fromEnvironment = std::getenv("PGPASSWORD"); fromEnvironment && *fromEnvironment) {
    secrets.emplace_back(fromEnvironment);
  }
  return secrets;
}

// A log-in the server turned down, or a name it does not know: trying again
// will not help.
bool RefusedAtLogIn(PGconn* connection, const std::string& message) {
  return PQconnectionNeedsPassword(connection) || Contains(message, "authentication failed") ||
         Contains(message, "no password supplied") || Contains(message, "does not exist") ||
         Contains(message, "permission denied") || Contains(message, "no pg_hba.conf entry") ||
         Contains(message, "invalid ") || Contains(message, "conversion between");
}

// The server's words, and what to do when its encoding cannot take the
// files' Latin-1 text (only UTF8, LATIN1 and SQL_ASCII databases can).
std::string ExplainedLogInFailure(std::string message) {
  if (Contains(message, "conversion between")) {
    message += " (the database must be encoded in UTF8, LATIN1 or SQL_ASCII to hold the files' Latin-1 text)";
  }
  return message;
}

}  // namespace

FailureCode FailureCodeOf(std::string_view state) {
  const std::string_view kind = state.substr(0, 2);
  const bool refused = kind == "28" ||                       // log-in refused
                       kind == "42" ||                       // privilege, or no such table or column
                       state == "3D000" || state == "3F000" ||  // no such database or schema
                       state == "22021" || state == "22P05";    // a character the encoding cannot hold
  return refused ? FailureCode::DatabaseRefused : FailureCode::DatabaseUnreachable;
}

std::string WithoutSecrets(std::string message, const std::vector<std::string>& secrets) {
  for (const std::string& secret : secrets) {
    for (std::size_t at = message.find(secret); at != std::string::npos; at = message.find(secret, at + 3)) {
      message.replace(at, secret.size(), "***");
    }
  }
  return message;
}

std::string Rows::Text(int row, int column) const {
  const char* value = PQgetvalue(result_.get(), row, column);
  return std::string(value, static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

long long Rows::Number(int row, int column) const { return std::atoll(PQgetvalue(result_.get(), row, column)); }

long long Rows::Affected() const { return std::atoll(PQcmdTuples(result_.get())); }

Database::Database(PGconn* connection, std::vector<std::string> secrets, StopSignals* stops)
    : connection_(connection, &PQfinish), secrets_(std::move(secrets)), wait_(stops) {}

Outcome<Database> Database::Connect(const std::string& conninfo, StopSignals* stops, std::optional<Moment> giveUpAt) {
  std::vector<std::string> secrets = SecretsOf(conninfo);
  char* parseError = nullptr;
  if (PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &parseError)) {
    PQconninfoFree(options);
  } else {
    // libpq's own message may quote a piece of the string, password included.
    PQfreemem(parseError);
    return Failure{FailureCode::DatabaseRefused, "the connection string given with --db cannot be read"};
  }
  // Before dbname, which conninfo expands, so that conninfo may say otherwise;
  // the encoding after it, as the files' text needs it.
  const char* keywords[] = {"connect_timeout", "keepalives", "keepalives_idle", "keepalives_interval",
                            "keepalives_count", "tcp_user_timeout", "application_name", "dbname",
                            "client_encoding", nullptr};
  const char* values[] = {"10", "1", "60", "10", "6", "60000", "tally77-forward", conninfo.c_str(), "LATIN1", nullptr};
  PGconn* connection = PQconnectStartParams(keywords, values, 1);
  if (connection == nullptr) return Failure{FailureCode::DatabaseUnreachable, "out of memory"};
  Database database(connection, std::move(secrets), stops);
  if (Status loggedIn = database.LogIn(giveUpAt); !loggedIn.ok()) return loggedIn.failure();
  return database;
}

// libpq's log-in, step by step, each step's wait bounded by connect_timeout
// and giveUpAt.
Status Database::LogIn(std::optional<Moment> giveUpAt) {
  PGconn* connection = connection_.get();
  int timeoutSeconds = 0;
  if (PQconninfoOption* options = PQconninfo(connection)) {
    for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
      if (option->val != nullptr && std::string(option->keyword) == "connect_timeout") {
        timeoutSeconds = std::atoi(option->val);
      }
    }
    PQconninfoFree(options);
  }
  std::optional<Moment> deadline = giveUpAt;
  if (timeoutSeconds > 0) {
    const Moment own = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeoutSeconds, 2));
    if (!deadline || own < *deadline) deadline = own;
  }
  PostgresPollingStatusType step = PGRES_POLLING_WRITING;
  while (PQstatus(connection) != CONNECTION_BAD && step != PGRES_POLLING_OK && step != PGRES_POLLING_FAILED) {
    if (!wait_.Ready(PQsocket(connection), step == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadline)) {
      return Failure{FailureCode::DatabaseUnreachable, "no log-in: " + wait_.gaveUp()};
    }
    step = PQconnectPoll(connection);
  }
  if (PQstatus(connection) != CONNECTION_OK) {
    const std::string message = ExplainedLogInFailure(WithoutSecrets(Trimmed(PQerrorMessage(connection)), secrets_));
    return Failure{RefusedAtLogIn(connection, message) ? FailureCode::DatabaseRefused : FailureCode::DatabaseUnreachable,
                   message};
  }
  PQsetnonblocking(connection, 1);
  return Ok();
}

Failure Database::FailureOf(PGresult* result) const {
  if (!wait_.gaveUp().empty()) return Failure{FailureCode::DatabaseUnreachable, wait_.gaveUp()};
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const std::string text = result ? PQresultErrorMessage(result) : PQerrorMessage(connection_.get());
  const bool lost = PQstatus(connection_.get()) != CONNECTION_OK || state == nullptr;
  return Failure{lost ? FailureCode::DatabaseUnreachable : FailureCodeOf(state), WithoutSecrets(Trimmed(text), secrets_)};
}

bool Database::Flushed() {
  PGconn* connection = connection_.get();
  for (int unsent = PQflush(connection); unsent != 0; unsent = PQflush(connection)) {
    if (unsent < 0 || !wait_.Ready(PQsocket(connection), POLLIN | POLLOUT)) return false;
    if (PQconsumeInput(connection) == 0) return false;
  }
  return true;
}

PGresult* Database::Received() {
  PGconn* connection = connection_.get();
  while (PQisBusy(connection) && wait_.Ready(PQsocket(connection), POLLIN) && PQconsumeInput(connection) == 1) {
  }
  // A connection shut down or failed answers at once with an error result.
  return PQgetResult(connection);
}

Outcome<Rows> Database::Run(const std::string& sql, const std::vector<Parameter>& parameters) {
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const Parameter& parameter : parameters) values.push_back(parameter ? parameter->c_str() : nullptr);
  if (PQsendQueryParams(connection_.get(), sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                        nullptr, nullptr, 0) != 1 ||
      !Flushed()) {
    return FailureOf(nullptr);
  }
  std::optional<Failure> failure;
  PGresult* result = NextResult(failure);
  if (result == nullptr) return *failure;
  return Rows(result);
}

PGresult* Database::NextResult(std::optional<Failure>& failure) {
  PGresult* result = Received();
  if (result == nullptr) {
    failure = FailureOf(nullptr);
    return nullptr;
  }
  while (PGresult* end = Received()) PQclear(end);  // the statement's closing null
  const ExecStatusType status = PQresultStatus(result);
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
  if (!failure) failure = FailureOf(result);
  PQclear(result);
  return nullptr;
}

Outcome<std::vector<Rows>> Database::RunTogether(const std::vector<Statement>& statements,
                                                 const std::function<void()>& beforeCommit) {
  PGconn* connection = connection_.get();
  if (PQenterPipelineMode(connection) != 1) return FailureOf(nullptr);
  bool sent = true;
  for (const Statement& statement : statements) {
    std::vector<const char*> values;
    for (const Parameter& parameter : statement.parameters) values.push_back(parameter ? parameter->c_str() : nullptr);
    sent = sent && PQsendQueryParams(connection, statement.sql.c_str(), static_cast<int>(values.size()), nullptr,
                                     values.data(), nullptr, nullptr, 0) == 1;
  }
  std::vector<Rows> rows;
  std::optional<Failure> failure;
  auto collect = [&] {
    for (std::size_t i = rows.size(); i < statements.size() && !failure; ++i) {
      if (PGresult* result = NextResult(failure)) rows.emplace_back(result);
    }
  };
  if (sent && beforeCommit) {
    sent = PQsendFlushRequest(connection) == 1 && Flushed();
    collect();
    if (sent && !failure) beforeCommit();
  }
  sent = sent && PQpipelineSync(connection) == 1 && Flushed();
  if (!sent) failure = FailureOf(nullptr);
  collect();
  // Whatever the failure left in the pipeline, up to the Sync that ends it.
  while (sent) {
    PGresult* result = Received();
    if (result == nullptr) {
      if (PQstatus(connection) != CONNECTION_OK) break;
      continue;
    }
    const bool synced = PQresultStatus(result) == PGRES_PIPELINE_SYNC;
    if (!synced && PQresultStatus(result) == PGRES_FATAL_ERROR && !failure) failure = FailureOf(result);
    PQclear(result);
    if (synced || PQstatus(connection) != CONNECTION_OK) break;
  }
  PQexitPipelineMode(connection);
  if (failure) return *failure;
  return rows;
}

Status Database::RunScript(const std::string& sql) {
  if (PQsendQuery(connection_.get(), sql.c_str()) != 1 || !Flushed()) return FailureOf(nullptr);
  std::optional<Failure> failure;
  while (PGresult* result = Received()) {
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && !failure) failure = FailureOf(result);
    PQclear(result);
  }
  if (failure) return *failure;
  return Ok();
}

std::string Database::Where() const {
  PGconn* connection = connection_.get();
  const std::string host = PQhost(connection) ? PQhost(connection) : "";
  return host + ":" + PQport(connection) + "/" + PQdb(connection) + " as " + PQuser(connection);
}

}  // namespace tally::forward
