#pragma once
// The four files written for every completed set (their names in
// records/data_files.h): the set file appended, the last set's lines
// replaced, the sets' lines appended, the last set's stamps replaced.

#include <string>
#include <vector>

#include "capture/capture_context.h"
#include "capture/set_file_write.h"
#include "common/outcome.h"

namespace tally {

// The four writes of the set held in state, in the order they are made:
// kSetFileName (sortedRecord + CR LF, appended, flushed), kCtCaptureName
// (the first 320 characters of shortLines + CR LF, replaced),
// kUsageCaptureName (the first 318 characters of shortLines + CR LF,
// appended, flushed), kFerro2CaptureName (the first 336 characters of
// lineStamps + CR LF, replaced).
std::vector<SetFileWrite> SetFileWrites(const CaptureState& state);

// Writes the four set files in order from dataPath, sortedRecord,
// shortLines and lineStamps. The writes are independent: a failing one does
// not stop the ones after it, and nothing is rolled back. A write the
// directory does not take is kept and made later, before any newer write of
// its file. Returns the first failure, naming the file.
Status WriteSetFiles(CaptureContext& context);

}  // namespace tally
