#pragma once
// The four files written for every completed set: "fl.db1" appended,
// "ct.cap" replaced, "usage.cap" appended, "ferro2.cap" replaced.

#include "capture/capture_context.h"
#include "common/outcome.h"

namespace tally {

// Writes the four set files in order from dataPath, sortedRecord,
// shortLines and lineStamps. Returns the first failure, naming the file.
Status WriteSetFiles(CaptureContext& context);

}  // namespace tally
