#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "common/replace_target.h"
#include "common/scratch_companion.h"

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

enum class WritePlace { Position, Start };

// Writes all of bytes, going on after partial writes: where the handle
// stands, or from the file's start wherever it stands.
bool WriteAll(int handle, const std::string& bytes, WritePlace place = WritePlace::Position) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
#ifdef _WIN32
    const auto written = TALLY_WRITE(handle, bytes.data() + done, chunk);
#else
    const auto written = place == WritePlace::Start
                             ? ::pwrite(handle, bytes.data() + done, chunk, static_cast<off_t>(done))
                             : TALLY_WRITE(handle, bytes.data() + done, chunk);
#endif
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

// Reads a file from its start through an open handle. A read that gives
// less than it asked for is the end of a regular file, so a file of the
// expected size takes one read. Gives 0, or the error.
int ReadFromStart(int handle, std::size_t expected, std::string& content) {
  content.resize(expected + 1);
  std::size_t done = 0;
  for (;;) {
#ifdef _WIN32
    const auto got = _lseeki64(handle, static_cast<long long>(done), SEEK_SET) < 0
                         ? -1
                         : TALLY_READ(handle, content.data() + done, static_cast<unsigned>(content.size() - done));
#else
    const auto got = ::pread(handle, content.data() + done, content.size() - done, static_cast<off_t>(done));
#endif
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(got);
    if (got == 0 || done < content.size()) break;
    content.resize(content.size() * 2);  // the file grew since it was written
  }
  content.resize(done);
  return 0;
}

// The new content read back through the handle it was written with.
Outcome<std::string> ReadBack(int handle, const std::string& path, std::size_t expected) {
  std::string content;
  if (const int error = ReadFromStart(handle, expected, content); error != 0) {
    return FileFailure(FailureCode::FileRead, "read", path, error);
  }
  return content;
}

// Cut to the new content's length when the old one was longer.
bool CutTo(int handle, std::size_t oldSize, std::size_t newSize) {
  return oldSize <= newSize || TALLY_TRUNCATE(handle, static_cast<FileSize>(newSize)) == 0;
}

// A scratch file's new content written into its companion, which then
// swaps names with it. Gives the handle the content was written with, now
// the file's own, or -1 when the companion cannot be used.
int WriteAndExchange(const std::string& path, const std::string& bytes) {
  const std::optional<Companion> companion = OpenCompanion(path);
  if (!companion) return -1;
  const int handle = companion->handle;
  // Written from the start: only a longer old content needs cutting.
  const bool written = WriteAll(handle, bytes) && CutTo(handle, companion->size, bytes.size());
  if (!written || ExchangeWithCompanion(path, *companion) != 0) {
    TALLY_CLOSE(handle);
    return -1;
  }
  return handle;
}

// The new content written into the companion pair holds for path, which
// then swaps names with the file. False, the pair let go, when the pair
// holds no more what path and its companion name, or anything fails.
bool WriteIntoHeldCompanion(ScratchPair& pair, const std::string& path, const std::string& bytes) {
  const std::optional<Companion> companion = pair.CompanionOf(path);
  if (!companion) return false;
  if (!WriteAll(companion->handle, bytes, WritePlace::Start) || !CutTo(companion->handle, companion->size, bytes.size())) {
    pair.Release();
    return false;
  }
  return pair.Exchange() == 0;
}

// The new content in a temporary file beside the file path names, which
// then takes that file's name; a scratch file swaps names with its
// companion instead where it can. With keepOpen the handle the content was
// written with is given back open, for reading the new file back; without,
// it is closed and -1 is given.
Outcome<int> WriteAndRename(const std::string& path, const std::string& bytes, Durability durability,
                            bool keepOpen) {
  if (durability == Durability::Scratch) {
    if (const int handle = WriteAndExchange(path, bytes); handle >= 0) {
      if (keepOpen) return handle;
      if (TALLY_CLOSE(handle) != 0) return FileFailure(FailureCode::FileWrite, "write", path, errno);
      return -1;
    }
  }
  Outcome<ReplaceTarget> found = FindReplaceTarget(path);
  if (!found.ok()) return found.failure();
  const ReplaceTarget& target = found.value();
  Outcome<TemporaryFile> created = CreateTemporaryBeside(target);
  if (!created.ok()) return created.failure();
  const TemporaryFile& temporary = created.value();

  int handle = temporary.handle;
  int error = WriteAll(handle, bytes) ? 0 : errno;
  if (error == 0 && durability == Durability::Flushed && TALLY_FSYNC(handle) != 0) error = errno;
  if (!keepOpen || error != 0) {
    if (TALLY_CLOSE(handle) != 0 && error == 0) error = errno;
    handle = -1;
  }
  if (error == 0 && durability == Durability::Scratch) {
    std::error_code ignored;  // a missing old file is fine
    std::filesystem::remove(target.path, ignored);
  }
  std::error_code renameError;
  if (error == 0) std::filesystem::rename(temporary.path, target.path, renameError);
  if (error != 0 || renameError) {
    if (handle >= 0) TALLY_CLOSE(handle);
    std::error_code ignored;
    std::filesystem::remove(temporary.path, ignored);
    if (error != 0) return FileFailure(FailureCode::FileWrite, "write", path, error);
    return Failure{FailureCode::FileWrite, "cannot write " + path + ": " + renameError.message()};
  }
  // The new name must reach the device too, or a power cut brings the old
  // file back.
  if (durability == Durability::Flushed) error = FlushDirectoryOf(target.path);
  if (error != 0) {
    if (handle >= 0) TALLY_CLOSE(handle);
    return FileFailure(FailureCode::FileWrite, "flush", path, error);
  }
  return handle;
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
  const Outcome<int> replaced = WriteAndRename(path, bytes, durability, false);
  if (!replaced.ok()) return replaced.failure();
  return Ok();
}

Outcome<std::string> ReplaceFileAndReadBack(const std::string& path, const std::string& bytes,
                                            Durability durability) {
#ifdef _WIN32
  // An open file cannot take another's name there: written, then read anew.
  if (Status failed = ReplaceFile(path, bytes, durability)) return *failed;
  return ReadWholeFile(path);
#else
  const Outcome<int> replaced = WriteAndRename(path, bytes, durability, true);
  if (!replaced.ok()) return replaced.failure();
  const int handle = replaced.value();
  Outcome<std::string> content = ReadBack(handle, path, bytes.size());
  if (TALLY_CLOSE(handle) != 0 && content.ok()) return FileFailure(FailureCode::FileRead, "read", path, errno);
  return content;
#endif
}

Outcome<std::string> ReplaceScratchAndReadBack(ScratchPair& pair, const std::string& path, const std::string& bytes) {
#ifdef _WIN32
  return ReplaceFileAndReadBack(path, bytes, Durability::Scratch);
#else
  if (WriteIntoHeldCompanion(pair, path, bytes)) {
    Outcome<std::string> content = ReadBack(pair.FileHandle(), path, bytes.size());
    if (!content.ok()) pair.Release();
    return content;
  }
  const Outcome<int> replaced = WriteAndRename(path, bytes, Durability::Scratch, true);
  if (!replaced.ok()) return replaced.failure();
  const int handle = replaced.value();
  Outcome<std::string> content = ReadBack(handle, path, bytes.size());
  if (!content.ok()) {
    TALLY_CLOSE(handle);
    return content;
  }
  pair.Hold(path, handle);
  return content;
#endif
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
