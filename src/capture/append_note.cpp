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

namespace tally {

namespace {

std::uint64_t Fnv1a(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// The note of a file: named by a hash of its path, beside the journals.
std::string NotePath(const std::string& noteFolder, const std::string& path) {
  char name[48];
  std::snprintf(name, sizeof name, "appending-%016" PRIx64 ".note", Fnv1a(path));
  return InFolder(noteFolder, name);
}

struct Noted {
  std::uint64_t before = 0;
  std::uint64_t length = 0;
};

// "before length check" of fixed width and a line end; the check (a hash
// of the two numbers' text) tells a note half written from a whole one.
std::string NoteText(const Noted& noted) {
  char numbers[48];
  std::snprintf(numbers, sizeof numbers, "%020" PRIu64 " %020" PRIu64, noted.before, noted.length);
  char text[80];
  std::snprintf(text, sizeof text, "%s %016" PRIx64 "\n", numbers, Fnv1a(numbers));
  return text;
}

std::optional<Noted> ReadNote(const std::string& notePath) {
  const Outcome<std::string> text = ReadFileStart(notePath, 128);
  if (!text.ok()) return std::nullopt;
  Noted noted;
  if (std::sscanf(text.value().c_str(), "%20" SCNu64 " %20" SCNu64, &noted.before, &noted.length) != 2 ||
      NoteText(noted) != text.value()) {
    return std::nullopt;
  }
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

Status TakeBackCutShort(const std::string& notePath, const std::string& path) {
  const std::optional<Noted> noted = ReadNote(notePath);
  if (!noted) return Ok();
  const Outcome<std::uint64_t> size = FileSizeOf(path);
  if (!size.ok()) return size.failure();
  if (size.value() <= noted->before || size.value() >= noted->before + noted->length) return Ok();
  return CutFileTo(path, noted->before);
}

}  // namespace

Status TakeBackCutShortAppend(const std::string& noteFolder, const std::string& path) {
  return TakeBackCutShort(NotePath(noteFolder, path), path);
}

Status AppendNoted(const std::string& noteFolder, const std::string& path, const std::string& bytes) {
  const std::string notePath = NotePath(noteFolder, path);
  if (Status taken = TakeBackCutShort(notePath, path); !taken.ok()) return taken;
  const Outcome<std::uint64_t> size = FileSizeOf(path);
  if (!size.ok()) return size.failure();
  // Without a note the lines go out as they would without the state folder.
  static_cast<void>(WriteNote(notePath, {size.value(), bytes.size()}));
  return AppendToFile(path, bytes, Durability::Flushed);
}

}  // namespace tally
