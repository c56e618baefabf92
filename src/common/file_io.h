#pragma once
// Whole-file writes in binary mode. Every call opens and closes its file;
// nothing stays open between calls, except a scratch file's pair. Messages name the file and the reason.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/outcome.h"

namespace tally {

enum class Durability {
  Plain,    // written and closed
  Flushed,  // also flushed to the storage device before returning
  // For ReplaceFile of a scratch file replaced again and again: the new
  // content goes into the file's companion ".NAME.next" beside it and the
  // two swap names (scratch_companion.h), so that no file is created or
  // removed per replacement and the file is never absent. Where they cannot
  // swap (no file yet, a symbolic link, a file or companion not plainly
  // the program's own, a file system without the swap), the ordinary way,
  // with the old file removed just before the new one takes its name.
  Scratch,
};

// Appends bytes with one write (the file is created when missing), always
// on a line of their own: a part of a line a crash left at the end is taken
// away when shorter than bytes, else given its line end (CR LF, or the LF
// after its CR). A write cut short leaves the file as it was. Flushed also
// flushes the directory of a file the append made, so its name survives a
// power cut with its lines. When the bytes are in the file but
// its flush (or close) fails, the file is cut back to its size before them
// and the failure says so; where even that fails the bytes stand and the
// failure is FileUnflushed: the write counts as made and must not be made
// again.
Status AppendToFile(const std::string& path, const std::string& bytes,
                    Durability durability = Durability::Flushed);

// The size of a file, 0 when it does not exist yet in an existing directory.
Outcome<std::uint64_t> FileSizeOf(const std::string& path);

// Where an append of lineLength bytes begins: the file's size once a part
// of a line a crash left at its end is taken away or ended, as AppendToFile
// does (0 when the file does not exist yet in an existing directory).
Outcome<std::uint64_t> AppendPlace(const std::string& path, std::size_t lineLength);

// Whether bytes appended at offset at stand in the file: whole, cut short
// by a crash (the file ends inside them), or not there.
enum class AppendFound { Whole, CutShort, NotThere };
AppendFound FindAppend(const std::string& path, std::uint64_t at, const std::string& bytes);

// Cuts the file to size and flushes it.
Status CutFileTo(const std::string& path, std::uint64_t size);

// Replaces the file's content with bytes. The new content is written to a
// temporary file of an unforeseeable name in the same directory and renamed
// over the old file, so the file is never seen half written; the temporary
// file is removed when anything fails. A symbolic link is followed and the
// file it names is replaced; the new file keeps the old one's permission
// bits (and owner and group where allowed). A file the program may not
// write is refused and left as it is. Flushed also flushes the directory
// after the rename; when only that flush fails the new content stands and
// the failure is FileUnflushed.
Status ReplaceFile(const std::string& path, const std::string& bytes,
                   Durability durability = Durability::Plain);

// ReplaceFile, then the new file read back whole through the handle it was
// written with, once it has taken its name: the file's own content, without
// opening it again.
Outcome<std::string> ReplaceFileAndReadBack(const std::string& path, const std::string& bytes,
                                            Durability durability);

class ScratchPair;

// ReplaceFileAndReadBack of a scratch file (Durability::Scratch) that pair
// keeps open with its companion from one replacement to the next: the new
// content is written into the held companion and the two swap names, as
// long as both names still name the files held, as they were; otherwise
// the replacement goes the checked way and pair takes the new file and its
// companion when it can.
Outcome<std::string> ReplaceScratchAndReadBack(ScratchPair& pair, const std::string& path, const std::string& bytes);

// The whole content of a file.
Outcome<std::string> ReadWholeFile(const std::string& path);

// At most the first `most` bytes of a file: a file much larger than what
// is used of it is never loaded whole.
Outcome<std::string> ReadFileStart(const std::string& path, std::size_t most);

}  // namespace tally
