#pragma once
// One write of a data file of the run: what goes where, and how.

#include <string>

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

// Makes one write in the directory dataPath (which ends in the separator).
// A flushed append of several lines is noted in noteFolder, when one is
// given, so that a crash never leaves part of it (append_note.h). The
// failure names the file and the reason; no exception escapes but running
// out of memory.
Status PerformSetFileWrite(const std::string& dataPath, const SetFileWrite& write,
                           const std::string& noteFolder = "");

}  // namespace tally
