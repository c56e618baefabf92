#pragma once
// The index of the set database: one offset per line, built in slices so that a
// caller on an event loop stays answering, and kept up with a capture that
// appends. The file is followed through records' FileFollower: a line is
// whole at its CR LF, and a last line still being written is not a set yet.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "history/offset_blocks.h"
#include "records/file_follower.h"
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

class SetIndex : private LineTaker {
 public:
  explicit SetIndex(std::string path);

  const std::string& path() const { return follower_.path(); }

  // Looks at the file again: opens it, takes new bytes, or starts over when
  // it shrank or was replaced. Indexes nothing by itself.
  FileChange Follow();
  // Indexes whole lines up to about byteBudget more bytes; true when the
  // file's end was reached, or a read failed (what could be read is
  // indexed, readError says why it stopped; a later call reads on from
  // there).
  bool IndexSome(std::uint64_t byteBudget);
  // Follow, then index everything.
  FileChange IndexAll();

  bool complete() const { return !more_ && readError_.empty(); }
  std::uint64_t bytesIndexed() const { return looked_; }
  std::uint64_t bytesTotal() const { return std::max(size_, looked_); }
  const std::string& error() const { return error_; }
  // Why the last slice stopped before the file's end, "" when it did not.
  const std::string& readError() const { return readError_; }

  // Whole lines (sets and damaged lines) indexed so far.
  std::size_t size() const { return starts_.size(); }
  std::size_t damagedCount() const { return damaged_; }

  // Where line row (0-based) begins and how many bytes it has, CR LF included.
  std::uint64_t Offset(std::size_t row) const { return starts_[row]; }
  std::uint64_t Length(std::size_t row) const { return EndOf(row) - starts_[row]; }
  // The 1-based line number in the file.
  std::size_t LineNumber(std::size_t row) const { return row + 1; }

  // The line's bytes without its CR LF.
  std::string LineText(std::size_t row) const;
  SetLine Parse(std::size_t row) const;
  // Only the header's stamp, without the rest of the line (false when the
  // header holds no date).
  bool StampOf(std::size_t row, LocalStamp& stamp) const;

  // Bytes held by the index.
  std::size_t Footprint() const { return starts_.Footprint(); }

 private:
  std::uint64_t EndOf(std::size_t row) const {
    return row + 1 < starts_.size() ? starts_[row + 1] : end_.offset;
  }
  void Take(const LineView& line) override;
  void Restart();
  // The line's bytes, CR LF included (fewer when the file was cut short),
  // read with the bytes after them when the rows are read in order.
  std::string_view Row(std::size_t row) const;

  FileFollower follower_;
  std::string error_;
  std::string readError_;
  OffsetBlocks starts_;
  FilePosition end_;           // just past the last whole line indexed
  std::uint64_t looked_ = 0;   // how far the bytes were read
  std::uint64_t size_ = 0;     // the file's size when last looked at
  bool more_ = false;          // bytes left to index before the file's end
  bool opened_ = false;        // a file was opened under the name
  std::size_t damaged_ = 0;
  mutable std::string near_;  // the bytes last read around a line
  mutable std::uint64_t nearAt_ = 0;
};

}  // namespace tally::history
