// tally77-capture as a process on a pseudo-terminal: start to port open,
// CPU and wake-ups idle with the port open, resident memory over a long run.
// Usage: service_bench [starts] [idle seconds] [sets]  (10, 60, 10000)
// Prints "name value" lines for bench/summarize.py.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "rig/bench_data_dir.h"
#include "rig/latency_samples.h"
#include "rig/process_figures.h"
#include "doubles/pty_peer.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/rate_file.h"

extern char** environ;

namespace {

using tally::bench::MonotonicMicroseconds;

constexpr int kPatienceMs = 10000;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The program, started on the port with its log on a pipe read here.
class Capture {
 public:
  Capture(const std::string& port, const std::string& dataDir) {
    int ends[2];
    if (::pipe(ends) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    std::string program = TALLY77_CAPTURE_PATH;
    std::string portOption = "--port", dirOption = "--data-dir", intervalOption = "--interval", one = "1";
    std::string portPath = port, dirPath = dataDir;
    char* arguments[] = {program.data(), portOption.data(), portPath.data(), dirOption.data(),
                         dirPath.data(), intervalOption.data(), one.data(), nullptr};
    launchedAt = MonotonicMicroseconds();
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, arguments, environ) != 0) {
      throw std::runtime_error("tally77-capture did not start");
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    log_ = ends[0];
  }
  ~Capture() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ::close(log_);
  }

  // Reads the log until count more lines containing text have come.
  void WaitFor(const std::string& text, long count = 1) {
    long seen = 0;
    while (seen < count) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        if (pending_.compare(0, end, text) == 0 || pending_.substr(0, end).find(text) != std::string::npos) ++seen;
        pending_.erase(0, end + 1);
        continue;
      }
      pollfd ready{log_, POLLIN, 0};
      if (::poll(&ready, 1, kPatienceMs) != 1) throw std::runtime_error("no \"" + text + "\" in the log");
      char chunk[65536];
      const ssize_t got = ::read(log_, chunk, sizeof chunk);
      if (got <= 0) throw std::runtime_error("the log ended before \"" + text + "\"");
      pending_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  // From /proc: CPU time in microseconds (the scheduler's nanosecond count;
  // the clock ticks of stat are 10 ms, too coarse for an idle minute).
  std::int64_t CpuMicroseconds() const {
    std::ifstream schedstat("/proc/" + std::to_string(pid_) + "/schedstat");
    long long nanoseconds = 0;
    schedstat >> nanoseconds;
    return nanoseconds / 1000;
  }
  long long Status(const std::string& name) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind(name + ":", 0) == 0) return std::stoll(line.substr(name.size() + 1));
    }
    return -1;
  }

  std::int64_t launchedAt = 0;

 private:
  pid_t pid_ = 0;
  int log_ = -1;
  std::string pending_;
};

void PrepareDataDir(const tally::bench::BenchDataDir& dir) {
  WriteFile(dir.FileName("ct.dat"), tally::DefaultChannelTable());
  WriteFile(dir.FileName("ferro.dat"), tally::DefaultRateFile());
  WriteFile(dir.FileName("ferro.txt"), tally::DefaultBillTemplate());
}

// A data directory with the default support files, and the program
// started on a new pseudo-terminal with its port open.
struct OpenCapture {
  OpenCapture() : capture(pty.path(), Prepared(dir)) { capture.WaitFor(") open"); }
  static std::string Prepared(const tally::bench::BenchDataDir& dir) {
    PrepareDataDir(dir);
    return dir.path();
  }
  tally::testing::PtyPeer pty{"", true};  // the port's end held open between opens
  tally::bench::BenchDataDir dir;
  Capture capture;
};

std::string Burst(long index) {
  const long channel = index % 16 + 1;
  return std::to_string(channel) + "," + std::to_string(100 + channel) + "," +
         std::to_string(index % 99999 + 1) + ",300";
}

void StartToPortOpen(int starts) {
  tally::bench::LatencySamples open;
  for (int run = 0; run < starts; ++run) {
    const OpenCapture started;
    open.Add(static_cast<double>(MonotonicMicroseconds() - started.capture.launchedAt) / 1e3);
  }
  std::printf("service_starts %d\n", starts);
  std::printf("service_start_to_open_ms_median %.1f\n", open.Median());
  std::printf("service_start_to_open_ms_max %.1f\n", open.Max());
}

void Idle(double seconds) {
  OpenCapture started;
  Capture& capture = started.capture;
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const std::int64_t cpuBefore = capture.CpuMicroseconds();
  const long long wakesBefore = capture.Status("voluntary_ctxt_switches");
  const std::int64_t wallBefore = MonotonicMicroseconds();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double wall = static_cast<double>(MonotonicMicroseconds() - wallBefore) / 1e6;
  const double cpuMs = static_cast<double>(capture.CpuMicroseconds() - cpuBefore) / 1e3;
  const double wakes = static_cast<double>(capture.Status("voluntary_ctxt_switches") - wakesBefore);
  std::printf("service_idle_seconds %.1f\n", wall);
  std::printf("service_idle_cpu_ms_per_60s %.1f\n", cpuMs * 60.0 / wall);
  std::printf("service_idle_wakeups_per_s %.2f\n", wakes / wall);
}

// Bursts one at a time, each awaited in the log: the quiet interval is 1 ms.
void LongRun(long sets) {
  OpenCapture started;
  Capture& capture = started.capture;
  tally::testing::PtyPeer& pty = started.pty;
  pty.Write("sync");
  capture.WaitFor("First burst dropped");
  const long early = sets < 1000 ? sets / 10 : 1000;
  double earlyMb = 0;
  const std::int64_t runStart = MonotonicMicroseconds();
  for (long index = 0; index < sets * 16; ++index) {
    pty.Write(Burst(index));
    capture.WaitFor(",00300");
    pty.Drain();
    if (index + 1 == early * 16) earlyMb = static_cast<double>(capture.Status("VmRSS")) / 1024.0;
  }
  capture.WaitFor("Set " + std::to_string(sets) + " written");
  const double lateMb = static_cast<double>(capture.Status("VmRSS")) / 1024.0;
  std::printf("service_sets %ld\n", sets);
  std::printf("service_sets_early %ld\n", early);
  std::printf("service_rss_MB_early %.1f\n", earlyMb);
  std::printf("service_rss_MB_late %.1f\n", lateMb);
  std::printf("service_peak_rss_MB %.1f\n", static_cast<double>(capture.Status("VmHWM")) / 1024.0);
  std::printf("service_run_seconds %.1f\n", static_cast<double>(MonotonicMicroseconds() - runStart) / 1e6);
}

}  // namespace

int main(int argc, char* argv[]) {
  const int starts = argc > 1 ? std::atoi(argv[1]) : 10;
  const double idleSeconds = argc > 2 ? std::atof(argv[2]) : 60;
  const long sets = argc > 3 ? std::atol(argv[3]) : 10000;
  if (starts < 1 || idleSeconds <= 0 || sets < 1) {
    std::fprintf(stderr, "usage: service_bench [starts] [idle seconds] [sets]\n");
    return 2;
  }
  try {
    StartToPortOpen(starts);
    Idle(idleSeconds);
    LongRun(sets);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "service_bench: %s\n", error.what());
    return 1;
  }
}
