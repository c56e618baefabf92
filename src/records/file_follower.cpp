#include "records/file_follower.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tally {

namespace {

// Read at a time: well inside the second-level cache. Page-aligned: the
// kernel copies from the page cache into a buffer that is not at about a
// third of the speed.
constexpr std::size_t kBlock = 256u << 10;
constexpr std::size_t kPage = 4096;

std::size_t PreadAll(int fd, std::uint64_t offset, char* into, std::size_t count, int& error) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd, into + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

// The hash of length bytes at offset, read a piece at a time; false when
// the file no longer holds them all.
bool HashOf(int fd, std::uint64_t offset, std::uint64_t length, std::uint64_t& hash, int& error) {
  std::string piece(static_cast<std::size_t>(std::min<std::uint64_t>(length, 64u << 10)), '\0');
  hash = kLineHashStart;
  for (std::uint64_t done = 0; done < length;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, piece.size()));
    if (PreadAll(fd, offset + done, piece.data(), want, error) != want) return false;
    hash = LineHash(std::string_view(piece.data(), want), hash);
    done += want;
  }
  return true;
}

std::uint64_t SizeOf(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

PositionCheck Check(int fd, const FilePosition& position, int& error) {
  if (position.atStart()) return PositionCheck::Holds;
  if (SizeOf(fd) < position.offset || position.lineLength > position.offset) return PositionCheck::Shrank;
  std::uint64_t hash = 0;
  const bool whole = HashOf(fd, position.offset - position.lineLength, position.lineLength, hash, error);
  return whole && hash == position.lineHash ? PositionCheck::Holds : PositionCheck::Differs;
}

bool SameFile(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

class Collector final : public LineTaker {
 public:
  Collector(std::vector<WholeLine>& lines, std::size_t textLimit) : lines_(lines), textLimit_(textLimit) {}
  void Take(const LineView& line) override {
    lines_.push_back({line.offset, std::string(line.text.substr(0, textLimit_)), line.length});
  }

 private:
  std::vector<WholeLine>& lines_;
  std::size_t textLimit_;
};

class Nothing final : public LineTaker {
 public:
  void Take(const LineView&) override {}
};

}  // namespace

std::uint64_t LineHash(std::string_view bytes, std::uint64_t hash) {
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 1099511628211ull;
  }
  return hash;
}

FileFollower::FileFollower(std::string path) : path_(std::move(path)) {}

bool FileFollower::HasLineAfter(const FilePosition& from) {
  int error = 0;
  if (Check(file_.get(), from, error) != PositionCheck::Holds) return false;
  Nothing nothing;
  const ReadEnd read = Read(from, {1, kBlock}, nothing);
  return read.end.offset > from.offset;
}

Outcome<FileLook> FileFollower::Look(const FilePosition& from) {
  FileLook look;
  struct stat named {};
  look.missing = ::stat(path_.c_str(), &named) != 0;
  if (!file_.open() && look.missing) {
    look.check = from.atStart() ? PositionCheck::Holds : PositionCheck::Shrank;
    return look;
  }
  struct stat held {};
  const bool replaced =
      file_.open() && !look.missing && ::fstat(file_.get(), &held) == 0 && !SameFile(held, named);
  // The file that was followed first gives what it still holds.
  if (!file_.open() || (replaced && !HasLineAfter(from))) {
    const int opened = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (opened < 0) return Failure{FailureCode::FileOpen, "cannot open " + path_ + ": " + std::strerror(errno)};
    file_.Reset(opened);
    look.opened = true;
  }
  int error = 0;  // bytes that cannot be read are not the bytes taken: Differs
  look.check = Check(file_.get(), from, error);
  look.size = SizeOf(file_.get());
  return look;
}

