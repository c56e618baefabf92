#pragma once
// A throw-away PostgreSQL cluster for one test run: initdb and pg_ctl of the
// Debian packages, run as an unprivileged user when the tests run as root,
// listening only on a Unix socket in a temporary folder, removed at the end.
// The owner role (superuser, trusted) runs migrations; the forwarder's role
// logs in with a password and may only INSERT and SELECT.

#include <string>
#include <vector>

namespace tally::testing {

inline constexpr const char* kOwnerRole = "tally_owner";
inline constexpr const char* kForwardRole = "tally_forward";
inline constexpr const char* kForwardPassword = "Forward-Secret-77";

class PgCluster {
 public:
  // Starts the cluster; "" when it runs, else the reason it cannot.
  std::string Start();
  void Stop();  // and removes it
  // Stops and starts the server of a running cluster ("" when done).
  std::string StopServer();
  std::string StartServer();

  const std::string& skipReason() const { return skipReason_; }
  // A libpq connection string for a database as a role.
  std::string Conninfo(const std::string& database, const std::string& role,
                       const std::string& password = "") const;
  const std::string& binDirectory() const { return bin_; }

 private:
  std::string RunAsOwner(const std::string& program, const std::vector<std::string>& arguments) const;

  std::string skipReason_ = "the cluster was not started";
  std::string bin_;
  std::string root_;  // socket folder, data/ and server.log inside
  unsigned uid_ = 0, gid_ = 0;
  bool switchUser_ = false;
  bool running_ = false;
};

// The one cluster of this test run (a GoogleTest environment starts it).
PgCluster& Cluster();

}  // namespace tally::testing
