#pragma once
// Writes of the run's data files (set files, alarm log lines) that could not
// be made when they were due: kept in order and made before any newer write
// of the same file as soon as the directory takes writes again. Kept writes
// go to a journal on disk (see kept_journal.h) once a journal folder is
// given; memory holds them only while no journal can be written.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "capture/kept_journal.h"
#include "capture/set_file_write.h"
#include "common/outcome.h"

namespace tally {

class KeptWrites {
 public:
  // Keeps writes in a journal in folder from now on, and takes on the
  // journals earlier runs left there that no running program holds, oldest
  // first: their writes are made before this run's. Gives their paths.
  std::vector<std::string> UseJournalFolder(const std::string& folder);

  // The journal folder, "" before one is given. It also holds the notes of
  // appends of several lines (append_note.h).
  const std::string& journalFolder() const { return journalFolder_; }

  bool empty() const { return waiting_.empty(); }
  // Writes waiting, in journals and in memory.
  std::size_t size() const;
  // The writes held in memory.
  const std::deque<KeptWrite>& writes() const { return memory_; }
  // The journals that hold writes still waiting.
  std::vector<std::string> JournalPaths() const;

  // Whether a write of this file waits, so that a newer one must wait too.
  bool HoldsFile(const std::string& path) const { return waiting_.count(path) != 0; }

  // Keeps a write, in the journal when there is one. A write the journal
  // does not take stays in memory, and so does every later one until the
  // memory is empty again; the journal's failure is given the first time.
  // In memory a replacement makes an older kept replacement of the same
  // file needless: only the newest content of a replaced file counts.
  Status Keep(KeptWrite kept);

  struct FlushResult {
    std::vector<std::string> writtenFiles;    // names, in the order written
    std::map<std::string, Failure> failures;  // by path: the write that failed
    std::vector<Failure> unflushed;           // made, but not flushed to the device
    std::vector<std::string> newerFiles;      // paths whose kept replacement was not made: they are newer
  };
  // Makes the kept writes in the order they were kept: journals first, then
  // memory. A write waits while an earlier write of the same file failed in
  // this pass. A journal whose writes are all made is removed. A write from
  // a journal is made once, whatever crash came between it and its done
  // mark: an append is not made again where it already stands whole, a
  // replacement not where the file already holds its content. A replacement
  // from a journal is not made over a file written anew since it was kept
  // (by another run sharing the journal folder, say): it counts as done,
  // and the file is given in newerFiles.
  FlushResult Flush();

  // Takes every write kept in memory out, in order.
  std::vector<KeptWrite> TakeAll();

 private:
  struct JournalInUse {
    KeptJournal journal;
    std::size_t waiting = 0;
  };
  bool TryWrite(const KeptWrite& kept, FlushResult& result, KeptJournal* journal = nullptr);
  void Waits(const std::string& path) { ++waiting_[path]; }
  void Written(const std::string& path);

  std::string journalFolder_;
  std::vector<JournalInUse> journals_;  // taken on first, this run's own last
  bool ownJournalOpen_ = false;
  std::deque<KeptWrite> memory_;
  std::map<std::string, std::size_t> waiting_;  // by path, journals and memory
  // By path, while its writes wait: the hash of the newest kept replacement
  // in a journal, what the file holds once that is made.
  std::map<std::string, std::uint64_t> keptContent_;
};

}  // namespace tally
