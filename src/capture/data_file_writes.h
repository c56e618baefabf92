#pragma once
// Writing the run's data files so that nothing completed is lost: a write
// the directory does not take is kept in memory and made later, in order.

#include <vector>

#include "capture/capture_context.h"
#include "capture/set_files.h"
#include "common/outcome.h"

namespace tally {

// Makes the kept writes that are due first, then the given writes in order.
// A write whose file still has a kept write waiting, or that fails now, is
// kept. Returns the first failure (none when every write was made).
Status WriteOrKeep(CaptureContext& context, const std::vector<SetFileWrite>& writes);

// Tries the kept writes again. When the last of them has been made, List2
// says so.
void RetryKeptWrites(CaptureContext& context);

// At the end of the program: a last try, then whatever the data directory
// still does not take is written under a rescue folder (the home folder, or
// the system's temporary folder) with the same file names, and named on the
// standard error stream; if even that fails, the bytes themselves go there.
void SaveKeptWritesBeforeEnd(CaptureContext& context);

}  // namespace tally
