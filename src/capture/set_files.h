#pragma once
// The four files written for every completed set: "fl.db1" appended,
// "ct.cap" replaced, "usage.cap" appended, "ferro2.cap" replaced.

#include <string>
#include <vector>

#include "capture/capture_context.h"
#include "common/file_io.h"
#include "common/outcome.h"

namespace tally {

// One write of a set file: the file name (appended to dataPath), the bytes
// (line end included) and whether they are appended or replace the file.
struct SetFileWrite {
  enum class Mode { Append, Replace };

  std::string name;
  std::string bytes;
  Mode mode = Mode::Append;
  Durability durability = Durability::Plain;
};

// The four writes of the set held in state, in the order they are made:
// "fl.db1" (sortedRecord + CR LF, appended, flushed), "ct.cap" (the first
// 320 characters of shortLines + CR LF, replaced), "usage.cap" (the first
// 318 characters of shortLines + CR LF, appended, flushed), "ferro2.cap"
// (the first 336 characters of lineStamps + CR LF, replaced).
std::vector<SetFileWrite> SetFileWrites(const CaptureState& state);

// Makes one write in the directory dataPath (which ends in the separator).
// The failure names the file and the reason; no exception escapes but
// running out of memory.
Status PerformSetFileWrite(const std::string& dataPath, const SetFileWrite& write);

// Writes the four set files in order from dataPath, sortedRecord,
// shortLines and lineStamps. The writes are independent: a failing one does
// not stop the ones after it, and nothing is rolled back. Returns the first
// failure, naming the file.
Status WriteSetFiles(CaptureContext& context);

}  // namespace tally
