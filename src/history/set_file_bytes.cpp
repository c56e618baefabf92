#include "history/set_file_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
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

SetFileBytes::~SetFileBytes() { Close(); }

SetFileBytes::SetFileBytes(SetFileBytes&& other) noexcept { *this = std::move(other); }

SetFileBytes& SetFileBytes::operator=(SetFileBytes&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    identity_ = other.identity_;
    size_ = std::exchange(other.size_, 0);
    map_ = std::exchange(other.map_, nullptr);
    mapLength_ = std::exchange(other.mapLength_, 0);
  }
  return *this;
}

bool SetFileBytes::Open(const std::string& path, std::string& error) {
  Close();
  descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  Refresh();
  return true;
}

void SetFileBytes::Refresh() {
  if (descriptor_ < 0) return;
  struct stat info {};
  if (::fstat(descriptor_, &info) != 0) return;
  identity_ = IdentityFrom(info);
  if (identity_.size == size_ && (map_ != nullptr || size_ == 0)) return;
  size_ = identity_.size;
  Map();
}

void SetFileBytes::Close() {
  Unmap();
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  size_ = 0;
  identity_ = {};
}

void SetFileBytes::Map() {
  Unmap();
  if (size_ == 0) return;
  void* address = ::mmap(nullptr, size_, PROT_READ, MAP_SHARED, descriptor_, 0);
  if (address == MAP_FAILED) return;  // read in blocks instead
  map_ = static_cast<const char*>(address);
  mapLength_ = size_;
}

void SetFileBytes::Unmap() {
  if (map_ != nullptr) ::munmap(const_cast<char*>(map_), mapLength_);
  map_ = nullptr;
  mapLength_ = 0;
}

std::string_view SetFileBytes::View(std::uint64_t offset, std::uint64_t count, std::string& scratch) const {
  if (offset >= size_) return {};
  if (count > size_ - offset) count = size_ - offset;
  if (map_ != nullptr) return std::string_view(map_ + offset, count);
  scratch.resize(count);
  std::uint64_t done = 0;
  while (done < count) {
    const ssize_t got =
        ::pread(descriptor_, scratch.data() + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // shortened under us: the caller sees fewer bytes
    done += static_cast<std::uint64_t>(got);
  }
  scratch.resize(done);
  return scratch;
}

}  // namespace tally::history
