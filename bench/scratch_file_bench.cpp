// Where the time of a processed burst goes: the scratch file "cp.txt" is
// written anew for every burst. This times that write alone, as the
// program makes it (written into the companion, which swaps names with
// it), beside a new file renamed over the old one, the same bytes
// written over the old file in place, and the read back.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "common/file_io.h"
#include "rig/bench_data_dir.h"
#include "rig/reading_rig.h"

namespace tally::bench {
namespace {

std::string ScratchText(int readingNumber) {
  const std::string burst = FliBurst(readingNumber % 16 + 1, readingNumber);
  return burst + "\r\n" + burst + "\r\n";
}

void Replaced(benchmark::State& state, Durability durability) {
  BenchDataDir dir;
  const std::string path = dir.FileName("cp.txt");
  int readingNumber = 0;
  for (auto _ : state) {
    if (!ReplaceFile(path, ScratchText(++readingNumber), durability).ok()) {
      state.SkipWithError("cannot write cp.txt");
      return;
    }
  }
}

void ReplacedAsScratch(benchmark::State& state) { Replaced(state, Durability::Scratch); }
BENCHMARK(ReplacedAsScratch)->Unit(benchmark::kMicrosecond);

void ReplacedByRename(benchmark::State& state) { Replaced(state, Durability::Plain); }
BENCHMARK(ReplacedByRename)->Unit(benchmark::kMicrosecond);

// Written from the start of the old file and cut to the new length.
void OverwrittenInPlace(benchmark::State& state) {
  BenchDataDir dir;
  const std::string path = dir.FileName("cp.txt");
  int readingNumber = 0;
  for (auto _ : state) {
    const std::string text = ScratchText(++readingNumber);
    const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT, 0666);
    const bool written = handle >= 0 &&
                         ::pwrite(handle, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()) &&
                         ::ftruncate(handle, static_cast<off_t>(text.size())) == 0;
    if (handle >= 0) ::close(handle);
    if (!written) {
      state.SkipWithError("cannot write cp.txt");
      return;
    }
  }
}
BENCHMARK(OverwrittenInPlace)->Unit(benchmark::kMicrosecond);

void ReadBack(benchmark::State& state) {
  BenchDataDir dir;
  const std::string path = dir.FileName("cp.txt");
  if (!ReplaceFile(path, ScratchText(1), Durability::Plain).ok()) {
    state.SkipWithError("cannot write cp.txt");
    return;
  }
  for (auto _ : state) {
    const Outcome<std::string> content = ReadWholeFile(path);
    if (!content.ok()) {
      state.SkipWithError("cannot read cp.txt");
      return;
    }
    benchmark::DoNotOptimize(content.value().data());
  }
}
BENCHMARK(ReadBack)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tally::bench

BENCHMARK_MAIN();
