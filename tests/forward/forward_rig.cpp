#include "forward/forward_rig.h"

#include <libpq-fe.h>

#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <optional>

#include "faults/fault_run.h"

namespace tally::testing {
namespace {

constexpr const char* kTemplate = "tally77_template";

// Starts the cluster once for the whole run and prepares the template.
class ClusterEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!Cluster().Start().empty()) return;
    const std::string postgres = Cluster().Conninfo("postgres", kOwnerRole);
    Sql(postgres, std::string("CREATE DATABASE ") + kTemplate);
    Sql(postgres, std::string("CREATE ROLE ") + kForwardRole + " LOGIN PASSWORD '" + kForwardPassword + "'");
    ASSERT_EQ(MigrateAndGrant(kTemplate), "");
  }
  void TearDown() override { Cluster().Stop(); }
};

[[maybe_unused]] const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ClusterEnvironment);

std::vector<std::string> ForwardArguments(const std::string& dataDirectory, const std::string& conninfo,
                                          const std::string& station) {
  std::vector<std::string> arguments{TALLY77_FORWARD_PATH, "--data-dir", dataDirectory, "--db", conninfo};
  if (!station.empty()) arguments.insert(arguments.end(), {"--station", station});
  return arguments;
}

}  // namespace

SqlRows Sql(const std::string& conninfo, const std::string& sql) {
  const char* keywords[] = {"dbname", "client_encoding", nullptr};
  const char* values[] = {conninfo.c_str(), "LATIN1", nullptr};
  PGconn* connection = PQconnectdbParams(keywords, values, 1);
  PQsetNoticeProcessor(connection, [](void*, const char*) {}, nullptr);
  SqlRows rows;
  PGresult* result = PQexec(connection, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    ADD_FAILURE() << sql << ": " << PQerrorMessage(connection);
  } else {
    for (int row = 0; row < PQntuples(result); ++row) {
      rows.emplace_back();
      for (int column = 0; column < PQnfields(result); ++column) {
        rows.back().push_back(PQgetisnull(result, row, column)
                                  ? "<null>"
                                  : std::string(PQgetvalue(result, row, column),
                                                static_cast<std::size_t>(PQgetlength(result, row, column))));
      }
    }
  }
  PQclear(result);
  PQfinish(connection);
  return rows;
}

std::string MigrateAndGrant(const std::string& database) {
  std::string output;
  if (RunProgram({TALLY77_FORWARD_PATH, "--migrate", "--db", Cluster().Conninfo(database, kOwnerRole)}, output) != 0) {
    return output;
  }
  Sql(Cluster().Conninfo(database, kOwnerRole),
      std::string("GRANT USAGE ON SCHEMA tally77 TO ") + kForwardRole +
          "; GRANT SELECT, INSERT ON ALL TABLES IN SCHEMA tally77 TO " + kForwardRole);
  return "";
}

HeldLock::HeldLock(const std::string& conninfo, const std::string& table) {
  PGconn* connection = PQconnectdb(conninfo.c_str());
  connection_ = connection;
  PGresult* result = PQexec(connection, ("BEGIN; LOCK TABLE " + table + " IN ACCESS EXCLUSIVE MODE").c_str());
  if (PQresultStatus(result) != PGRES_COMMAND_OK) ADD_FAILURE() << "cannot lock " << table << ": " << PQerrorMessage(connection);
  PQclear(result);
}

void HeldLock::Release() {
  if (connection_ == nullptr) return;
  PQclear(PQexec(static_cast<PGconn*>(connection_), "COMMIT"));
  PQfinish(static_cast<PGconn*>(connection_));
  connection_ = nullptr;
}

void ForwardTest::UseDatabaseEncoded(const std::string& encoding) {
  database_ += "_encoded";
  Sql(Cluster().Conninfo("postgres", kOwnerRole), "CREATE DATABASE " + database_ + " ENCODING '" + encoding +
                                                      "' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
}

void ForwardTest::SetUp() {
  if (!Cluster().skipReason().empty()) GTEST_SKIP() << "no PostgreSQL server: " << Cluster().skipReason();
  static int counter = 0;
  database_ = "forward_test_" + std::to_string(++counter);
  const std::string postgres = Cluster().Conninfo("postgres", kOwnerRole);
  Sql(postgres, "CREATE DATABASE " + database_ + " TEMPLATE " + kTemplate);
}

int ForwardTest::ForwardOnce(const std::string& dataDirectory, std::string& output,
                             const std::vector<std::string>& environment, const std::string& station) const {
  std::vector<std::string> arguments = ForwardArguments(dataDirectory, ForwardConninfo(), station);
  arguments.push_back("--once");
  return RunProgram(arguments, output, 60'000, environment);
}

std::unique_ptr<ChildProcess> ForwardTest::StartFollowing(const std::string& dataDirectory,
                                                          const std::vector<std::string>& environment) {
  static int started = 0;
  return std::make_unique<ChildProcess>(ForwardArguments(dataDirectory, ForwardConninfo(), "S1"),
                                        dir.dataPath() + "forward-" + std::to_string(++started) + ".log",
                                        environment);
}

std::vector<std::string> ForwardTest::StoredRecords(const std::string& station) const {
  std::vector<std::string> records;
  for (const auto& row : Query("SELECT record FROM tally77.sets JOIN tally77.stations s ON s.id = station_id "
                               "WHERE s.name = '" + station + "' ORDER BY stamp, file_offset")) {
    records.push_back(row.at(0));
  }
  return records;
}

void ForwardTest::ExpectStoredOnce(const std::string& fileContent, const std::string& station) const {
  std::vector<std::string> lines = LinesOf(fileContent);
  std::vector<std::string> stored = StoredRecords(station);
  std::sort(lines.begin(), lines.end());
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, lines);
}

::testing::AssertionResult StopsCleanlyOnSigterm(ChildProcess& forwarder) {
  forwarder.Signal(SIGTERM);
  const std::optional<int> status = forwarder.Wait(30'000);
  if (!status) return ::testing::AssertionFailure() << "still running 30 s after SIGTERM:\n" << forwarder.Output();
  if (WIFEXITED(*status) && WEXITSTATUS(*status) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "ended with wait status " << *status << ":\n" << forwarder.Output();
}

}  // namespace tally::testing