ReadEnd FileFollower::Read(const FilePosition& from, const BatchLimits& limits, LineTaker& take) {
  ReadEnd read;
  read.end = from;
  read.looked = from.offset;
  if (!file_.open()) return read;
  if (!block_) block_.reset(static_cast<char*>(std::aligned_alloc(kPage, kBlock)));
  char* const block = block_.get();
  std::string begun;  // the start of a line begun in an earlier block, up to the text kept
  std::uint64_t lineStart = from.offset;
  std::uint64_t lastLength = 0;
  std::size_t lines = 0;
  std::uint64_t taken = 0;
  bool crBefore = false;  // the line begun ends in CR so far
  const auto full = [&] { return lines >= limits.lines || taken >= limits.bytes; };
  read.more = full();
  for (std::uint64_t at = from.offset; !full();) {
    int error = 0;
    const std::size_t got = PreadAll(file_.get(), at, block, kBlock, error);
    // The line's first byte in this block, 0 for a line begun before it.
    std::size_t begin = static_cast<std::size_t>(lineStart - std::min(lineStart, at));
    for (std::size_t search = 0; !full();) {
      const void* found = std::memchr(block + search, '\n', got - search);
      if (found == nullptr) break;
      const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - block);
      search = lf + 1;
      const bool crLf = lf > begin ? block[lf - 1] == '\r' : lineStart < at && crBefore;
      if (!crLf) continue;
      const std::uint64_t length = at + lf + 1 - lineStart;
      std::string_view text;
      if (lineStart >= at) {
        text = std::string_view(block + begin, lf - 1 - begin);
      } else {
        begun.append(block, std::min(lf + 1, kLongestLineText + 2 - std::min(begun.size(), kLongestLineText + 2)));
        text = std::string_view(begun).substr(0, length - 2);
      }
      take.Take({lineStart, text.substr(0, kLongestLineText), length});
      ++lines;
      taken += length;
      lastLength = length;
      lineStart += length;
      begin = lf + 1;
      begun.clear();
    }
    read.more = full();
    if (read.more) break;
    // What is left of the block belongs to a line not yet whole.
    if (got > begin && begun.size() < kLongestLineText + 2) {
      begun.append(block + begin, std::min(got - begin, kLongestLineText + 2 - begun.size()));
    }
    if (got > 0) crBefore = block[got - 1] == '\r' && lineStart < at + got;
    at += got;
    read.looked = at;
    if (error != 0) {
      read.failure = Failure{FailureCode::FileRead,
                             "cannot read " + path_ + " at byte " + std::to_string(at) + ": " + std::strerror(error)};
    }
    if (got < kBlock) break;  // the end of the file, or a read that failed
  }
  if (read.more) read.looked = lineStart;
  if (lines > 0) {
    // The hash of the last line taken, read again: only that one line is hashed.
    read.end = {lineStart, static_cast<std::uint32_t>(std::min<std::uint64_t>(lastLength, UINT32_MAX)), 0};
    const std::uint64_t hashed = read.end.lineLength;
    int error = 0;
    if (!HashOf(file_.get(), lineStart - hashed, hashed, read.end.lineHash, error) && !read.failure) {
      read.failure = Failure{FailureCode::FileRead, "cannot read " + path_ + ": " +
                                                        (error != 0 ? std::strerror(error) : "it was cut short")};
    }
  }
  if (!read.more) block_.reset();
  return read;
}

std::size_t FileFollower::ReadAt(std::uint64_t offset, char* into, std::size_t count, int& error) const {
  if (!file_.open()) return 0;
  return PreadAll(file_.get(), offset, into, count, error);
}

Outcome<LineBatch> FileFollower::Next(const FilePosition& from, const BatchLimits& limits) {
  const Outcome<FileLook> look = Look(from);
  if (!look.ok()) return look.failure();
  LineBatch batch;
  batch.check = look.value().check;
  Collector collect(batch.lines, std::min(limits.bytes, kLongestLineText));
  const ReadEnd read = Read(batch.check == PositionCheck::Holds ? from : FilePosition{}, limits, collect);
  if (read.failure) return *read.failure;
  batch.end = read.end;
  return batch;
}

Outcome<LineBatch> ReadLineBatch(const std::string& path, const FilePosition& from, const BatchLimits& limits) {
  return FileFollower(path).Next(from, limits);
}

PositionCheck CheckPosition(const std::string& path, const FilePosition& position) {
  const Outcome<FileLook> look = FileFollower(path).Look(position);
  return look.ok() ? look.value().check : PositionCheck::Shrank;
}

}  // namespace tally
