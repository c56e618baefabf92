#pragma once
// A scratch file replaced without a new file each time: its companion, a
// hidden file of fixed name beside it (".NAME.next"), takes the new content
// and the two names are then swapped in one step. The file is never seen
// half written nor absent, and no file is created or removed per
// replacement; the old content stays in the companion until the next one.

#include <cstddef>
#include <optional>
#include <string>

namespace tally {

struct Companion {
  std::string path;
  int handle = -1;         // open for writing and reading back
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

}  // namespace tally
