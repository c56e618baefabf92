#include "forward/line_batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tally::forward {
namespace {

// Appends whole lines of chunk (read at chunkOffset) to batch; the offset
// where the first unfinished line begins.
std::uint64_t TakeLines(const std::string& chunk, std::uint64_t chunkOffset, const BatchLimits& limits,
                        LineBatch& batch) {
  std::size_t begin = 0;
  for (std::size_t end = chunk.find("\r\n"); end != std::string::npos && batch.lines.size() < limits.lines;
       end = chunk.find("\r\n", begin)) {
    const std::size_t length = end + 2 - begin;
    batch.lines.push_back({chunkOffset + begin, chunk.substr(begin, end - begin)});
    batch.end = {chunkOffset + end + 2, static_cast<std::uint32_t>(length),
                 LineHash(std::string_view(chunk).substr(begin, length))};
    begin = end + 2;
  }
  return chunkOffset + begin;
}

}  // namespace

Outcome<LineBatch> ReadLineBatch(const std::string& path, const FilePosition& from, const BatchLimits& limits) {
  LineBatch batch{{}, from};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return batch;
    return Failure{FailureCode::FileOpen, path + ": " + std::strerror(errno)};
  }
  std::uint64_t offset = from.offset;
  std::string chunk;
  while (batch.lines.size() < limits.lines && offset - from.offset < limits.bytes) {
    std::string more(64 * 1024, '\0');
    const ssize_t got = ::pread(fd, more.data(), more.size(), static_cast<off_t>(offset + chunk.size()));
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      return Failure{FailureCode::FileRead, path + ": " + std::strerror(error)};
    }
    if (got == 0) break;
    chunk.append(more, 0, static_cast<std::size_t>(got));
    const std::uint64_t unfinished = TakeLines(chunk, offset, limits, batch);
    chunk.erase(0, unfinished - offset);
    offset = unfinished;
  }
  ::close(fd);
  return batch;
}

}  // namespace tally::forward
