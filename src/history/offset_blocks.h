#pragma once
// The byte offsets of the indexed lines, 8 bytes each, kept in fixed blocks
// so that growing never copies the index nor holds it twice.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tally::history {

class OffsetBlocks {
 public:
  static constexpr std::size_t kBlock = 8192;

  void Append(std::uint64_t offset) {
    if (size_ % kBlock == 0) blocks_.push_back(std::make_unique<Block>());
    (*blocks_.back())[size_ % kBlock] = offset;
    ++size_;
  }
  std::uint64_t operator[](std::size_t index) const { return (*blocks_[index / kBlock])[index % kBlock]; }
  std::size_t size() const { return size_; }
  void Clear() {
    blocks_.clear();
    size_ = 0;
  }
  // Bytes held, for the memory figure of the benchmark.
  std::size_t Footprint() const {
    return blocks_.size() * sizeof(Block) + blocks_.capacity() * sizeof(std::unique_ptr<Block>);
  }

 private:
  using Block = std::array<std::uint64_t, kBlock>;
  std::vector<std::unique_ptr<Block>> blocks_;
  std::size_t size_ = 0;
};

}  // namespace tally::history
