// Where the time of a processed burst goes: the scratch file "cp.txt" is
// written anew for every burst and read back. This times that as the
// program makes it (written into the companion held open with the file,
// which then swap names, and read back), beside the same with the
// companion opened for each burst, the write alone with a new file renamed
// over the old one, the same bytes written over the old file in place,
// and the read back alone.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "common/file_io.h"
#include "common/scratch_companion.h"
#include "rig/bench_data_dir.h"
#include "rig/reading_rig.h"

namespace tally::bench {
namespace {

std::string ScratchText(int readingNumber) {
  const std::string burst = FliBurst(readingNumber % 16 + 1, readingNumber);
  return burst + "\r\n" + burst + "\r\n";
}

// One burst after another, each replacing "cp.txt" with replace(path, text).
template <typename Replace>
void Bursts(benchmark::State& state, Replace replace) {
  BenchDataDir dir;
  const std::string path = dir.FileName("cp.txt");
  int readingNumber = 0;
  for (auto _ : state) {
    if (!replace(path, ScratchText(++readingNumber))) {
      state.SkipWithError("cannot write cp.txt");
      return;
    }
  }
}

void Replaced(benchmark::State& state, Durability durability) {
  Bursts(state, [durability](const std::string& path, const std::string& text) {
    return ReplaceFile(path, text, durability).ok();
  });
}

void ReplacedAsScratch(benchmark::State& state) { Replaced(state, Durability::Scratch); }
BENCHMARK(ReplacedAsScratch)->Unit(benchmark::kMicrosecond);

// Written and read back, the companion opened for each burst.
void ReadBackAsScratch(benchmark::State& state) {
  Bursts(state, [](const std::string& path, const std::string& text) {
    return ReplaceFileAndReadBack(path, text, Durability::Scratch).ok();
  });
}
BENCHMARK(ReadBackAsScratch)->Unit(benchmark::kMicrosecond);

// Written and read back as the program does, the pair held between bursts.
void ReadBackAsHeldScratch(benchmark::State& state) {
  ScratchPair pair;
  Bursts(state, [&pair](const std::string& path, const std::string& text) {
    return ReplaceScratchAndReadBack(pair, path, text).ok();
  });
}
BENCHMARK(ReadBackAsHeldScratch)->Unit(benchmark::kMicrosecond);

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
