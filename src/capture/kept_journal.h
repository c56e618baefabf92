#pragma once
// A journal of kept writes on disk, in a folder outside the data directory:
// every write the data directory did not take is appended as one record and
// flushed to the device before the operator is told the set is kept, so a
// kill, a crash or a power cut loses none. A record is marked done once its
// write was made; a journal whose records are all done is removed. The
// journal is locked while a program uses it, so two programs never replay
// the same records.
//
// Record: "K" "-" (done: "+") " " mode (A or R) durability (0, 1, 2) " "
// lengths of data directory, file name and bytes, " =" and sixteen places
// (for a replacement, the hash of what its file held when it was kept, in
// hexadecimal digits; dashes when not known), " @" and twenty places
// (dashes; for an append being made from the journal, the size its file had
// before it, in digits), then LF, the three texts and LF. A record cut short
// by a crash ends the journal. Records of older journals, without " =",
// are read too.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "capture/set_file_write.h"
#include "common/file_handle.h"
#include "common/outcome.h"
#include "records/data_files.h"

namespace tally {

struct KeptWrite {
  std::string dataPath;  // the data directory the write was due in
  SetFileWrite write;
  // A replacement: the hash (LineHash) of what its file held when it was
  // kept, or of the content an earlier kept replacement of it gives it;
  // none when that was not known (the directory away, say).
  std::optional<std::uint64_t> replacing = std::nullopt;
  std::string path() const { return InFolder(dataPath, write.name); }
};

class KeptJournal {
 public:
  // A new journal in folder, named so that names sort by time of creation.
  static Outcome<KeptJournal> Create(const std::string& folder);
  // A journal an earlier run left: fails when another running program holds
  // it, or it cannot be opened.
  static Outcome<KeptJournal> Adopt(const std::string& path);

  const std::string& path() const { return path_; }

  // Appends a record and flushes it to the device. A record cut short is
  // taken back.
  Status Append(const KeptWrite& kept);

  // Calls visit with every record not yet done, in order. Done marks the
  // record done (flushed); Waits leaves it for later; Stop leaves it and
  // ends the pass.
  enum class Visit { Done, Waits, Stop };
  Status ForEachWaiting(const std::function<Visit(const KeptWrite&)>& visit);

  // During visit: notes (flushed) where the visited append's file ends
  // before it is made, so that after a crash it can be found made; and the
  // place noted before, if any.
  Status NoteAppendAt(std::uint64_t at);
  [[nodiscard]] std::optional<std::uint64_t> NotedAppendAt() const { return visitingAt_; }

  // Closes the journal and removes its file.
  void Remove();

 private:
  KeptJournal(std::string path, FileHandle handle) : path_(std::move(path)), handle_(std::move(handle)) {}

  std::string path_;
  FileHandle handle_;  // locked while held
  long long visitingPlace_ = -1;  // the place field of the record being visited
  std::optional<std::uint64_t> visitingAt_;  // and what it holds
};

}  // namespace tally
