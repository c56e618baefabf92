#pragma once
// Read-only access to the bytes of "fl.db1", read with pread in large
// blocks. The file is never mapped: a mapped file that another program cuts
// short faults (SIGBUS) on the first touch past its new end, and no size
// check before each touch closes that race. A read simply comes back short;
// the next Follow sees the smaller size and indexes anew.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/file_handle.h"

namespace tally::history {

// Who the file is, to tell a file that grew from one that was replaced.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  bool exists = false;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity IdentityOf(const std::string& path);

class SetFileBytes {
 public:
  // Opens the file; error holds the reason when it cannot be opened.
  bool Open(const std::string& path, std::string& error);
  // Takes the file's present size and identity (fstat).
  void Refresh();
  void Close();

  bool isOpen() const { return descriptor_.open(); }
  // The size as last refreshed; the file may be shorter by now.
  std::uint64_t size() const { return identity_.size; }
  const FileIdentity& identity() const { return identity_; }

  // Reads up to count bytes from offset into into; the bytes read, fewer at
  // the end of the file, when it was cut short or when the read failed
  // (failure, when given, then holds errno; 0 at the end).
  std::size_t ReadAt(std::uint64_t offset, char* into, std::size_t count, int* failure = nullptr) const;
  // Bytes from offset, at most count, read into scratch.
  std::string_view View(std::uint64_t offset, std::uint64_t count, std::string& scratch) const;

 private:
  FileHandle descriptor_;
  FileIdentity identity_;
};

}  // namespace tally::history
