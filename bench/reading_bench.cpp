// The reading path, timed call by call: one processed burst (decoded
// through the scratch file, taken into the set, checked against its
// channel's limits) and one completed set (the sixteenth burst: also the
// set record and the four set files with their flushes). Each runs in a
// fresh data directory and again with large "fl.db1" and "usage.cap"
// already in place ($TALLY77_BENCH_LARGE_MB megabytes each, 1024 unless
// set), to show that the cost of a line does not grow with them.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "rig/large_file.h"
#include "rig/latency_samples.h"
#include "rig/reading_rig.h"

namespace tally::bench {
namespace {

constexpr int kLinesPerSet = 16;
constexpr std::uint64_t kMegabyte = 1u << 20;
constexpr std::uint64_t kSettleFromMegabytes = 64;
constexpr int kSettleSeconds = 5;

using Clock = std::chrono::steady_clock;

std::uint64_t LargeFileMegabytes() {
  const char* chosen = std::getenv("TALLY77_BENCH_LARGE_MB");
  if (chosen == nullptr || *chosen == '\0') return 1024;
  return std::strtoull(chosen, nullptr, 10);
}

// One rig per file size, made on first use and kept for the later runs of
// the same benchmark, so that the large files are written once.
std::map<std::uint64_t, std::unique_ptr<ReadingRig>>& Rigs() {
  static std::map<std::uint64_t, std::unique_ptr<ReadingRig>> rigs;
  return rigs;
}

ReadingRig& RigWithSetFiles(std::uint64_t megabytes) {
  std::unique_ptr<ReadingRig>& rig = Rigs()[megabytes];
  if (!rig) {
    rig = std::make_unique<ReadingRig>();
    if (megabytes > 0) {
      // Lines shaped as the real ones: a stamped record and a short line.
      const std::string record = "fL01202612061430150001," + std::string(300, '0') + "\r\n";
      const std::string shortLine = "01,105,00020,00300\r\n";
      GrowFileWithLines(rig->dir.FileName("fl.db1"), megabytes * kMegabyte, record);
      GrowFileWithLines(rig->dir.FileName("usage.cap"), megabytes * kMegabyte, shortLine);
    }
  }
  return *rig;
}

// The next burst of the set in progress: channels 1..16 in turn.
std::string NextBurst(const ReadingRig& rig, int readingNumber) {
  return FliBurst(static_cast<int>(rig.context.state.lineCount) + 1, readingNumber);
}

// Processes the burst and times it; false when the line was not taken.
bool TimedProcess(ReadingRig& rig, const std::string& burst, benchmark::State& state,
                  LatencySamples& samples) {
  const std::size_t listedBefore = rig.surface.list1Entries;
  const auto start = Clock::now();
  rig.Process(burst);
  const auto stop = Clock::now();
  const double seconds = std::chrono::duration<double>(stop - start).count();
  state.SetIterationTime(seconds);
  samples.Add(seconds * 1e6);
  return rig.surface.list1Entries == listedBefore + 1;
}

// The share is taken of the mean time on the wire of the bursts timed
// (their length varies with the reading number).
void ReportFigures(benchmark::State& state, LatencySamples& samples, const ReadingRig& rig,
                   double wireMicroseconds) {
  const double median = samples.Median();
  state.counters["median_us"] = median;
  state.counters["p90_us"] = samples.Quantile(0.9);
  state.counters["p99_us"] = samples.Quantile(0.99);
  state.counters["max_us"] = samples.Max();
  state.counters["wire_us"] = wireMicroseconds;
  state.counters["wire_share_pct"] = 100.0 * median / wireMicroseconds;
  state.counters["fl_db1_MB"] =
      static_cast<double>(FileBytes(rig.dir.FileName("fl.db1"))) / static_cast<double>(kMegabyte);
  state.counters["usage_cap_MB"] =
      static_cast<double>(FileBytes(rig.dir.FileName("usage.cap"))) / static_cast<double>(kMegabyte);
}

bool SetFilesFailed(const ReadingRig& rig, std::size_t list2Before) {
  return rig.surface.list2Entries != list2Before;
}

// completesSet false: lines 1 to 15 of a set, the sixteenth processed
// untimed (it is the other benchmark). completesSet true: the sixteenth
// line, with lines 1 to 15 processed untimed before it; the set files are
// written and flushed.
void TimedLine(benchmark::State& state, std::uint64_t megabytes, bool completesSet) {
  ReadingRig& rig = RigWithSetFiles(megabytes);
  const CaptureState& capture = rig.context.state;
  LatencySamples samples;
  int readingNumber = 0;
  double wire = 0;
  for (auto _ : state) {
    while (completesSet ? capture.lineCount < kLinesPerSet - 1 : capture.lineCount == kLinesPerSet - 1) {
      rig.Process(NextBurst(rig, ++readingNumber));
    }
    const auto setsBefore = capture.obsCount;
    const std::size_t list2Before = rig.surface.list2Entries;
    const std::string burst = NextBurst(rig, ++readingNumber);
    wire += WireMicroseconds(burst);
    const bool taken = TimedProcess(rig, burst, state, samples);
    if (!taken || (completesSet && (capture.obsCount != setsBefore + 1 || SetFilesFailed(rig, list2Before)))) {
      const std::string what = completesSet ? "set not completed: " : "burst not taken: ";
      state.SkipWithError((what + rig.surface.lastList2).c_str());
      return;
    }
  }
  ReportFigures(state, samples, rig, wire / static_cast<double>(samples.Count()));
}

// The large files are written before any timing, and the disk is given a
// moment to finish with them, so that the fresh and the large runs (which
// bench/run.sh interleaves) meet the same disk.
void PrepareLargeFiles(std::uint64_t megabytes) {
  RigWithSetFiles(megabytes);
  if (megabytes < kSettleFromMegabytes) return;
  ::sync();
  std::this_thread::sleep_for(std::chrono::seconds(kSettleSeconds));
}

void RegisterReadingBenchmarks() {
  const std::uint64_t large = LargeFileMegabytes();
  std::vector<std::uint64_t> sizes{0};
  if (large > 0) {
    sizes.push_back(large);
    PrepareLargeFiles(large);
  }
  for (const std::uint64_t megabytes : sizes) {
    const std::string files =
        megabytes == 0 ? "/fresh" : "/set_files_" + std::to_string(megabytes) + "MB";
    for (const bool completesSet : {false, true}) {
      benchmark::RegisterBenchmark(((completesSet ? "CompletedSet" : "ProcessedBurst") + files).c_str(), TimedLine,
                                   megabytes, completesSet)
          ->UseManualTime()
          ->Unit(benchmark::kMicrosecond);
    }
  }
}

}  // namespace
}  // namespace tally::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tally::bench::RegisterReadingBenchmarks();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // The data directories, large files included, go before the program ends.
  tally::bench::Rigs().clear();
  return 0;
}
