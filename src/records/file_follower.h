#pragma once
// Following a file the capture appends to ("fl.db1", "alarmlog.txt"): the
// file is the queue. A line is whole once its CR LF is written; a last line
// without it is still being written and waits. How far the file has been
// taken is a position just past the CR LF of the last line taken, with that
// line's length and hash, so that a file cut short or replaced is noticed.
// Memory stays bounded whatever the bytes: a line longer than the batch's
// byte limit is given cut at the limit, and a region without CR LF is
// scanned, not kept.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

enum class PositionCheck {
  Holds,    // the file still holds the line taken last just before the position
  Shrank,   // the file is shorter than the position (or gone)
  Differs,  // other bytes stand there now (replaced, restored from a backup)
};

struct WholeLine {
  std::uint64_t offset = 0;  // where the line begins in the file
  std::string text;          // without its CR LF
  std::uint64_t length = 0;  // its bytes in the file, CR LF included
  bool cut() const { return text.size() + 2 < length; }  // longer than the byte limit: text is its start
};

struct LineBatch {
  PositionCheck check = PositionCheck::Holds;  // how the position given stood
  std::vector<WholeLine> lines;
  FilePosition end;  // just past the last line's CR LF
};

struct BatchLimits {
  std::size_t lines = 2000;
  std::size_t bytes = 4u << 20;
};

class FileFollower {
 public:
  explicit FileFollower(std::string path);
  ~FileFollower();
  FileFollower(FileFollower&& other) noexcept;
  FileFollower& operator=(FileFollower&& other) noexcept;
  FileFollower(const FileFollower&) = delete;
  FileFollower& operator=(const FileFollower&) = delete;

  // The whole lines after from, at most limits, with the position checked
  // on the same open file first; where it no longer holds, the lines are
  // read from the start and check says why. A file replaced under the name
  // is read to its end before the new one is started. A missing file gives
  // no lines.
  Outcome<LineBatch> Next(const FilePosition& from, const BatchLimits& limits);

 private:
  void Close();
  Outcome<LineBatch> ReadFrom(const FilePosition& from, const BatchLimits& limits);
  std::string path_;
  int descriptor_ = -1;
};

// One batch, or one check, through a follower of its own.
Outcome<LineBatch> ReadLineBatch(const std::string& path, const FilePosition& from, const BatchLimits& limits);
PositionCheck CheckPosition(const std::string& path, const FilePosition& position);

}  // namespace tally
