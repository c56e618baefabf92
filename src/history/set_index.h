#pragma once
// The index of "fl.db1": one offset per line, built in slices so that a
// caller on an event loop stays answering, and kept up with a capture that
// appends. A line counts once its LF has been written; a last line still
// being written is not a set yet.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "history/offset_blocks.h"
#include "history/set_file_bytes.h"
#include "records/set_line.h"

namespace tally::history {

// What the last Follow found.
enum class FileChange {
  None,
  Grew,       // new bytes after the indexed lines
  Opened,     // the file appeared (or was first opened)
  Shrank,     // shorter than the indexed lines: indexed anew
  Replaced,   // another file under the name: indexed anew
  Rewritten,  // the indexed bytes changed in place: indexed anew
  Missing,    // the file is gone or unreadable; the index stays as it was
};

// The operator's words for a change, "" for None and Grew.
std::string ChangeMessage(FileChange change, const std::string& path, const std::string& error);

class SetIndex {
 public:
  explicit SetIndex(std::string path);

  const std::string& path() const { return path_; }

  // Looks at the file again: opens it, takes new bytes, or starts over when
  // it shrank or was replaced. Indexes nothing by itself.
  FileChange Follow();
  // Indexes up to about byteBudget more bytes; true when all bytes of the
  // file as last followed are indexed, or a read failed (what could be read
  // is indexed, readError says why it stopped; a later call reads on from
  // there).
  bool IndexSome(std::uint64_t byteBudget);
  // Follow, then index everything.
  FileChange IndexAll();

  bool complete() const { return scanned_ >= bytes_.size(); }
  std::uint64_t bytesIndexed() const { return scanned_; }
  std::uint64_t bytesTotal() const { return bytes_.size(); }
  const std::string& error() const { return error_; }
  // Why the last slice stopped below the file's size, "" when it did not.
  const std::string& readError() const { return readError_; }

  // Whole lines (sets and damaged lines) indexed so far.
  std::size_t size() const { return starts_.size(); }
  std::size_t damagedCount() const { return damaged_; }

  // Where line row (0-based) begins and how many bytes it has, CR LF included.
  std::uint64_t Offset(std::size_t row) const { return starts_[row]; }
  std::uint64_t Length(std::size_t row) const { return EndOf(row) - starts_[row]; }
  // The 1-based line number in the file.
  std::size_t LineNumber(std::size_t row) const { return row + 1; }

  // The line's bytes without its line end.
  std::string LineText(std::size_t row) const;
  SetLine Parse(std::size_t row) const;
  // Only the header's stamp, without the rest of the line (false when the
  // header holds no date).
  bool StampOf(std::size_t row, LocalStamp& stamp) const;

  // Bytes held by the index.
  std::size_t Footprint() const { return starts_.Footprint(); }

 private:
  std::uint64_t EndOf(std::size_t row) const { return row + 1 < starts_.size() ? starts_[row + 1] : end_; }
  void Restart();
  void TakeLine(std::uint64_t start, std::uint64_t endAfterLf, std::string_view line);
  std::string Fingerprint() const;
  // count bytes from offset (fewer when the file was cut short), read with
  // the bytes after them when the rows are read in order.
  std::string_view Read(std::uint64_t offset, std::uint64_t count) const;

  std::string path_;
  SetFileBytes bytes_;
  std::string error_;
  std::string readError_;
  OffsetBlocks starts_;
  std::uint64_t end_ = 0;      // the end of the last whole line
  std::uint64_t scanned_ = 0;  // where the search for the next LF goes on
  std::size_t damaged_ = 0;
  std::string fingerprint_;  // the last bytes of the indexed lines
  mutable std::string near_;  // the bytes last read around a line
  mutable std::uint64_t nearAt_ = 0;
  struct FreeBlock {
    void operator()(char* block) const { std::free(block); }
  };
  std::unique_ptr<char, FreeBlock> block_;  // the bytes being indexed
};

}  // namespace tally::history
