#pragma once
// An open file descriptor with one owner: closed once, when its owner lets it
// go or is destroyed. It moves and never copies, so a class holding one gets
// its moves right without writing them (and no destructor of its own).

#include <cerrno>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tally {

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int descriptor) noexcept : descriptor_(descriptor) {}
  FileHandle(FileHandle&& other) noexcept : descriptor_(other.Release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Reset(); }

  [[nodiscard]] int get() const { return descriptor_; }
  [[nodiscard]] bool open() const { return descriptor_ >= 0; }

  // Closes the descriptor now. Gives 0, or the error of the close (which
  // may be the first word of a write that did not reach the device).
  [[nodiscard]] int Close() noexcept {
    if (descriptor_ < 0) return 0;
#ifdef _WIN32
    const int closed = ::_close(std::exchange(descriptor_, -1));
#else
    const int closed = ::close(std::exchange(descriptor_, -1));
#endif
    return closed == 0 ? 0 : errno;
  }

  // Closes what it holds, if anything, and holds descriptor instead.
  void Reset(int descriptor = -1) noexcept {
    if (descriptor_ >= 0 && descriptor_ != descriptor) {
      [[maybe_unused]] const int ignored = Close();
    }
    descriptor_ = descriptor;
  }

  // Gives the descriptor up without closing it.
  [[nodiscard]] int Release() noexcept { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_ = -1;
};

}  // namespace tally
