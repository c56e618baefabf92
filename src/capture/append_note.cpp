#include "capture/append_note.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>

#include "common/file_handle.h"
#include "common/file_io.h"
#include "common/replace_target.h"
#include "records/data_files.h"
#include "records/file_follower.h"

namespace tally {

namespace {

// The note of a file: named by a hash of its path, beside the journals.
std::string NotePath(const std::string& noteFolder, const std::string& path) {
  char name[48];
  std::snprintf(name, sizeof name, "appending-%016" PRIx64 ".note", LineHash(path));
  return InFolder(noteFolder, name);
}

struct Noted {
  std::uint64_t before = 0;
  std::string bytes;  // the lines appended
};

// "before length check" of fixed width, a line end and the lines; the check
// (a hash of the two numbers' text and the lines) tells a note half written
// from a whole one.
std::string NoteText(const Noted& noted) {
  char numbers[48];
  std::snprintf(numbers, sizeof numbers, "%020" PRIu64 " %020zu", noted.before, noted.bytes.size());
  char text[80];
  std::snprintf(text, sizeof text, "%s %016" PRIx64 "\n", numbers, LineHash(noted.bytes, LineHash(numbers)));
  return text + noted.bytes;
}

constexpr std::size_t kMostNoted = 1u << 20;  // no set's lines come near

std::optional<Noted> ReadNote(const std::string& notePath) {
  const Outcome<std::string> text = ReadFileStart(notePath, kMostNoted);
  if (!text.ok()) return std::nullopt;
  Noted noted;
  std::size_t length = 0;
  if (std::sscanf(text.value().c_str(), "%20" SCNu64 " %20zu", &noted.before, &length) != 2) return std::nullopt;
  const std::size_t lineEnd = text.value().find('\n');
  if (lineEnd == std::string::npos || text.value().size() - lineEnd - 1 < length) return std::nullopt;
  noted.bytes = text.value().substr(lineEnd + 1, length);
  // A longer note written before may stand after this one.
  if (text.value().compare(0, lineEnd + 1 + length, NoteText(noted)) != 0) return std::nullopt;
  return noted;
}

// Writes the note over the old one and flushes it; a note made new also
// has its name flushed. Gives 0, or the error.
int WriteNote(const std::string& notePath, const Noted& noted) {
  bool created = true;
  FileHandle handle(::open(notePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!handle.open() && errno == EEXIST) {
    created = false;
    handle = FileHandle(::open(notePath.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
  }
  if (!handle.open()) return errno;
  const std::string text = NoteText(noted);
  if (::pwrite(handle.get(), text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
    return errno != 0 ? errno : ENOSPC;
  }
  if (::fsync(handle.get()) != 0) return errno;
  return created ? FlushDirectoryOf(notePath) : 0;
}

// Only the noted lines' own start is cut away: a file that ends inside
// them but holds something else there (the operator's) is left as it is.
Status TakeBackCutShort(const std::string& notePath, const std::string& path) {
  const std::optional<Noted> noted = ReadNote(notePath);
  if (!noted || FindAppend(path, noted->before, noted->bytes) != AppendFound::CutShort) return Ok();
  return CutFileTo(path, noted->before);
}

}  // namespace

Status TakeBackCutShortAppend(const std::string& noteFolder, const std::string& path) {
  return TakeBackCutShort(NotePath(noteFolder, path), path);
}

Status AppendNoted(const std::string& noteFolder, const std::string& path, const std::string& bytes) {
  const std::string notePath = NotePath(noteFolder, path);
  if (Status taken = TakeBackCutShort(notePath, path); !taken.ok()) return taken;
  // Noted where the lines will begin: after a part of a line left at the
  // end is taken away.
  const Outcome<std::uint64_t> place = AppendPlace(path, bytes.size());
  if (!place.ok()) return place.failure();
  // Without a note the lines go out as they would without the state folder.
  static_cast<void>(WriteNote(notePath, {place.value(), bytes}));
  return AppendToFile(path, bytes, Durability::Flushed);
}

}  // namespace tally
