#pragma once
// A fresh data directory for one benchmark, removed afterwards. It lies
// under $TALLY77_BENCH_DIR when that is set, else under the system's
// temporary directory, so that the disk it is on can be chosen.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "doubles/temp_dir.h"

namespace tally::bench {

// The directory benchmark data directories are made in.
inline std::string BenchBaseDirectory() {
  const char* chosen = std::getenv("TALLY77_BENCH_DIR");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  return std::filesystem::temp_directory_path().string();
}

struct BenchDataDir : testing::TempDir {
  BenchDataDir() : TempDir(BenchBaseDirectory()) {}
  std::string FileName(const std::string& name) const { return dataPath() + name; }
};

}  // namespace tally::bench
