// Start to window shown: launches startup_probe (which starts as the
// program does) several times and times each from just before the launch
// to the window's first paint, on the same monotonic clock. Also gives the
// resident memory of the program at rest.
// Usage: startup_bench [runs] (10 unless given).

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "rig/latency_samples.h"
#include "rig/process_figures.h"

extern char** environ;

namespace {

// The figures one probe printed, by name; empty when it failed.
std::map<std::string, long long> RunProbe(std::int64_t& launchedAt) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  char probePath[] = TALLY77_STARTUP_PROBE;
  char* arguments[] = {probePath, nullptr};
  pid_t child = 0;
  launchedAt = tally::bench::MonotonicMicroseconds();
  const int spawned = posix_spawn(&child, probePath, &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  std::map<std::string, long long> figures;
  if (spawned == 0) {
    FILE* output = ::fdopen(pipeEnds[0], "r");
    char name[64];
    long long value = 0;
    while (std::fscanf(output, "%63s %lld", name, &value) == 2) figures[name] = value;
    std::fclose(output);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) figures.clear();
  } else {
    ::close(pipeEnds[0]);
  }
  return figures;
}

}  // namespace

int main(int argc, char* argv[]) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
  if (runs < 1) {
    std::fprintf(stderr, "usage: startup_bench [runs]\n");
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  tally::bench::LatencySamples shown;
  tally::bench::LatencySamples cpu;
  tally::bench::LatencySamples resident;
  for (int run = 0; run < runs; ++run) {
    std::int64_t launchedAt = 0;
    const std::map<std::string, long long> figures = RunProbe(launchedAt);
    if (figures.count("shown_us") == 0 || figures.count("rss_at_rest_bytes") == 0) {
      std::fprintf(stderr, "startup_bench: the probe failed (run %d)\n", run + 1);
      return 1;
    }
    shown.Add(static_cast<double>(figures.at("shown_us") - launchedAt) / 1e3);
    cpu.Add(static_cast<double>(figures.at("cpu_at_shown_us")) / 1e3);
    resident.Add(static_cast<double>(figures.at("rss_at_rest_bytes")) / (1024.0 * 1024.0));
  }
  std::printf("startup_runs %d\n", runs);
  std::printf("startup_to_shown_ms_median %.1f\n", shown.Median());
  std::printf("startup_to_shown_ms_max %.1f\n", shown.Max());
  std::printf("startup_cpu_ms_median %.1f\n", cpu.Median());
  std::printf("rss_at_rest_MB_median %.1f\n", resident.Median());
  return 0;
}
