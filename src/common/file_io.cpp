#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "common/file_handle.h"
#include "common/replace_target.h"
#include "common/scratch_companion.h"

#ifdef _WIN32
#include <io.h>
#define TALLY_OPEN ::_open
#define TALLY_WRITE ::_write
#define TALLY_READ ::_read
#define TALLY_FSYNC ::_commit
#define TALLY_TRUNCATE ::_chsize_s
#define TALLY_BINARY _O_BINARY
using FileSize = long long;
#else
#include <unistd.h>
#define TALLY_OPEN ::open
#define TALLY_WRITE ::write
#define TALLY_READ ::read
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

// The line a part of a line at the end of a file is given, so that what is
// appended next starts on a line of its own: LF after its CR, else CR LF.
// Gives the size then.
FileSize EndLine(int handle, FileSize size, bool endsInCarriageReturn) {
  const std::string end = endsInCarriageReturn ? "\n" : "\r\n";
#ifdef _WIN32
  const bool placed = _lseeki64(handle, size, SEEK_SET) >= 0;
#else
  const bool placed = ::lseek(handle, size, SEEK_SET) >= 0;
#endif
  if (!placed || !WriteAll(handle, end)) return size;
  return size + static_cast<FileSize>(end.size());
}

// A power cut can leave an append cut short at the end of a file: a part
// of a line after the last line end. One shorter than the line now
// appended was never reported written and is taken away. A longer one may
// be someone else's line without its end, or a longer line of the
// program's own cut short: it is not cut but given its line end, so that
// the next line is never glued to it. Gives the size then.
FileSize WithoutTornTail(int handle, FileSize size, std::size_t lineLength) {
  if (size <= 0 || lineLength == 0) return size;
  const FileSize reach = std::min<FileSize>(size, static_cast<FileSize>(lineLength));
  std::string tail(static_cast<std::size_t>(reach), '\0');
#ifdef _WIN32
  const bool read = _lseeki64(handle, size - reach, SEEK_SET) >= 0 &&
                    TALLY_READ(handle, tail.data(), static_cast<unsigned>(reach)) == static_cast<int>(reach);
#else
  const bool read = ::pread(handle, tail.data(), tail.size(), size - reach) == static_cast<ssize_t>(reach);
#endif
  if (!read || tail.back() == '\n') return size;
  const std::size_t lineEnd = tail.rfind('\n');
  if (lineEnd == std::string::npos && reach < size) return EndLine(handle, size, tail.back() == '\r');
  const FileSize whole = size - reach + (lineEnd == std::string::npos ? 0 : static_cast<FileSize>(lineEnd) + 1);
  return TALLY_TRUNCATE(handle, whole) == 0 ? whole : size;
}

// Bytes that are in the file although its flush failed: they count as
// written, so that they are never written a second time.
Failure NotFlushed(const std::string& path, int error) {
  return Failure{FailureCode::FileUnflushed, path + " written, but not flushed to the device (" +
                                                 std::strerror(error) + "); not written again"};
}

// An append whose flush failed taken back: the file cut to its size before
// it, and that flushed. Gives 0, or the error.
int TakeBack(const std::string& path, FileSize before) {
  const FileHandle handle(TALLY_OPEN(path.c_str(), O_WRONLY | TALLY_BINARY));
  if (!handle.open()) return errno;
  if (TALLY_TRUNCATE(handle.get(), before) != 0 || TALLY_FSYNC(handle.get()) != 0) return errno;
  return 0;
}

// A file opened for appending (access: O_RDWR or O_WRONLY), made when
// missing; created says whether this call made it.
FileHandle OpenForAppend(const std::string& path, int access, bool& created) {
  constexpr int kAppend = O_APPEND | TALLY_BINARY;
  FileHandle handle(TALLY_OPEN(path.c_str(), access | kAppend));
  created = false;
  if (handle.open() || errno != ENOENT) return handle;
  handle.Reset(TALLY_OPEN(path.c_str(), access | kAppend | O_CREAT | O_EXCL, kCreateMode));
  created = handle.open();
  if (!handle.open() && errno == EEXIST) handle.Reset(TALLY_OPEN(path.c_str(), access | kAppend));  // made meanwhile
  return handle;
}

// A scratch file's new content written into its companion, which then
// swaps names with it. Gives the handle the content was written with, now
// the file's own, or none when the companion cannot be used.
FileHandle WriteAndExchange(const std::string& path, const std::string& bytes) {
  std::optional<Companion> companion = OpenCompanion(path);
  if (!companion) return {};
  const int handle = companion->handle.get();
  // Written from the start: only a longer old content needs cutting.
  const bool written = WriteAll(handle, bytes) && CutTo(handle, companion->size, bytes.size());
  if (!written || ExchangeWithCompanion(path, *companion) != 0) return {};
  return std::move(companion->handle);
}

