// tally77-forward against PostgreSQL, in a cluster started here as the tests
// start theirs:
//  - backfill: N sets (default 1,000,000) of one data directory into an empty
//    database, beside psql's \copy of the same rows (sets and readings, from
//    CSV files exported from the forwarded database) into another empty
//    database with the same schema and indexes: the practical limit;
//  - following: sets appended one at a time while the forwarder follows;
//    its CPU time per set and the batches (one round trip each) it needed.
// Usage: forward_bench [sets] [followed sets]

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "forward/child_process.h"
#include "forward/pg_cluster.h"

namespace {

using namespace tally::testing;
using Clock = std::chrono::steady_clock;

// The load average of the last minute: the machine is shared.
std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string oneMinute;
  in >> oneMinute;
  return oneMinute.empty() ? "?" : oneMinute;
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// One fLI set in channel order; the minute of the stamp and field 2 tell the
// sets apart.
std::string SetLine(long long number) {
  const std::time_t when = 1767225600 + number * 60;  // 2026-01-01 00:00 on
  std::tm t{};
  gmtime_r(&when, &t);
  char line[400];
  int at = std::snprintf(line, sizeof line, "MTR1%04d%02d%02d%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
                         t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  for (int channel = 1; channel <= 16; ++channel) {
    at += std::snprintf(line + at, sizeof line - at, ",%02d,%03lld,%05d,%05d", channel, (number + channel) % 1000,
                        20, 300);
  }
  return std::string(line, static_cast<std::size_t>(at)) + "  \r\n";
}

void WriteSets(const std::string& path, long long from, long long count) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  for (long long i = from; i < from + count; ++i) out << SetLine(i);
}

std::string Psql(const std::string& conninfo, const std::string& command) {
  std::string output;
  if (RunProgram({Cluster().binDirectory() + "/psql", "-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", "-d", conninfo,
                  "-c", command},
                 output, 3'600'000) != 0) {
    std::fprintf(stderr, "psql failed: %s\n%s\n", command.c_str(), output.c_str());
    std::exit(1);
  }
  return output;
}

std::string Conninfo(const std::string& database) { return Cluster().Conninfo(database, kOwnerRole); }

void FreshDatabase(const std::string& name) {
  Psql(Conninfo("postgres"), "CREATE DATABASE " + name);
  std::string output;
  if (RunProgram({TALLY77_FORWARD_PATH, "--migrate", "--db", Conninfo(name)}, output) != 0) {
    std::fprintf(stderr, "migration failed: %s\n", output.c_str());
    std::exit(1);
  }
}

double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Backfill(const std::string& folder, long long sets) {
  const std::string data = folder + "/BACK";
  std::filesystem::create_directory(data);
  WriteSets(data + "/fl.db1", 0, sets);
  FreshDatabase("backfill");
  FreshDatabase("copied");

  const std::string loadBefore = LoadAverage();
  const double cpuBefore = ChildCpuSeconds();
  const auto start = Clock::now();
  std::string output;
  const int status = RunProgram(
      {TALLY77_FORWARD_PATH, "--data-dir", data, "--db", Conninfo("backfill"), "--station", "bench", "--once"}, output,
      3'600'000);
  const double forwardSeconds = SecondsSince(start);
  const double forwardCpu = ChildCpuSeconds() - cpuBefore;
  const std::string loadForwarded = LoadAverage();
  const std::string stored = Psql(Conninfo("backfill"), "SELECT count(*) FROM tally77.sets");
  if (status != 0 || std::stoll(stored) != sets) {
    std::fprintf(stderr, "backfill failed (%d, %s sets stored): %s\n", status, stored.c_str(), output.c_str());
    std::exit(1);
  }

  std::printf("tally77-forward stored %lld sets in %.1f s (load average %s at the start, %s at the end)\n", sets,
              forwardSeconds, loadBefore.c_str(), loadForwarded.c_str());
  std::fflush(stdout);

  // The same rows as CSV, then \copy into the empty twin.
  const std::string setColumns = "id, station_id, marker, stamp, utc_offset, taken_at, processor_type, record, file_offset";
  const std::string readingColumns =
      "set_id, slot, station_id, taken_at, channel, line, field1, field2, field3, field4, field5, field6, field7, field8";
  Psql(Conninfo("backfill"), "\\copy (SELECT " + setColumns + " FROM tally77.sets) TO '" + folder + "/sets.csv' CSV");
  Psql(Conninfo("backfill"),
       "\\copy (SELECT " + readingColumns + " FROM tally77.readings) TO '" + folder + "/readings.csv' CSV");
  Psql(Conninfo("copied"), "INSERT INTO tally77.stations (name) VALUES ('bench')");
  const auto copyStart = Clock::now();
  Psql(Conninfo("copied"), "\\copy tally77.sets (" + setColumns + ") FROM '" + folder + "/sets.csv' CSV");
  Psql(Conninfo("copied"), "\\copy tally77.readings (" + readingColumns + ") FROM '" + folder + "/readings.csv' CSV");
  const double copySeconds = SecondsSince(copyStart);

  std::printf("backfill of %lld sets (%lld readings): tally77-forward %.1f s (%.0f sets/s, CPU %.1f s), "
              "psql \\copy of the same rows %.1f s: %.2fx; load average %s at the start, %s after the forwarder, "
              "%s after \\copy\n",
              sets, sets * 16, forwardSeconds, sets / forwardSeconds, forwardCpu, copySeconds,
              forwardSeconds / copySeconds, loadBefore.c_str(), loadForwarded.c_str(), LoadAverage().c_str());
  std::fflush(stdout);
}

void Follow(const std::string& folder, long long sets) {
  const std::string data = folder + "/LIVE";
  std::filesystem::create_directory(data);
  FreshDatabase("followed");
  ChildProcess forwarder({TALLY77_FORWARD_PATH, "--data-dir", data, "--db", Conninfo("followed"), "--station", "live"},
                         folder + "/follow.log");
  const std::string path = data + "/fl.db1";
  for (long long i = 0; i < sets; ++i) {
    WriteSets(path, i, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const bool caughtUp = Eventually(
      [&] { return std::stoll(Psql(Conninfo("followed"), "SELECT count(*) FROM tally77.sets")) == sets; }, 60'000);
  const double cpuBefore = ChildCpuSeconds();
  forwarder.Signal(SIGTERM);
  const std::optional<int> status = forwarder.Wait(30'000);
  const double cpu = ChildCpuSeconds() - cpuBefore;
  const long long batches = std::stoll(Psql(Conninfo("followed"), "SELECT count(*) FROM tally77.positions"));
  if (!caughtUp || !status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) {
    std::fprintf(stderr, "following failed:\n%s\n", forwarder.Output().c_str());
    std::exit(1);
  }
  std::printf("following %lld sets appended 50 ms apart: %lld batches (one round trip each), CPU %.2f ms per set "
              "(the 250 ms idle look at the files included)\n",
              sets, batches, cpu * 1000 / sets);
}

}  // namespace

int main(int argc, char** argv) {
  const long long sets = argc > 1 ? std::atoll(argv[1]) : 1'000'000;
  const long long followed = argc > 2 ? std::atoll(argv[2]) : 200;
  if (const std::string reason = Cluster().Start(); !reason.empty()) {
    std::printf("skipped: no PostgreSQL server: %s\n", reason.c_str());
    return 0;
  }
  char folder[] = "/tmp/tally77-forward-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  chmod(folder, 0755);  // the server reads and writes no file here, psql (as us) does
  Backfill(folder, sets);
  Follow(folder, followed);
  std::filesystem::remove_all(folder);
  Cluster().Stop();
  return 0;
}
