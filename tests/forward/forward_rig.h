#pragma once
// The database tests' rig: a fresh database per test (a copy of a migrated
// template in the run's cluster, the forwarder's role granted INSERT and
// SELECT), tally77-forward run on a data directory, and the stored rows read
// back with the file's 8-bit text as Latin-1.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "doubles/temp_dir.h"
#include "forward/child_process.h"
#include "forward/pg_cluster.h"

namespace tally::testing {

using SqlRows = std::vector<std::vector<std::string>>;  // NULL reads as "<null>"

// Runs sql on conninfo; a failure fails the test and gives no rows.
SqlRows Sql(const std::string& conninfo, const std::string& sql);

// Migrates a database of the run's cluster and grants the forwarder's role
// INSERT and SELECT on its tables; "" when done, else what went wrong.
std::string MigrateAndGrant(const std::string& database);

// Sends SIGTERM to a following forwarder and waits for it: success when it
// exits 0; otherwise how it ended, with its output.
::testing::AssertionResult StopsCleanlyOnSigterm(ChildProcess& forwarder);

// A transaction of the owner holding one table's ACCESS EXCLUSIVE lock, so
// that whoever touches the table waits, until Release or the end.
class HeldLock {
 public:
  HeldLock(const std::string& conninfo, const std::string& table);
  ~HeldLock() { Release(); }
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;
  void Release();

 private:
  void* connection_ = nullptr;  // PGconn
};

class ForwardTest : public ::testing::Test {
 protected:
  void SetUp() override;

  std::string OwnerConninfo() const { return Cluster().Conninfo(database_, kOwnerRole); }
  std::string ForwardConninfo() const { return Cluster().Conninfo(database_, kForwardRole, kForwardPassword); }
  SqlRows Query(const std::string& sql) const { return Sql(OwnerConninfo(), sql); }

  // tally77-forward --once on dataDirectory as station (its default when
  // ""); its exit code, output in output.
  int ForwardOnce(const std::string& dataDirectory, std::string& output,
                  const std::vector<std::string>& environment = {}, const std::string& station = "S1") const;
  // tally77-forward following dataDirectory as station S1 until signalled;
  // environment: "NAME=value" entries added.
  std::unique_ptr<ChildProcess> StartFollowing(const std::string& dataDirectory,
                                               const std::vector<std::string>& environment = {});

  // The records stored for a station, in file order.
  std::vector<std::string> StoredRecords(const std::string& station = "S1") const;
  // Whether every line of the file content is stored exactly once, and nothing else.
  void ExpectStoredOnce(const std::string& fileContent, const std::string& station = "S1") const;
  long long Count(const std::string& sql) const { return std::stoll(Query(sql).at(0).at(0)); }
  // The test goes on with a new empty database of that encoding instead.
  void UseDatabaseEncoded(const std::string& encoding);

  TempDir dir;

 private:
  std::string database_;
};

}  // namespace tally::testing
