#include "forward/file_position.h"

#include <fcntl.h>
#include <unistd.h>

namespace tally::forward {

std::uint64_t LineHash(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 1099511628211ull;
  }
  return hash;
}

PositionCheck CheckPosition(const std::string& path, const FilePosition& position) {
  if (position.atStart()) return PositionCheck::Holds;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return PositionCheck::Shrank;
  const off_t size = ::lseek(fd, 0, SEEK_END);
  PositionCheck check = PositionCheck::Shrank;
  if (size >= 0 && static_cast<std::uint64_t>(size) >= position.offset && position.lineLength <= position.offset) {
    std::string line(position.lineLength, '\0');
    const ssize_t got = ::pread(fd, line.data(), line.size(), static_cast<off_t>(position.offset - line.size()));
    check = got == static_cast<ssize_t>(line.size()) && LineHash(line) == position.lineHash ? PositionCheck::Holds
                                                                                             : PositionCheck::Differs;
  }
  ::close(fd);
  return check;
}

std::string PositionTrouble(PositionCheck check, const std::string& fileName, std::uint64_t offset) {
  const std::string what = check == PositionCheck::Shrank ? "is shorter than the " + std::to_string(offset) +
                                                                " bytes already shipped"
                                                          : "no longer holds the line shipped last before byte " +
                                                                std::to_string(offset);
  return fileName + " " + what + ": reading it again from the start; sets already stored are skipped";
}

}  // namespace tally::forward
