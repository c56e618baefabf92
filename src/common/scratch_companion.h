#pragma once
// A scratch file replaced without a new file each time: its companion, a
// hidden file of fixed name beside it (".NAME.next"), takes the new content
// and the two names are then swapped in one step. The file is never seen
// half written nor absent, and no file is created or removed per
// replacement; the old content stays in the companion until the next one.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>

#include "common/file_handle.h"

namespace tally {

struct Companion {
  std::string path;
  FileHandle handle;       // open for writing and reading back
  std::size_t size = 0;    // what it held when opened
};

// The companion of the file path names, open and held for this
// replacement alone (a second program replacing the same file meanwhile
// goes the ordinary way). Empty when the swap cannot be made here: no file
// yet, a symbolic link or anything but a plain file of the program's own
// that it may write, a companion that is not a plain file of the
// program's with one name, a system without the swap. The caller then
// replaces the file the ordinary way, which also says what is wrong.
std::optional<Companion> OpenCompanion(const std::string& path);

// Swaps the names of the file and its companion. Gives 0, or the error.
int ExchangeWithCompanion(const std::string& path, const Companion& companion);

// Removes the companion of the file path names, which holds only an old
// content, when it is plainly the program's own and no other program
// holds it: at a clean end the folder keeps the operator's files only.
void RemoveCompanionOf(const std::string& path);

// A scratch file and its companion kept open between replacements, both
// locked against a second program (which then goes the ordinary way), so
// that a replacement is a write, the swap and the read back. Before each
// one both names are looked at: a file the operator or another program
// replaced, removed, linked, moved, chmod'ed or chown'ed, or a file of
// another directory, lets the pair go and the caller takes the ordinary,
// fully checked way again.
class ScratchPair {
 public:
  // The size of the held companion of the file path names, when both names
  // still name the two files held and as they were; otherwise the pair is
  // let go and empty is given.
  [[nodiscard]] std::optional<std::size_t> CompanionOf(const std::string& path);
  [[nodiscard]] int CompanionDescriptor() const { return companion_.handle.get(); }

  // Swaps the names of the file and the held companion; the companion is
  // then the file, and the handle given gives its content. Gives 0, or the
  // error (the pair is let go then).
  [[nodiscard]] int Exchange();
  [[nodiscard]] int FileDescriptor() const { return file_.handle.get(); }

  // Takes handle, open on the file path names and just replaced, and
  // holds it with its companion when both are plainly the program's own
  // and no other program holds them; closes it otherwise.
  void Hold(const std::string& path, FileHandle handle);

  // Closes both files, if held.
  void Release();

 private:
  struct Held {
    FileHandle handle;
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
  };

  std::string path_;
  std::string companionPath_;
  Held file_;
  Held companion_;
};

}  // namespace tally
