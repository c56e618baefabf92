#pragma once
// What replacing a file needs beyond plain writes: the file a path really
// names (symbolic links followed, so a link stays a link), what the operator
// set on that file (permission bits, owner and group), a temporary file that
// nobody can foresee or plant beforehand, and a flush of the directory once
// the new file has taken the old one's name.

#include <string>

#include "common/file_handle.h"
#include "common/outcome.h"

namespace tally {

struct ReplaceTarget {
  std::string path;  // the file replaced: every symbolic link followed
  bool exists = false;
  unsigned mode = 0;  // its permission bits, when it exists
  long owner = -1;    // its user and group, when it exists
  long group = -1;
};

// Follows symbolic links from path to the file they finally name, which may
// not exist yet. Refuses (FileOpen, naming path) a file the program may not
// write, links that loop, and a link that cannot be read.
Outcome<ReplaceTarget> FindReplaceTarget(const std::string& path);

struct TemporaryFile {
  std::string path;
  FileHandle handle;
};

// A new, empty file beside the target, under a name nobody can foresee,
// created exclusively and never through a link, open for writing and
// reading back. It already carries the
// target's permission bits, and its owner and group where the program may
// set them.
Outcome<TemporaryFile> CreateTemporaryBeside(const ReplaceTarget& target);

// Flushes the directory holding path to the device, so that a rename made in
// it survives a power cut. Gives 0, or the error.
int FlushDirectoryOf(const std::string& path);

}  // namespace tally
