#include "common/scratch_companion.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
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
// program's own, the file's group and permission bits. Gives what it is
// then in companion.
bool FitsAsCompanion(int handle, const struct stat& file, struct stat& companion) {
  if (::fstat(handle, &companion) != 0) return false;
  if (!S_ISREG(companion.st_mode) || companion.st_nlink != 1 || companion.st_uid != file.st_uid ||
      companion.st_gid != file.st_gid) {
    return false;
  }
  const mode_t bits = file.st_mode & 07777;
  if ((companion.st_mode & 07777) == bits) return true;
  if (::fchmod(handle, bits) != 0) return false;
  companion.st_mode = (companion.st_mode & ~static_cast<mode_t>(07777)) | bits;
  return true;
}

// OpenCompanion, also giving what the file and the companion are.
std::optional<Companion> OpenCompanionOf(const std::string& path, struct stat& file, struct stat& status) {
  if (::lstat(path.c_str(), &file) != 0 || !OursToWrite(file)) return std::nullopt;
  Companion companion{CompanionPath(path), {}, 0};
  companion.handle.Reset(::open(companion.path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, file.st_mode & 07777));
  if (!companion.handle.open()) return std::nullopt;
  if (::flock(companion.handle.get(), LOCK_EX | LOCK_NB) != 0 ||
      !FitsAsCompanion(companion.handle.get(), file, status)) {
    return std::nullopt;
  }
  companion.size = static_cast<std::size_t>(status.st_size);
  return companion;
}

}  // namespace

std::optional<Companion> OpenCompanion(const std::string& path) {
  struct stat file {};
  struct stat status {};
  return OpenCompanionOf(path, file, status);
}

void RemoveCompanionOf(const std::string& path) {
  const std::string companion = CompanionPath(path);
  const FileHandle handle(::open(companion.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  struct stat held {};
  struct stat named {};
  if (!handle.open() || ::flock(handle.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(handle.get(), &held) != 0 ||
      !OursToWrite(held) || ::lstat(companion.c_str(), &named) != 0 || named.st_dev != held.st_dev ||
      named.st_ino != held.st_ino) {
    return;
  }
  ::unlink(companion.c_str());
}

int ExchangeWithCompanion(const std::string& path, const Companion& companion) {
  return ::renameat2(AT_FDCWD, companion.path.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0 ? 0 : errno;
}

namespace {

// The file a name stands for now is the one held, as it was when taken:
// the same file of one name, type, permission bits, owner and group.
bool StillNamed(const std::string& name, dev_t device, ino_t inode, mode_t mode, uid_t owner, gid_t group,
                struct stat& now) {
  return ::lstat(name.c_str(), &now) == 0 && now.st_dev == device && now.st_ino == inode && now.st_nlink == 1 &&
         now.st_mode == mode && now.st_uid == owner && now.st_gid == group;
}

}  // namespace

std::optional<std::size_t> ScratchPair::CompanionOf(const std::string& path) {
  if (!file_.handle.open()) return std::nullopt;
  struct stat now {};
  const auto still = [&now](const std::string& name, const Held& held) {
    return StillNamed(name, held.device, held.inode, held.mode, held.owner, held.group, now);
  };
  if (path != path_ || !still(path_, file_) || !still(companionPath_, companion_)) {
    Release();
    return std::nullopt;
  }
  return static_cast<std::size_t>(now.st_size);
}

int ScratchPair::Exchange() {
  if (::renameat2(AT_FDCWD, companionPath_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) != 0) {
    const int error = errno;
    Release();
    return error;
  }
  std::swap(file_, companion_);
  return 0;
}

void ScratchPair::Hold(const std::string& path, FileHandle handle) {
  Release();
  struct stat file {};
  struct stat companion {};
  std::optional<Companion> opened = OpenCompanionOf(path, file, companion);
  struct stat held {};
  const bool fits = opened && ::fstat(handle.get(), &held) == 0 && held.st_dev == file.st_dev &&
                    held.st_ino == file.st_ino && ::flock(handle.get(), LOCK_EX | LOCK_NB) == 0;
  if (!fits) return;
  const auto recorded = [](FileHandle fileHandle, const struct stat& status) {
    return Held{std::move(fileHandle), status.st_dev, status.st_ino, status.st_mode, status.st_uid, status.st_gid};
  };
  path_ = path;
  companionPath_ = opened->path;
  file_ = recorded(std::move(handle), file);
  companion_ = recorded(std::move(opened->handle), companion);
}

void ScratchPair::Release() {
  file_ = Held{};
  companion_ = Held{};
  path_.clear();
  companionPath_.clear();
}

#else

std::optional<Companion> OpenCompanion(const std::string&) { return std::nullopt; }

int ExchangeWithCompanion(const std::string&, const Companion&) { return ENOSYS; }

void RemoveCompanionOf(const std::string&) {}

std::optional<std::size_t> ScratchPair::CompanionOf(const std::string&) { return std::nullopt; }

int ScratchPair::Exchange() { return ENOSYS; }

void ScratchPair::Hold(const std::string&, FileHandle) {}

void ScratchPair::Release() {}

#endif

}  // namespace tally
