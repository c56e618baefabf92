#include "common/replace_target.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/random.h>
#include <unistd.h>
#endif

namespace tally {

namespace {

constexpr int kMostLinks = 40;         // as the kernel allows in one path
constexpr int kNameTries = 100;        // names tried before giving up
constexpr int kRandomCharacters = 12;  // about 62 bits of chance

Failure Refused(const std::string& action, const std::string& path, int error) {
  return Failure{FailureCode::FileOpen, "cannot " + action + " " + path + ": " + std::strerror(error)};
}

std::string DirectoryOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// Random characters for a temporary name, from the system's own source.
std::string RandomCharacters() {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::array<unsigned char, kRandomCharacters> bytes{};
#ifdef _WIN32
  std::random_device source;
  for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(source());
#else
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::getrandom(bytes.data() + got, bytes.size() - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // no kernel source: the library's one
      std::random_device source;
      for (; got < bytes.size(); ++got) bytes[got] = static_cast<unsigned char>(source());
      break;
    }
    got += static_cast<std::size_t>(n);
  }
#endif
  std::string text;
  for (const unsigned char byte : bytes) text.push_back(kAlphabet[byte % (sizeof kAlphabet - 1)]);
  return text;
}

#ifndef _WIN32
// The path a symbolic link names, taken from the link's own directory when
// it is relative.
Outcome<std::string> LinkDestination(const std::string& link) {
  std::array<char, 4096> buffer{};
  const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
  if (length < 0) return Refused("follow", link, errno);
  if (static_cast<std::size_t>(length) == buffer.size()) return Refused("follow", link, ENAMETOOLONG);
  const std::string destination(buffer.data(), static_cast<std::size_t>(length));
  if (destination.front() == '/') return destination;
  return DirectoryOf(link) + "/" + destination;
}
#endif

}  // namespace

Outcome<ReplaceTarget> FindReplaceTarget(const std::string& path) {
  ReplaceTarget target;
  target.path = path;
#ifndef _WIN32
  struct stat status {};
  int links = 0;
  for (;;) {
    if (::lstat(target.path.c_str(), &status) != 0) {
      // A file not there yet is created; the directory is checked then.
      if (errno == ENOENT) return target;
      return Refused("open", path, errno);
    }
    if (!S_ISLNK(status.st_mode)) break;
    if (++links > kMostLinks) return Refused("follow", path, ELOOP);
    Outcome<std::string> destination = LinkDestination(target.path);
    if (!destination.ok()) return destination.failure();
    target.path = std::move(destination).value();
  }
  // Root may write anything; for everyone else the file's own bits decide,
  // as they would for a write in place.
  if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) return Refused("write", path, errno);
  target.exists = true;
  target.mode = status.st_mode & 07777;
  target.owner = static_cast<long>(status.st_uid);
  target.group = static_cast<long>(status.st_gid);
#else
  struct _stat64 status {};
  if (::_stat64(path.c_str(), &status) != 0) return target;
  if (::_access(path.c_str(), 2) != 0) return Refused("write", path, errno);
  target.exists = true;
  target.mode = status.st_mode & 0777;
#endif
  return target;
}

Outcome<TemporaryFile> CreateTemporaryBeside(const ReplaceTarget& target) {
#ifdef _WIN32
  constexpr int kFlags = _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT;
#else
  constexpr int kFlags = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
#endif
  const unsigned createMode = target.exists ? target.mode : 0666;
  int error = EEXIST;
  for (int attempt = 0; attempt < kNameTries && error == EEXIST; ++attempt) {
    TemporaryFile temporary{target.path + ".new-" + RandomCharacters(), {}};
    temporary.handle.Reset(::open(temporary.path.c_str(), kFlags, createMode));
    if (!temporary.handle.open()) {
      error = errno;
      continue;
    }
#ifndef _WIN32
    if (target.exists) {
      // The owner first: a change of owner clears set-id bits. Only the
      // owner's own user or root may give a file away; elsewhere the
      // program's user owns the new file.
      if (static_cast<uid_t>(target.owner) != ::geteuid() || static_cast<gid_t>(target.group) != ::getegid()) {
        [[maybe_unused]] const int ignored =
            ::fchown(temporary.handle.get(), static_cast<uid_t>(target.owner), static_cast<gid_t>(target.group));
      }
      // The creation mode passed the umask; the target's bits are set whole.
      if (::fchmod(temporary.handle.get(), static_cast<mode_t>(target.mode)) != 0) {
        error = errno;
        temporary.handle.Reset();
        ::unlink(temporary.path.c_str());
        return Refused("create", temporary.path, error);
      }
    }
#endif
    return temporary;
  }
  return Refused("create", target.path, error);
}

int FlushDirectoryOf(const std::string& path) {
#ifdef _WIN32
  static_cast<void>(path);  // a rename is flushed with the file on Windows
  return 0;
#else
  const FileHandle directory(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.open()) return errno;
  const int error = ::fsync(directory.get()) == 0 ? 0 : errno;
  return error == EINVAL ? 0 : error;  // EINVAL: a file system that has nothing to flush
#endif
}

}  // namespace tally
