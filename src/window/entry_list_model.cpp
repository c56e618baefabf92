#include "window/entry_list_model.h"

#include <algorithm>
#include <cstring>

namespace tally {

void EntryListModel::Append(std::string_view entry) {
  // The text goes on where the last entry ended, into as many blocks as it
  // needs; blocks are left uninitialised, so memory is taken as it fills.
  const char* from = entry.data();
  std::size_t left = entry.size();
  while (left > 0) {
    const std::size_t within = textBytes_ % kTextBlockBytes;
    if (within == 0 && textBytes_ / kTextBlockBytes == textBlocks_.size()) {
      textBlocks_.push_back(std::make_unique_for_overwrite<char[]>(kTextBlockBytes));
    }
    const std::size_t piece = std::min(left, kTextBlockBytes - within);
    std::memcpy(textBlocks_[textBytes_ / kTextBlockBytes].get() + within, from, piece);
    from += piece;
    left -= piece;
    textBytes_ += piece;
  }
  StoreEnd(textBytes_);
}

void EntryListModel::StoreEnd(std::uint64_t end) {
  if (count_ % kEndsPerBlock == 0) endBlocks_.push_back(std::make_unique_for_overwrite<End48[]>(kEndsPerBlock));
  endBlocks_.back()[count_ % kEndsPerBlock] = End48{{static_cast<std::uint16_t>(end),
                                                     static_cast<std::uint16_t>(end >> 16),
                                                     static_cast<std::uint16_t>(end >> 32)}};
  ++count_;
}

std::uint64_t EntryListModel::EndOf(std::size_t index) const {
  const End48& end = endBlocks_[index / kEndsPerBlock][index % kEndsPerBlock];
  return std::uint64_t{end.parts[0]} | std::uint64_t{end.parts[1]} << 16 | std::uint64_t{end.parts[2]} << 32;
}

std::string_view EntryListModel::EntryBytes(std::size_t index, std::string& scratch) const {
  const std::uint64_t start = StartOf(index);
  const std::uint64_t end = EndOf(index);
  const auto size = static_cast<std::size_t>(end - start);
  if (size == 0) return {};
  const std::size_t firstBlock = start / kTextBlockBytes;
  const std::size_t within = start % kTextBlockBytes;
  if (within + size <= kTextBlockBytes) return {textBlocks_[firstBlock].get() + within, size};
  scratch.clear();
  for (std::uint64_t at = start; at < end;) {
    const std::size_t offset = at % kTextBlockBytes;
    const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(end - at, kTextBlockBytes - offset));
    scratch.append(textBlocks_[at / kTextBlockBytes].get() + offset, piece);
    at += piece;
  }
  return scratch;
}

std::string EntryListModel::Entry(std::size_t index) const {
  std::string scratch;
  const std::string_view bytes = EntryBytes(index, scratch);
  return std::string(bytes);
}

std::size_t EntryListModel::MemoryBytes() const {
  return textBlocks_.size() * kTextBlockBytes + endBlocks_.size() * kEndsPerBlock * sizeof(End48) +
         textBlocks_.capacity() * sizeof(textBlocks_[0]) + endBlocks_.capacity() * sizeof(endBlocks_[0]);
}

}  // namespace tally
