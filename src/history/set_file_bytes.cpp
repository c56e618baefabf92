#include "history/set_file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tally::history {

namespace {

FileIdentity IdentityFrom(const struct stat& info) {
  FileIdentity identity;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  identity.size = static_cast<std::uint64_t>(info.st_size);
  identity.exists = true;
  return identity;
}

}  // namespace

FileIdentity IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return IdentityFrom(info);
}

bool SetFileBytes::Open(const std::string& path, std::string& error) {
  Close();
  descriptor_.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!descriptor_.open()) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  Refresh();
  return true;
}

void SetFileBytes::Refresh() {
  if (!descriptor_.open()) return;
  struct stat info {};
  if (::fstat(descriptor_.get(), &info) == 0) identity_ = IdentityFrom(info);
}

void SetFileBytes::Close() {
  descriptor_.Reset();
  identity_ = {};
}

std::size_t SetFileBytes::ReadAt(std::uint64_t offset, char* into, std::size_t count, int* failure) const {
  std::size_t done = 0;
  if (failure != nullptr) *failure = 0;
  while (done < count) {
    const ssize_t got = ::pread(descriptor_.get(), into + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && failure != nullptr) *failure = errno;
    if (got <= 0) break;  // the end, or an error: the caller sees fewer bytes
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::string_view SetFileBytes::View(std::uint64_t offset, std::uint64_t count, std::string& scratch) const {
  if (offset >= size()) return {};
  if (count > size() - offset) count = size() - offset;
  scratch.resize(count);
  scratch.resize(ReadAt(offset, scratch.data(), scratch.size()));
  return scratch;
}

}  // namespace tally::history