// The new content written into the companion pair holds for path, which
// then swaps names with the file. False, the pair let go, when the pair
// holds no more what path and its companion name, or anything fails.
bool WriteIntoHeldCompanion(ScratchPair& pair, const std::string& path, const std::string& bytes) {
  const std::optional<std::size_t> companionSize = pair.CompanionOf(path);
  if (!companionSize) return false;
  const int handle = pair.CompanionDescriptor();
  if (!WriteAll(handle, bytes, WritePlace::Start) || !CutTo(handle, *companionSize, bytes.size())) {
    pair.Release();
    return false;
  }
  return pair.Exchange() == 0;
}

// The new content in a temporary file beside the file path names, which
// then takes that file's name; a scratch file swaps names with its
// companion instead where it can. With keepOpen the handle the content was
// written with is given back open, for reading the new file back; without,
// it is closed and none is given.
Outcome<FileHandle> WriteAndRename(const std::string& path, const std::string& bytes, Durability durability,
                                   bool keepOpen) {
  if (durability == Durability::Scratch) {
    if (FileHandle handle = WriteAndExchange(path, bytes); handle.open()) {
      if (keepOpen) return handle;
      if (const int error = handle.Close(); error != 0) return FileFailure(FailureCode::FileWrite, "write", path, error);
      return FileHandle{};
    }
  }
  Outcome<ReplaceTarget> found = FindReplaceTarget(path);
  if (!found.ok()) return found.failure();
  const ReplaceTarget& target = found.value();
  Outcome<TemporaryFile> created = CreateTemporaryBeside(target);
  if (!created.ok()) return created.failure();
  TemporaryFile& temporary = created.value();

  FileHandle& handle = temporary.handle;
  int error = WriteAll(handle.get(), bytes) ? 0 : errno;
  if (error == 0 && durability == Durability::Flushed && TALLY_FSYNC(handle.get()) != 0) error = errno;
  if (!keepOpen || error != 0) {
    if (const int closed = handle.Close(); closed != 0 && error == 0) error = closed;
  }
  if (error == 0 && durability == Durability::Scratch) {
    std::error_code ignored;  // a missing old file is fine
    std::filesystem::remove(target.path, ignored);
  }
  std::error_code renameError;
  if (error == 0) std::filesystem::rename(temporary.path, target.path, renameError);
  if (error != 0 || renameError) {
    handle.Reset();
    std::error_code ignored;
    std::filesystem::remove(temporary.path, ignored);
    if (error != 0) return FileFailure(FailureCode::FileWrite, "write", path, error);
    return Failure{FailureCode::FileWrite, "cannot write " + path + ": " + renameError.message()};
  }
  // The new name must reach the device too, or a power cut brings the old
  // file back.
  if (durability == Durability::Flushed) error = FlushDirectoryOf(target.path);
  if (error != 0) return NotFlushed(path, error);
  return std::move(handle);
}

}  // namespace

Status AppendToFile(const std::string& path, const std::string& bytes, Durability durability) {
  bool readable = true;
  bool created = false;
  FileHandle handle = OpenForAppend(path, O_RDWR, created);
  if (!handle.open() && errno == EACCES) {
    readable = false;
    handle = OpenForAppend(path, O_WRONLY, created);
  }
  if (!handle.open()) return FileFailure(FailureCode::FileOpen, "open", path, errno);
  // Remember the size so that a write that stops part way (disk full, file
  // size limit) can be taken back: the file keeps whole lines only.
  FileSize before = SizeOf(handle.get());
  if (readable) before = WithoutTornTail(handle.get(), before, bytes.size());
  if (!WriteAll(handle.get(), bytes)) {
    const int error = errno;
    if (before >= 0) {
      [[maybe_unused]] const int ignored = TALLY_TRUNCATE(handle.get(), before);
    }
    return FileFailure(FailureCode::FileWrite, "write", path, error);
  }
  int error = durability == Durability::Flushed && TALLY_FSYNC(handle.get()) != 0 ? errno : 0;
  if (const int closed = handle.Close(); closed != 0 && error == 0) error = closed;
  // A file made by this append has its name flushed too, or a power cut can
  // take it away with its lines.
  if (error == 0 && created && durability == Durability::Flushed) error = FlushDirectoryOf(path);
  if (error == 0) return Ok();
  // The bytes are in the file but may never reach the device: taken back,
  // they are written again later; where they cannot be, they stand.
  if (before >= 0 && TakeBack(path, before) == 0) {
    return Failure{FailureCode::FileWrite, "cannot flush " + path + ": " + std::strerror(error) +
                                               "; its new bytes were taken back"};
  }
  return NotFlushed(path, error);
}

