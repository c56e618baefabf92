#include "forward/database.h"

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

Database::Database(PGconn* connection, std::vector<std::string> secrets)
    : connection_(connection, &PQfinish), secrets_(std::move(secrets)) {}

Outcome<Database> Database::Connect(const std::string& conninfo) {
  std::vector<std::string> secrets = SecretsOf(conninfo);
  char* parseError = nullptr;
  if (PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &parseError)) {
    PQconninfoFree(options);
  } else {
    // libpq's own message may quote a piece of the string, password included.
    PQfreemem(parseError);
    return Failure{FailureCode::DatabaseRefused, "the connection string given with --db cannot be read"};
  }
  const char* keywords[] = {"dbname", "client_encoding", "connect_timeout", "application_name", nullptr};
  const char* values[] = {conninfo.c_str(), "LATIN1", "10", "tally77-forward", nullptr};
  PGconn* connection = PQconnectdbParams(keywords, values, 1);
  if (connection == nullptr) return Failure{FailureCode::DatabaseUnreachable, "out of memory"};
  if (PQstatus(connection) != CONNECTION_OK) {
    const std::string message = ExplainedLogInFailure(WithoutSecrets(Trimmed(PQerrorMessage(connection)), secrets));
    const FailureCode code =
        RefusedAtLogIn(connection, message) ? FailureCode::DatabaseRefused : FailureCode::DatabaseUnreachable;
    PQfinish(connection);
    return Failure{code, message};
  }
  return Database(connection, std::move(secrets));
}

Failure Database::FailureOf(PGresult* result) const {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const std::string text = result ? PQresultErrorMessage(result) : PQerrorMessage(connection_.get());
  const bool lost = PQstatus(connection_.get()) != CONNECTION_OK || state == nullptr;
  return Failure{lost ? FailureCode::DatabaseUnreachable : FailureCodeOf(state), WithoutSecrets(Trimmed(text), secrets_)};
}

Outcome<Rows> Database::Run(const std::string& sql, const std::vector<Parameter>& parameters) {
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const Parameter& parameter : parameters) values.push_back(parameter ? parameter->c_str() : nullptr);
  PGresult* result = PQexecParams(connection_.get(), sql.c_str(), static_cast<int>(values.size()), nullptr,
                                  values.data(), nullptr, nullptr, 0);
  const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return Rows(result);
  Failure failure = FailureOf(result);
  PQclear(result);
  return failure;
}

PGresult* Database::NextResult(std::optional<Failure>& failure) {
  PGresult* result = PQgetResult(connection_.get());
  if (result == nullptr) {
    failure = FailureOf(nullptr);
    return nullptr;
  }
  while (PGresult* end = PQgetResult(connection_.get())) PQclear(end);  // the statement's closing null
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
    sent = PQsendFlushRequest(connection) == 1 && PQflush(connection) == 0;
    collect();
    if (sent && !failure) beforeCommit();
  }
  sent = sent && PQpipelineSync(connection) == 1;
  if (!sent) failure = FailureOf(nullptr);
  collect();
  // Whatever the failure left in the pipeline, up to the Sync that ends it.
  while (sent) {
    PGresult* result = PQgetResult(connection);
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
  PGresult* result = PQexec(connection_.get(), sql.c_str());
  const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
    PQclear(result);
    return Ok();
  }
  Failure failure = FailureOf(result);
  PQclear(result);
  return failure;
}

std::string Database::Where() const {
  PGconn* connection = connection_.get();
  const std::string host = PQhost(connection) ? PQhost(connection) : "";
  return host + ":" + PQport(connection) + "/" + PQdb(connection) + " as " + PQuser(connection);
}

}  // namespace tally::forward
