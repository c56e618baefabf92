#pragma once
// Set files grown large before a benchmark: months of capture already in
// place, so that the cost of one more line can be compared with a fresh
// directory.

#include <cstdint>
#include <string>

namespace tally::bench {

// Writes the line over and over in large blocks until the file holds at
// least bytes, then flushes it to the disk, so that the file is really on
// the disk (no holes) and none of it is still waiting to be written when
// the timing starts. Throws when the file cannot be written.
void GrowFileWithLines(const std::string& path, std::uint64_t bytes, const std::string& line);

// The size of a file in bytes, 0 when missing.
std::uint64_t FileBytes(const std::string& path);

}  // namespace tally::bench