Outcome<std::uint64_t> FileSizeOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) return static_cast<std::uint64_t>(status.st_size);
  int error = errno;
  if (error == ENOENT) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (::stat(parent.empty() ? "." : parent.c_str(), &status) == 0) return std::uint64_t{0};
    error = errno;
  }
  return FileFailure(FailureCode::FileOpen, "open", path, error);
}

Outcome<std::uint64_t> AppendPlace(const std::string& path, std::size_t lineLength) {
  const FileHandle handle(TALLY_OPEN(path.c_str(), O_RDWR | TALLY_BINARY));
  if (!handle.open()) return FileSizeOf(path);  // not there yet, or not readable: nothing is taken away
  const FileSize size = SizeOf(handle.get());
  if (size < 0) return FileFailure(FailureCode::FileOpen, "open", path, errno);
  return static_cast<std::uint64_t>(WithoutTornTail(handle.get(), size, lineLength));
}

AppendFound FindAppend(const std::string& path, std::uint64_t at, const std::string& bytes) {
  const FileHandle handle(TALLY_OPEN(path.c_str(), O_RDONLY | TALLY_BINARY));
  const FileSize size = handle.open() ? SizeOf(handle.get()) : FileSize{-1};
  if (size < 0 || static_cast<std::uint64_t>(size) <= at) return AppendFound::NotThere;
  std::string found(std::min<std::uint64_t>(bytes.size(), static_cast<std::uint64_t>(size) - at), '\0');
#ifdef _WIN32
  const bool read = _lseeki64(handle.get(), static_cast<long long>(at), SEEK_SET) >= 0 &&
                    TALLY_READ(handle.get(), found.data(), static_cast<unsigned>(found.size())) ==
                        static_cast<int>(found.size());
#else
  const bool read = ::pread(handle.get(), found.data(), found.size(), static_cast<off_t>(at)) ==
                    static_cast<ssize_t>(found.size());
#endif
  if (!read || bytes.compare(0, found.size(), found) != 0) return AppendFound::NotThere;
  return found.size() == bytes.size() ? AppendFound::Whole : AppendFound::CutShort;
}

Status CutFileTo(const std::string& path, std::uint64_t size) {
  if (const int error = TakeBack(path, static_cast<FileSize>(size)); error != 0) {
    return FileFailure(FailureCode::FileWrite, "cut", path, error);
  }
  return Ok();
}

Status ReplaceFile(const std::string& path, const std::string& bytes, Durability durability) {
  const Outcome<FileHandle> replaced = WriteAndRename(path, bytes, durability, false);
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
  Outcome<FileHandle> replaced = WriteAndRename(path, bytes, durability, true);
  if (!replaced.ok()) return replaced.failure();
  FileHandle& handle = replaced.value();
  Outcome<std::string> content = ReadBack(handle.get(), path, bytes.size());
  if (const int error = handle.Close(); error != 0 && content.ok()) {
    return FileFailure(FailureCode::FileRead, "read", path, error);
  }
  return content;
#endif
}

Outcome<std::string> ReplaceScratchAndReadBack(ScratchPair& pair, const std::string& path, const std::string& bytes) {
#ifdef _WIN32
  return ReplaceFileAndReadBack(path, bytes, Durability::Scratch);
#else
  if (WriteIntoHeldCompanion(pair, path, bytes)) {
    Outcome<std::string> content = ReadBack(pair.FileDescriptor(), path, bytes.size());
    if (!content.ok()) pair.Release();
    return content;
  }
  Outcome<FileHandle> replaced = WriteAndRename(path, bytes, Durability::Scratch, true);
  if (!replaced.ok()) return replaced.failure();
  Outcome<std::string> content = ReadBack(replaced.value().get(), path, bytes.size());
  if (content.ok()) pair.Hold(path, std::move(replaced).value());
  return content;
#endif
}

Outcome<std::string> ReadWholeFile(const std::string& path) {
  return ReadFileStart(path, static_cast<std::size_t>(-1));
}

Outcome<std::string> ReadFileStart(const std::string& path, std::size_t most) {
  const FileHandle handle(TALLY_OPEN(path.c_str(), O_RDONLY | TALLY_BINARY));
  if (!handle.open()) return FileFailure(FailureCode::FileOpen, "open", path, errno);
  std::string content;
  char buffer[65536];
  while (content.size() < most) {
    const auto want = static_cast<unsigned>(std::min<std::size_t>(sizeof buffer, most - content.size()));
    const auto got = TALLY_READ(handle.get(), buffer, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      return FileFailure(FailureCode::FileRead, "read", path, errno);
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return content;
}

}  // namespace tally
