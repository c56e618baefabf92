#include "common/scratch_companion.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#ifndef _WIN32
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tally {

#if defined(__linux__) && defined(RENAME_EXCHANGE)

namespace {

std::string CompanionPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, nameStart) + "." + path.substr(nameStart) + ".next";
}

// A plain file of one name, the program's own, that it may write: what the
// swap may give a new content without changing its owner or bits. (Swapped
// away, a file of two names would leave its second name on the companion.)
bool OursToWrite(const struct stat& status) {
  const uid_t self = ::geteuid();
  if (!S_ISREG(status.st_mode) || status.st_nlink != 1 || status.st_uid != self) return false;
  return self == 0 || (status.st_mode & S_IWUSR) != 0;
}

// The companion takes the file's place as it stands: one name, the
// program's own, the file's group and permission bits.
bool FitsAsCompanion(int handle, const struct stat& file, struct stat& companion) {
  if (::fstat(handle, &companion) != 0) return false;
  if (!S_ISREG(companion.st_mode) || companion.st_nlink != 1 || companion.st_uid != file.st_uid ||
      companion.st_gid != file.st_gid) {
    return false;
  }
  const mode_t bits = file.st_mode & 07777;
  return (companion.st_mode & 07777) == bits || ::fchmod(handle, bits) == 0;
}

}  // namespace

std::optional<Companion> OpenCompanion(const std::string& path) {
  struct stat file {};
  if (::lstat(path.c_str(), &file) != 0 || !OursToWrite(file)) return std::nullopt;
  Companion companion{CompanionPath(path), -1, 0};
  companion.handle = ::open(companion.path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, file.st_mode & 07777);
  if (companion.handle < 0) return std::nullopt;
  struct stat status {};
  if (::flock(companion.handle, LOCK_EX | LOCK_NB) != 0 || !FitsAsCompanion(companion.handle, file, status)) {
    ::close(companion.handle);
    return std::nullopt;
  }
  companion.size = static_cast<std::size_t>(status.st_size);
  return companion;
}

int ExchangeWithCompanion(const std::string& path, const Companion& companion) {
  return ::renameat2(AT_FDCWD, companion.path.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0 ? 0 : errno;
}

#else

std::optional<Companion> OpenCompanion(const std::string&) { return std::nullopt; }

int ExchangeWithCompanion(const std::string&, const Companion&) { return ENOSYS; }

#endif

}  // namespace tally
