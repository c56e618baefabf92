#include "forward/pg_cluster.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "forward/child_process.h"

namespace tally::testing {
namespace {

namespace fs = std::filesystem;

// The newest Debian server's programs, else whatever initdb the PATH holds.
std::string FindBinDirectory() {
  std::vector<fs::path> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error)) {
    if (fs::exists(entry.path() / "bin" / "initdb")) found.push_back(entry.path() / "bin");
  }
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return std::stoi(a.parent_path().filename()) < std::stoi(b.parent_path().filename());
  });
  if (!found.empty()) return found.back();
  for (const char* folder : {"/usr/local/bin", "/usr/bin"}) {
    if (fs::exists(fs::path(folder) / "initdb")) return folder;
  }
  return "";
}

constexpr const char* kHba =
    "local all tally_forward scram-sha-256\n"
    "local all all trust\n";

}  // namespace

std::string PgCluster::RunAsOwner(const std::string& program, const std::vector<std::string>& arguments) const {
  std::vector<std::string> all{bin_ + "/" + program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::string output;
  const std::optional<RunAs> runAs = switchUser_ ? std::optional(RunAs{uid_, gid_}) : std::nullopt;
  if (RunProgram(all, output, 120'000, {}, runAs) != 0) return program + " failed: " + output;
  return "";
}

std::string PgCluster::Start() {
  bin_ = FindBinDirectory();
  if (bin_.empty()) return skipReason_ = "no initdb found (install Debian's postgresql package)";
  if (geteuid() == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) return skipReason_ = "running as root and no user \"nobody\" to run the server as";
    uid_ = nobody->pw_uid;
    gid_ = nobody->pw_gid;
    switchUser_ = true;
  }
  char folder[] = "/tmp/tally77-pg-XXXXXX";
  if (mkdtemp(folder) == nullptr) return skipReason_ = "cannot make a temporary folder";
  root_ = folder;
  if (switchUser_ && chown(folder, uid_, gid_) != 0) return skipReason_ = "cannot hand the folder to nobody";
  if (std::string failed = RunAsOwner("initdb", {"-D", root_ + "/data", "-U", kOwnerRole, "-A", "trust",
                                                  "-E", "UTF8", "--locale=C", "--no-sync"});
      !failed.empty()) {
    return skipReason_ = failed;
  }
  std::ofstream(root_ + "/data/pg_hba.conf", std::ios::trunc) << kHba;
  if (std::string failed = StartServer(); !failed.empty()) return skipReason_ = failed;
  skipReason_.clear();
  return "";
}

std::string PgCluster::StartServer() {
  const std::string options = "-k " + root_ + " -c listen_addresses='' -p 5432 -c fsync=off "
                              "-c synchronous_commit=off -c full_page_writes=off -c max_connections=120";
  std::string failed = RunAsOwner("pg_ctl", {"-D", root_ + "/data", "-l", root_ + "/server.log", "-w", "-t", "60",
                                             "-o", options, "start"});
  running_ = failed.empty();
  return failed;
}

std::string PgCluster::StopServer() {
  running_ = false;
  return RunAsOwner("pg_ctl", {"-D", root_ + "/data", "-w", "-t", "60", "-m", "fast", "stop"});
}

void PgCluster::Stop() {
  if (running_) (void)StopServer();
  if (!root_.empty()) {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
}

std::string PgCluster::Conninfo(const std::string& database, const std::string& role,
                                const std::string& password) const {
  std::string conninfo = "host=" + root_ + " port=5432 dbname=" + database + " user=" + role;
  if (!password.empty()) conninfo += " password=" + password;
  return conninfo;
}

PgCluster& Cluster() {
  static PgCluster cluster;
  return cluster;
}

}  // namespace tally::testing
