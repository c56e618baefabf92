#include "rig/process_figures.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <fstream>

namespace tally::bench {

std::uint64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t totalPages = 0;
  std::uint64_t residentPages = 0;
  statm >> totalPages >> residentPages;
  return residentPages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

std::int64_t CpuMicroseconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto micros = [](const timeval& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000 + t.tv_usec;
  };
  return micros(usage.ru_utime) + micros(usage.ru_stime);
}

std::int64_t VoluntaryWaits() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_nvcsw;
}

std::int64_t MonotonicMicroseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace tally::bench
