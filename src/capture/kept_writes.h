#pragma once
// Writes of the run's data files (set files, alarm log lines) that could not
// be made when they were due: kept in memory, in order, and made before any
// newer write of the same file as soon as the directory takes writes again.

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "capture/set_file_write.h"
#include "common/outcome.h"

namespace tally {

struct KeptWrite {
  std::string dataPath;  // the data directory the write was due in
  SetFileWrite write;
  std::string path() const { return dataPath + write.name; }
};

class KeptWrites {
 public:
  bool empty() const { return writes_.empty(); }
  std::size_t size() const { return writes_.size(); }
  const std::deque<KeptWrite>& writes() const { return writes_; }

  // Whether a write of this file waits, so that a newer one must wait too.
  bool HoldsFile(const std::string& path) const;

  // Keeps a write. A replacement makes an older kept replacement of the same
  // file needless: only the newest content of a replaced file counts.
  void Keep(KeptWrite kept);

  struct FlushResult {
    std::vector<std::string> writtenFiles;  // names, in the order written
    std::map<std::string, Failure> failures;  // by path: the write that failed
  };
  // Makes the kept writes in the order they were kept. A write waits while
  // an earlier write of the same file failed in this pass.
  FlushResult Flush();

  // Takes every kept write out, in order.
  std::vector<KeptWrite> TakeAll();

 private:
  std::deque<KeptWrite> writes_;
};

}  // namespace tally
