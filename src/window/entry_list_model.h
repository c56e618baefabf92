#pragma once
// The entries of an append-only list box (List1, List2), kept compact for
// days of capture. Entry texts lie one after the other in fixed blocks of
// 256 KiB (an entry may run on from one block into the next), and each
// entry costs its own characters plus a 6-byte end offset, itself kept in
// fixed blocks. Nothing is ever moved or grown by doubling, so an append
// costs the same with a million entries as with none. Entries are 8-bit
// text, shown one byte a character (Latin-1).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tally {

class EntryListModel {
 public:
  static constexpr std::size_t kTextBlockBytes = 256 * 1024;
  static constexpr std::size_t kEndsPerBlock = 64 * 1024;

  EntryListModel() = default;
  EntryListModel(const EntryListModel&) = delete;
  EntryListModel& operator=(const EntryListModel&) = delete;

  // Adds the entry as the new last one.
  void Append(std::string_view entry);

  std::size_t EntryCount() const { return count_; }
  std::string Entry(std::size_t index) const;

  // The entry's bytes: straight from the block holding them, or copied into
  // scratch when they run on from one block into the next.
  std::string_view EntryBytes(std::size_t index, std::string& scratch) const;

  // What the entries hold in memory: the blocks and the tables of blocks.
  std::size_t MemoryBytes() const;

 private:
  // An end offset in 48 bits: room for 256 TiB of text.
  struct End48 {
    std::array<std::uint16_t, 3> parts;
  };
  static_assert(sizeof(End48) == 6);

  std::uint64_t EndOf(std::size_t index) const;
  std::uint64_t StartOf(std::size_t index) const { return index == 0 ? 0 : EndOf(index - 1); }
  void StoreEnd(std::uint64_t end);

  std::vector<std::unique_ptr<char[]>> textBlocks_;
  std::vector<std::unique_ptr<End48[]>> endBlocks_;
  std::uint64_t textBytes_ = 0;  // text held, over all blocks
  std::size_t count_ = 0;
};

}  // namespace tally
