#include "capture/set_record.h"

#include <cstddef>
#include <string>

#include "common/positional_text.h"

namespace tally {

namespace {

constexpr int kChannels = 16;
constexpr std::size_t kFirstLinePosition = 20;  // slot 1's line, after the header and the comma
constexpr std::size_t kMarkerLength = 4;

// The channel key of i: two digits with a leading zero (01 to 16).
std::string ChannelKey(int channel) {
  std::string key = std::to_string(channel);
  if (key.size() < 2) key.insert(key.begin(), '0');
  return key;
}

}  // namespace

std::string SortedRecord(const std::string& record, ProcessorType type, const std::string& marker) {
  // The slot width; any processor type other than fLII counts as fLI.
  const std::size_t width = type == ProcessorType::fLII ? 41 : 19;

  // The sorted record starts as a copy of the record with two blanks after it.
  std::string sorted = record + "  ";

  // For every target channel, every source slot in ascending order,
  // so the last match wins. Reads come from the record only.
  for (int channel = 1; channel <= kChannels; ++channel) {
    const std::string key = ChannelKey(channel);
    const std::size_t target = kFirstLinePosition + static_cast<std::size_t>(channel - 1) * width;
    for (int slot = 1; slot <= kChannels; ++slot) {
      const std::size_t from = kFirstLinePosition + static_cast<std::size_t>(slot - 1) * width;
      if (Mid(record, from, 2) != key) continue;
      // Only possible with slots narrower than W: nothing to overwrite there.
      if (target > sorted.size()) continue;
      Overwrite(sorted, target, Mid(record, from, width));
    }
  }

  // Up to four leading characters of the marker over the record's own.
  Overwrite(sorted, 1, Left(marker, kMarkerLength));
  return sorted;
}

}  // namespace tally
