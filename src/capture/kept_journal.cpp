#include "capture/kept_journal.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#ifndef _WIN32
#include <sys/file.h>
#include <unistd.h>
#endif

#include "common/path_text.h"
#include "common/replace_target.h"

namespace tally {

namespace {

constexpr std::size_t kHeaderRoom = 128;              // "K- A1 ", three lengths and two places
constexpr unsigned long long kLargestText = 1u << 24;  // no kept write comes near
constexpr char kDone = '+';
constexpr char kWaiting = '-';
constexpr int kPlaceDigits = 20;  // where an append's replay began: "@" and these
const std::string kNoPlace(kPlaceDigits, '-');
constexpr int kHashDigits = 16;  // what a replaced file held: "=" and these

Failure JournalFailure(const std::string& action, const std::string& path, int error) {
  return Failure{FailureCode::FileWrite, "cannot " + action + " journal " + path + ": " + std::strerror(error)};
}

std::string Record(const KeptWrite& kept) {
  const SetFileWrite& write = kept.write;
  char replacing[kHashDigits + 1] = "----------------";
  if (kept.replacing) {
    std::snprintf(replacing, sizeof replacing, "%016llx", static_cast<unsigned long long>(*kept.replacing));
  }
  char header[kHeaderRoom];
  std::snprintf(header, sizeof header, "K%c %c%d %zu %zu %zu =%s @%s\n", kWaiting,
                write.mode == SetFileWrite::Mode::Append ? 'A' : 'R', static_cast<int>(write.durability),
                kept.dataPath.size(), write.name.size(), write.bytes.size(), replacing, kNoPlace.c_str());
  return header + kept.dataPath + write.name + write.bytes + "\n";
}

#ifndef _WIN32
bool ReadAt(int handle, char* into, std::size_t size, off_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(handle, into + done, size - done, offset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

// One record read at offset; its length is set, or left 0 when the journal
// ends there (or a record was cut short).
struct ReadRecord {
  KeptWrite kept;
  bool done = false;
  std::size_t length = 0;
  off_t placeOffset = -1;  // where the place of an append's replay is written (none in older journals)
  std::optional<std::uint64_t> appendAt;  // the place, once noted
};

// The place " @" and its digits at the end of a header line, when there,
// and before it what a replaced file held, " =" and its digits, when there.
void ReadPlaces(const std::string& line, off_t lineOffset, ReadRecord& record) {
  const std::size_t fieldStart = line.size() - kPlaceDigits;
  if (line.size() < kPlaceDigits + 2 || line.compare(fieldStart - 2, 2, " @") != 0) return;
  record.placeOffset = lineOffset + static_cast<off_t>(fieldStart);
  const std::string digits = line.substr(fieldStart);
  // Anything but digits: no replay began, or its place was never flushed.
  if (digits.find_first_not_of("0123456789") == std::string::npos) record.appendAt = std::stoull(digits);
  const std::size_t hashStart = fieldStart - 2 - kHashDigits;
  if (fieldStart < kHashDigits + 4 || line.compare(hashStart - 2, 2, " =") != 0) return;
  const std::string hash = line.substr(hashStart, kHashDigits);
  if (hash.find_first_not_of("0123456789abcdef") != std::string::npos) return;  // not known
  record.kept.replacing = std::stoull(hash, nullptr, 16);
}

ReadRecord ReadRecordAt(int handle, off_t offset) {
  ReadRecord record;
  char header[kHeaderRoom] = {};
  const ssize_t got = ::pread(handle, header, sizeof header - 1, offset);
  if (got <= 0) return record;
  const char* end = static_cast<const char*>(std::memchr(header, '\n', static_cast<std::size_t>(got)));
  if (end == nullptr) return record;
  char doneMark = 0;
  char mode = 0;
  int durability = 0;
  unsigned long long sizes[3] = {};
  if (std::sscanf(header, "K%c %c%d %llu %llu %llu", &doneMark, &mode, &durability, &sizes[0], &sizes[1],
                  &sizes[2]) != 6 ||
      (doneMark != kDone && doneMark != kWaiting) || (mode != 'A' && mode != 'R') || durability < 0 ||
      durability > static_cast<int>(Durability::Scratch) || sizes[0] > kLargestText || sizes[1] > kLargestText ||
      sizes[2] > kLargestText) {
    return record;
  }
  const std::size_t headerLength = static_cast<std::size_t>(end - header) + 1;
  std::string texts(sizes[0] + sizes[1] + sizes[2] + 1, '\0');
  if (!ReadAt(handle, texts.data(), texts.size(), offset + static_cast<off_t>(headerLength)) ||
      texts.back() != '\n') {
    return record;
  }
  record.kept.dataPath = texts.substr(0, sizes[0]);
  record.kept.write.name = texts.substr(sizes[0], sizes[1]);
  record.kept.write.bytes = texts.substr(sizes[0] + sizes[1], sizes[2]);
  record.kept.write.mode = mode == 'A' ? SetFileWrite::Mode::Append : SetFileWrite::Mode::Replace;
  record.kept.write.durability = static_cast<Durability>(durability);
  record.done = doneMark == kDone;
  record.length = headerLength + texts.size();
  ReadPlaces(std::string(header, headerLength - 1), offset, record);
  return record;
}
#endif

}  // namespace

#ifdef _WIN32
Outcome<KeptJournal> KeptJournal::Create(const std::string& folder) {
  return Failure{FailureCode::FileOpen, "no journal on this system in " + folder};
}
Outcome<KeptJournal> KeptJournal::Adopt(const std::string& path) {
  return Failure{FailureCode::FileOpen, "no journal on this system: " + path};
}
Status KeptJournal::Append(const KeptWrite&) { return Failure{FailureCode::FileWrite, "no journal"}; }
Status KeptJournal::ForEachWaiting(const std::function<Visit(const KeptWrite&)>&) { return Ok(); }
Status KeptJournal::NoteAppendAt(std::uint64_t) { return Ok(); }
void KeptJournal::Remove() {}
#else
Outcome<KeptJournal> KeptJournal::Create(const std::string& folder) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  char name[64];
  std::snprintf(name, sizeof name, "kept-%020lld-%d.journal",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                static_cast<int>(::getpid()));
  std::string path = folder;
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  path += name;
  FileHandle handle(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!handle.open()) return JournalFailure("create", path, errno);
  if (::flock(handle.get(), LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::unlink(path.c_str());
    return JournalFailure("lock", path, error);
  }
  // The journal's name must survive a power cut as much as its records.
  if (const int error = FlushDirectoryOf(path); error != 0) {
    ::unlink(path.c_str());
    return JournalFailure("flush", path, error);
  }
  return KeptJournal(std::move(path), std::move(handle));
}

Outcome<KeptJournal> KeptJournal::Adopt(const std::string& path) {
  FileHandle handle(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  if (!handle.open()) return JournalFailure("open", path, errno);
  if (::flock(handle.get(), LOCK_EX | LOCK_NB) != 0) return JournalFailure("lock", path, errno);
  return KeptJournal(path, std::move(handle));
}

Status KeptJournal::Append(const KeptWrite& kept) {
  const std::string record = Record(kept);
  const off_t end = ::lseek(handle_.get(), 0, SEEK_END);
  if (end < 0) return JournalFailure("write", path_, errno);
  std::size_t done = 0;
  int error = 0;
  while (done < record.size() && error == 0) {
    const ssize_t written = ::write(handle_.get(), record.data() + done, record.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) error = errno;
    if (written == 0) error = ENOSPC;
    if (written > 0) done += static_cast<std::size_t>(written);
  }
  if (error == 0 && ::fdatasync(handle_.get()) != 0) error = errno;
  if (error == 0) return Ok();
  [[maybe_unused]] const int ignored = ::ftruncate(handle_.get(), end);
  return JournalFailure("write", path_, error);
}

Status KeptJournal::ForEachWaiting(const std::function<Visit(const KeptWrite&)>& visit) {
  off_t offset = 0;
  for (ReadRecord record = ReadRecordAt(handle_.get(), offset); record.length != 0;
       offset += static_cast<off_t>(record.length), record = ReadRecordAt(handle_.get(), offset)) {
    if (record.done) continue;
    visitingPlace_ = record.placeOffset;
    visitingAt_ = record.appendAt;
    const Visit outcome = visit(record.kept);
    visitingPlace_ = -1;
    visitingAt_.reset();
    if (outcome == Visit::Stop) break;
    if (outcome == Visit::Waits) continue;
    if (::pwrite(handle_.get(), &kDone, 1, offset + 1) != 1 || ::fdatasync(handle_.get()) != 0) {
      return JournalFailure("mark a record done in", path_, errno);
    }
  }
  return Ok();
}

Status KeptJournal::NoteAppendAt(std::uint64_t at) {
  if (visitingPlace_ < 0) return Ok();  // a record of an older journal: no place to note
  char digits[kPlaceDigits + 1];
  std::snprintf(digits, sizeof digits, "%020llu", static_cast<unsigned long long>(at));
  if (::pwrite(handle_.get(), digits, kPlaceDigits, static_cast<off_t>(visitingPlace_)) != kPlaceDigits ||
      ::fdatasync(handle_.get()) != 0) {
    return JournalFailure("note a place in", path_, errno);
  }
  return Ok();
}

void KeptJournal::Remove() {
  if (!handle_.open()) return;
  ::unlink(path_.c_str());
  handle_.Reset();
}
#endif

}  // namespace tally
