#include "rig/bench_data_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "common/path_text.h"

namespace tally::bench {

std::string BenchBaseDirectory() {
  const char* chosen = std::getenv("TALLY77_BENCH_DIR");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  return std::filesystem::temp_directory_path().string();
}

BenchDataDir::BenchDataDir() {
  namespace fs = std::filesystem;
  const fs::path base = BenchBaseDirectory();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        base / ("tally77-bench-" + std::to_string(::getpid()) + "-" + std::to_string(attempt));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("cannot create a benchmark data directory under " + base.string());
}

BenchDataDir::~BenchDataDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string BenchDataDir::dataPath() const { return path_ + kPathSeparator; }

}  // namespace tally::bench
