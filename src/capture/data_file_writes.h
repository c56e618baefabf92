#pragma once
// Writing the run's data files so that nothing completed is lost: a write
// the directory does not take is kept (in a journal on disk, else in
// memory) and made later, in order.

#include <string>
#include <vector>

#include "capture/capture_context.h"
#include "capture/set_files.h"
#include "common/outcome.h"

namespace tally {

// Makes the kept writes that are due first, then the given writes in order.
// A write whose file still has a kept write waiting, or that fails now, is
// kept. Returns the first failure (none when every write was made).
Status WriteOrKeep(CaptureContext& context, const std::vector<SetFileWrite>& writes);

// Tries the kept writes again. When the last of them has been made, the
// operator is told.
void RetryKeptWrites(CaptureContext& context);

// At the start of the program: kept writes go to a journal in folder from
// now on (see JournalFolder). Journals an earlier run left there are told
// and their writes made at once where their directory takes them;
// the others are named and wait like this run's own.
void StartKeptWritesJournal(CaptureContext& context, const std::string& folder);

// At the end of the program: a last try. Journals that still hold writes are
// named on the standard error stream (the next start writes them). Writes
// held in memory only are written under a rescue folder (the home folder,
// or the system's temporary folder) with the same file names and named
// there too; if even that fails, the bytes themselves go there.
void SaveKeptWritesBeforeEnd(CaptureContext& context);

}  // namespace tally
