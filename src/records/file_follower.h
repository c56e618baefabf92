#pragma once
// Following a file the capture appends to ("fl.db1", "alarmlog.txt"): the
// file is the queue. A line is whole once its CR LF is written; an LF
// alone ends no line, and a last line without CR LF is still being written
// and waits. How far the file has been taken is a position just past the
// CR LF of the last line taken, with that line's length and hash, so that a
// file cut short, rewritten or replaced is noticed. Memory stays bounded
// whatever the bytes: a line's text is kept up to kLongestLineText, and a
// region without CR LF is scanned, not kept.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_handle.h"
#include "common/outcome.h"

namespace tally {

struct FilePosition {
  std::uint64_t offset = 0;      // bytes taken from the start of the file
  std::uint32_t lineLength = 0;  // the last line taken, CR LF included
  std::uint64_t lineHash = 0;    // LineHash of that line

  bool atStart() const { return offset == 0; }
};

// FNV-1a, 64 bits; hash goes on from an earlier part's hash.
inline constexpr std::uint64_t kLineHashStart = 14695981039346656037ull;
std::uint64_t LineHash(std::string_view bytes, std::uint64_t hash = kLineHashStart);

// The most of a line's text that is given; a longer line comes cut (no
// record is anywhere near as long).
inline constexpr std::size_t kLongestLineText = 1u << 20;

enum class PositionCheck {
  Holds,    // the file still holds the line taken last just before the position
  Shrank,   // the file is shorter than the position (or gone)
  Differs,  // other bytes stand there now (rewritten, replaced, restored from a backup)
};

struct WholeLine {
  std::uint64_t offset = 0;  // where the line begins in the file
  std::string text;          // without its CR LF
  std::uint64_t length = 0;  // its bytes in the file, CR LF included
  bool cut() const { return text.size() + 2 < length; }  // longer than the text kept: text is its start
};

// A whole line as it is read; text lasts as long as the call it is given to.
struct LineView {
  std::uint64_t offset = 0;
  std::string_view text;  // without its CR LF, at most kLongestLineText
  std::uint64_t length = 0;
  bool cut() const { return text.size() + 2 < length; }
};

class LineTaker {
 public:
  virtual void Take(const LineView& line) = 0;

 protected:
  ~LineTaker() = default;
};

struct BatchLimits {
  std::size_t lines = 2000;
  std::size_t bytes = 4u << 20;  // a batch ends with the line that reaches it
};

// How the file under the name stood when looked at.
struct FileLook {
  PositionCheck check = PositionCheck::Holds;  // how the position given stands in the file followed
  bool opened = false;   // a file was opened under the name: the first, or the one that replaced it
  bool missing = false;  // no file under the name (one already open is still read)
  std::uint64_t size = 0;  // the followed file's size
};

// Where a read of whole lines ended.
struct ReadEnd {
  FilePosition end;          // just past the last line's CR LF (where it began, when none)
  std::uint64_t looked = 0;  // how far the bytes were read, a line not yet whole included
  bool more = false;         // a limit ended the read with bytes left to read
  std::optional<Failure> failure;  // a read that failed; the lines before it were given
};

struct LineBatch {
  PositionCheck check = PositionCheck::Holds;  // how the position given stood
  std::vector<WholeLine> lines;
  FilePosition end;  // just past the last line's CR LF
};

class FileFollower {
 public:
  explicit FileFollower(std::string path);

  const std::string& path() const { return path_; }

  // The whole lines after from, at most limits, with the position checked
  // on the same open file first; where it no longer holds, the lines are
  // read from the start and check says why. A missing file gives no lines.
  Outcome<LineBatch> Next(const FilePosition& from, const BatchLimits& limits);

  // Checks from in the file followed, opening the file under the name when
  // none is open yet. Another file under the name takes over only once the
  // one followed holds no whole line after from: a replaced file is read to
  // its end first.
  Outcome<FileLook> Look(const FilePosition& from);
  // Gives take the whole lines after from in the file followed (nothing
  // before a Look has opened one), up to limits; from is not checked.
  ReadEnd Read(const FilePosition& from, const BatchLimits& limits, LineTaker& take);
  // Up to count bytes at offset of the file followed; fewer at its end, or
  // when it was cut short, or when the read failed (error then holds errno).
  std::size_t ReadAt(std::uint64_t offset, char* into, std::size_t count, int& error) const;

 private:
  bool HasLineAfter(const FilePosition& from);
  std::string path_;
  FileHandle file_;
  struct FreeBlock {
    void operator()(char* block) const { std::free(block); }
  };
  std::unique_ptr<char, FreeBlock> block_;  // the bytes being read, held while there is more
};

// One batch, or one check, through a follower of its own.
Outcome<LineBatch> ReadLineBatch(const std::string& path, const FilePosition& from, const BatchLimits& limits);
PositionCheck CheckPosition(const std::string& path, const FilePosition& position);

}  // namespace tally
