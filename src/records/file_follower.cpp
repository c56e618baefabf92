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

constexpr std::size_t kBlock = 64 * 1024;

// Up to count bytes at offset; fewer at the end. error is set on failure.
std::size_t ReadAt(int fd, std::uint64_t offset, char* into, std::size_t count, int& error) {
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

// The hash of length bytes at offset, read a block at a time; false when
// the file no longer holds them all.
bool HashOf(int fd, std::uint64_t offset, std::uint64_t length, std::uint64_t& hash, int& error) {
  std::string block(static_cast<std::size_t>(std::min<std::uint64_t>(length, kBlock)), '\0');
  hash = kLineHashStart;
  for (std::uint64_t done = 0; done < length;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kBlock));
    if (ReadAt(fd, offset + done, block.data(), want, error) != want) return false;
    hash = LineHash(std::string_view(block.data(), want), hash);
    done += want;
  }
  return true;
}

PositionCheck Check(int fd, const FilePosition& position, int& error) {
  if (position.atStart()) return PositionCheck::Holds;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) < position.offset ||
      position.lineLength > position.offset) {
    return PositionCheck::Shrank;
  }
  std::uint64_t hash = 0;
  const bool whole = HashOf(fd, position.offset - position.lineLength, position.lineLength, hash, error);
  return whole && hash == position.lineHash ? PositionCheck::Holds : PositionCheck::Differs;
}

// The bytes of the line being read: its start kept up to the limit, the
// rest only counted and hashed.
struct OpenLine {
  std::uint64_t start = 0;
  std::string kept;
  std::uint64_t length = 0;
  std::uint64_t hash = kLineHashStart;
  bool afterCr = false;

  void Take(std::string_view bytes, std::size_t limit) {
    if (kept.size() < limit) kept.append(bytes.substr(0, limit - kept.size()));
    length += bytes.size();
    hash = LineHash(bytes, hash);
  }
};

// Reads whole lines from position from on into batch.
Status ReadLines(int fd, const std::string& path, std::uint64_t from, const BatchLimits& limits, LineBatch& batch) {
  std::string block(kBlock, '\0');
  OpenLine line{from};
  std::uint64_t at = from;
  std::uint64_t taken = 0;
  while (batch.lines.size() < limits.lines && taken < limits.bytes) {
    int error = 0;
    const std::size_t got = ReadAt(fd, at, block.data(), block.size(), error);
    if (error != 0) return Failure{FailureCode::FileRead, path + ": " + std::strerror(error)};
    if (got == 0) break;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < got && batch.lines.size() < limits.lines && taken < limits.bytes; ++i) {
      const char byte = block[i];
      const bool ends = byte == '\n' && line.afterCr;
      line.afterCr = byte == '\r';
      if (!ends) continue;
      line.Take(std::string_view(block.data() + begin, i + 1 - begin), limits.bytes + 2);
      std::string text = std::move(line.kept);
      text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(line.length - 2)));
      if (text.size() > limits.bytes) text.resize(limits.bytes);
      batch.lines.push_back({line.start, std::move(text), line.length});
      batch.end = {line.start + line.length, static_cast<std::uint32_t>(std::min<std::uint64_t>(line.length, UINT32_MAX)),
                   line.hash};
      taken += line.length;
      line = OpenLine{line.start + line.length};
      begin = i + 1;
    }
    // What is left of the block belongs to a line not yet whole.
    const std::size_t used = batch.lines.size() < limits.lines && taken < limits.bytes ? got : begin;
    if (used > begin) line.Take(std::string_view(block.data() + begin, used - begin), limits.bytes + 2);
    at += used;
    if (used < got) break;
  }
  return Ok();
}

}  // namespace

std::uint64_t LineHash(std::string_view bytes, std::uint64_t hash) {
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 1099511628211ull;
  }
  return hash;
}

FileFollower::FileFollower(std::string path) : path_(std::move(path)) {}

FileFollower::~FileFollower() { Close(); }

FileFollower::FileFollower(FileFollower&& other) noexcept
    : path_(std::move(other.path_)), descriptor_(std::exchange(other.descriptor_, -1)) {}

FileFollower& FileFollower::operator=(FileFollower&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

void FileFollower::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

Outcome<LineBatch> FileFollower::Next(const FilePosition& from, const BatchLimits& limits) {
  if (descriptor_ >= 0) {
    struct stat held {}, named {};
    const bool replaced = ::fstat(descriptor_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
                          (held.st_dev != named.st_dev || held.st_ino != named.st_ino);
    if (!replaced) return ReadFrom(from, limits);
    // The file that was followed first gives what it still holds.
    Outcome<LineBatch> tail = ReadFrom(from, limits);
    if (!tail.ok() || (tail.value().check == PositionCheck::Holds && !tail.value().lines.empty())) return tail;
    Close();
  }
  descriptor_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) {
    if (errno != ENOENT) return Failure{FailureCode::FileOpen, path_ + ": " + std::strerror(errno)};
    LineBatch none;
    none.check = from.atStart() ? PositionCheck::Holds : PositionCheck::Shrank;
    return none;
  }
  return ReadFrom(from, limits);
}

Outcome<LineBatch> FileFollower::ReadFrom(const FilePosition& from, const BatchLimits& limits) {
  LineBatch batch;
  int error = 0;
  batch.check = Check(descriptor_, from, error);
  if (error != 0) return Failure{FailureCode::FileRead, path_ + ": " + std::strerror(error)};
  batch.end = batch.check == PositionCheck::Holds ? from : FilePosition{};
  if (Status read = ReadLines(descriptor_, path_, batch.end.offset, limits, batch); !read.ok()) return read.failure();
  return batch;
}

Outcome<LineBatch> ReadLineBatch(const std::string& path, const FilePosition& from, const BatchLimits& limits) {
  return FileFollower(path).Next(from, limits);
}

PositionCheck CheckPosition(const std::string& path, const FilePosition& position) {
  const Outcome<LineBatch> batch = FileFollower(path).Next(position, {0, 0});
  return batch.ok() ? batch.value().check : PositionCheck::Shrank;
}

}  // namespace tally
