#include "capture/kept_writes.h"

#include <algorithm>

namespace tally {

bool KeptWrites::HoldsFile(const std::string& path) const {
  return std::any_of(writes_.begin(), writes_.end(),
                     [&path](const KeptWrite& kept) { return kept.path() == path; });
}

void KeptWrites::Keep(KeptWrite kept) {
  if (kept.write.mode == SetFileWrite::Mode::Replace) {
    const std::string path = kept.path();
    std::erase_if(writes_, [&path](const KeptWrite& older) {
      return older.write.mode == SetFileWrite::Mode::Replace && older.path() == path;
    });
  }
  writes_.push_back(std::move(kept));
}

KeptWrites::FlushResult KeptWrites::Flush() {
  FlushResult result;
  std::deque<KeptWrite> stillKept;
  for (KeptWrite& kept : writes_) {
    const std::string path = kept.path();
    if (result.failures.count(path) == 0) {
      Status status = PerformSetFileWrite(kept.dataPath, kept.write);
      if (!status) {
        result.writtenFiles.push_back(kept.write.name);
        continue;
      }
      result.failures.emplace(path, std::move(*status));
    }
    stillKept.push_back(std::move(kept));
  }
  writes_ = std::move(stillKept);
  return result;
}

std::vector<KeptWrite> KeptWrites::TakeAll() {
  std::vector<KeptWrite> all(std::make_move_iterator(writes_.begin()),
                             std::make_move_iterator(writes_.end()));
  writes_.clear();
  return all;
}

}  // namespace tally
