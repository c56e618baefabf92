#pragma once
// Read-only access to the bytes of "fl.db1": mapped into memory where the
// system allows it, otherwise read in large blocks on demand.

#include <cstdint>
#include <string>
#include <string_view>

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
  SetFileBytes() = default;
  ~SetFileBytes();
  SetFileBytes(SetFileBytes&& other) noexcept;
  SetFileBytes& operator=(SetFileBytes&& other) noexcept;
  SetFileBytes(const SetFileBytes&) = delete;
  SetFileBytes& operator=(const SetFileBytes&) = delete;

  // Opens the file; error holds the reason when it cannot be opened.
  bool Open(const std::string& path, std::string& error);
  // Takes the file's present size (mapping anew when it changed).
  void Refresh();
  void Close();

  bool isOpen() const { return descriptor_ >= 0; }
  bool mapped() const { return map_ != nullptr; }
  std::uint64_t size() const { return size_; }
  const FileIdentity& identity() const { return identity_; }

  // Bytes from offset, at most count (fewer at the end of the file). Points
  // into the mapping or into scratch; valid until the next call that moves
  // or changes either.
  std::string_view View(std::uint64_t offset, std::uint64_t count, std::string& scratch) const;

 private:
  void Map();
  void Unmap();

  int descriptor_ = -1;
  FileIdentity identity_;
  std::uint64_t size_ = 0;
  const char* map_ = nullptr;
  std::uint64_t mapLength_ = 0;
};

}  // namespace tally::history
