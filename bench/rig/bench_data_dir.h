#pragma once
// A fresh data directory for one benchmark, removed afterwards. It lies
// under $TALLY77_BENCH_DIR when that is set, else under the system's
// temporary directory, so that the disk it is on can be chosen.

#include <string>

namespace tally::bench {

class BenchDataDir {
 public:
  BenchDataDir();
  ~BenchDataDir();
  BenchDataDir(const BenchDataDir&) = delete;
  BenchDataDir& operator=(const BenchDataDir&) = delete;

  // Without a separator at the end, as the directory list gives it.
  const std::string& path() const { return path_; }
  // With the separator, as dataPath holds it.
  std::string dataPath() const;
  std::string FileName(const std::string& name) const { return dataPath() + name; }

 private:
  std::string path_;
};

// The directory benchmark data directories are made in.
std::string BenchBaseDirectory();

}  // namespace tally::bench
