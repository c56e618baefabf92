#pragma once
// How far a followed file has been shipped, and whether the file still holds
// what was shipped: the position is just past the CR LF of the last shipped
// line, and that line's length and hash tell whether the same bytes still
// stand before it.

#include <cstdint>
#include <string>
#include <string_view>

namespace tally::forward {

struct FilePosition {
  std::uint64_t offset = 0;      // bytes shipped from the start of the file
  std::uint32_t lineLength = 0;  // the last shipped line, CR LF included
  std::uint64_t lineHash = 0;    // LineHash of that line

  bool atStart() const { return offset == 0; }
};

// FNV-1a, 64 bits.
std::uint64_t LineHash(std::string_view bytes);

enum class PositionCheck {
  Holds,    // the file still holds the shipped line just before the position
  Shrank,   // the file is shorter than the position
  Differs,  // other bytes stand there now (replaced, restored from a backup)
};

PositionCheck CheckPosition(const std::string& path, const FilePosition& position);

// What the log says about a position that no longer holds.
std::string PositionTrouble(PositionCheck check, const std::string& fileName, std::uint64_t offset);

}  // namespace tally::forward
