#include "rig/large_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tally::bench {

namespace {

constexpr std::size_t kBlockBytes = 8u << 20;

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error("cannot " + what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

void GrowFileWithLines(const std::string& path, std::uint64_t bytes, const std::string& line) {
  const std::uint64_t blockBytes = bytes < kBlockBytes ? bytes : kBlockBytes;
  std::string block;
  block.reserve(blockBytes + line.size());
  while (block.size() < blockBytes) block += line;

  const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
  if (handle < 0) Fail("open", path);
  std::uint64_t written = FileBytes(path);
  while (written < bytes) {
    const ssize_t done = ::write(handle, block.data(), block.size());
    if (done < 0) {
      if (errno == EINTR) continue;
      ::close(handle);
      Fail("write", path);
    }
    written += static_cast<std::uint64_t>(done);
  }
  if (::fsync(handle) != 0) {
    ::close(handle);
    Fail("flush", path);
  }
  ::close(handle);
}

std::uint64_t FileBytes(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
}

}  // namespace tally::bench
