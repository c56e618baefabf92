#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/replace_target.h"

#ifdef _WIN32
#include <io.h>
#define TALLY_OPEN ::_open
#define TALLY_WRITE ::_write
#define TALLY_READ ::_read
#define TALLY_CLOSE ::_close
#define TALLY_FSYNC ::_commit
#define TALLY_TRUNCATE ::_chsize_s
#define TALLY_BINARY _O_BINARY
using FileSize = long long;
#else
#include <unistd.h>
#define TALLY_OPEN ::open
#define TALLY_WRITE ::write
#define TALLY_READ ::read
#define TALLY_CLOSE ::close
#define TALLY_FSYNC ::fsync
#define TALLY_TRUNCATE ::ftruncate
#define TALLY_BINARY 0
using FileSize = off_t;
#endif

namespace tally {

namespace {

constexpr int kCreateMode = 0666;

Failure FileFailure(FailureCode code, const std::string& action, const std::string& path, int error) {
  return Failure{code, "cannot " + action + " " + path + ": " + std::strerror(error)};
}

// Writes all of bytes, going on after partial writes.
bool WriteAll(int handle, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    const auto written = TALLY_WRITE(handle, bytes.data() + done, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

FileSize SizeOf(int handle) {
  struct stat status {};
  return ::fstat(handle, &status) == 0 ? status.st_size : FileSize{-1};
}

// Writes bytes to an open handle, flushes when asked, closes it. The handle
// is closed in every case; the result is the first error, 0 when none.
int WriteFlushClose(int handle, const std::string& bytes, Durability durability) {
  int error = WriteAll(handle, bytes) ? 0 : errno;
  if (error == 0 && durability == Durability::Flushed && TALLY_FSYNC(handle) != 0) error = errno;
  if (TALLY_CLOSE(handle) != 0 && error == 0) error = errno;
  return error;
}

}  // namespace

Status AppendToFile(const std::string& path, const std::string& bytes, Durability durability) {
  const int handle = TALLY_OPEN(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | TALLY_BINARY, kCreateMode);
  if (handle < 0) return FileFailure(FailureCode::FileOpen, "open", path, errno);
  // Remember the size so that a write that stops part way (disk full, file
  // size limit) can be taken back: the file keeps whole lines only.
  const FileSize before = SizeOf(handle);
  const bool complete = WriteAll(handle, bytes);
  int error = complete ? 0 : errno;
  if (!complete && before >= 0) {
    [[maybe_unused]] const int ignored = TALLY_TRUNCATE(handle, before);
  }
  if (error == 0 && durability == Durability::Flushed && TALLY_FSYNC(handle) != 0) error = errno;
  if (TALLY_CLOSE(handle) != 0 && error == 0) error = errno;
  if (error != 0) return FileFailure(FailureCode::FileWrite, "write", path, error);
  return Ok();
}

Status ReplaceFile(const std::string& path, const std::string& bytes, Durability durability) {
  Outcome<ReplaceTarget> found = FindReplaceTarget(path);
  if (!found.ok()) return found.failure();
  const ReplaceTarget& target = found.value();
  Outcome<TemporaryFile> created = CreateTemporaryBeside(target);
  if (!created.ok()) return created.failure();
  const TemporaryFile& temporary = created.value();

  int error = WriteFlushClose(temporary.handle, bytes, durability);
  if (error == 0 && durability == Durability::Scratch) {
    std::error_code ignored;  // a missing old file is fine
    std::filesystem::remove(target.path, ignored);
  }
  std::error_code renameError;
  if (error == 0) std::filesystem::rename(temporary.path, target.path, renameError);
  if (error != 0 || renameError) {
    std::error_code ignored;
    std::filesystem::remove(temporary.path, ignored);
    if (error != 0) return FileFailure(FailureCode::FileWrite, "write", path, error);
    return Failure{FailureCode::FileWrite, "cannot write " + path + ": " + renameError.message()};
  }
  // The new name must reach the device too, or a power cut brings the old
  // file back.
  if (durability == Durability::Flushed) error = FlushDirectoryOf(target.path);
  if (error != 0) return FileFailure(FailureCode::FileWrite, "flush", path, error);
  return Ok();
}

Outcome<std::string> ReadWholeFile(const std::string& path) {
  return ReadFileStart(path, static_cast<std::size_t>(-1));
}

Outcome<std::string> ReadFileStart(const std::string& path, std::size_t most) {
  const int handle = TALLY_OPEN(path.c_str(), O_RDONLY | TALLY_BINARY);
  if (handle < 0) return FileFailure(FailureCode::FileOpen, "open", path, errno);
  std::string content;
  char buffer[65536];
  while (content.size() < most) {
    const auto want = static_cast<unsigned>(std::min<std::size_t>(sizeof buffer, most - content.size()));
    const auto got = TALLY_READ(handle, buffer, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      TALLY_CLOSE(handle);
      return FileFailure(FailureCode::FileRead, "read", path, error);
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  TALLY_CLOSE(handle);
  return content;
}

}  // namespace tally
