#include "capture/set_record.h"

#include <cstddef>
#include <string>

#include "common/positional_text.h"
#include "records/set_layout.h"

namespace tally {

namespace {

// Where slot's line begins, counted from 1 as the text helpers do: right
// after the slot's comma.
std::size_t LinePosition(SetType type, int slot) { return SlotStart(type, slot) + 2; }

// The channel key of i: two digits with a leading zero (01 to 16).
std::string ChannelKey(int channel) {
  std::string key = std::to_string(channel);
  if (key.size() < 2) key.insert(key.begin(), '0');
  return key;
}

}  // namespace

std::string SortedRecord(const std::string& record, ProcessorType type, const std::string& marker) {
  // Any processor type other than fLII counts as fLI.
  const SetType layout = type == ProcessorType::fLII ? SetType::fLII : SetType::fLI;
  const std::size_t width = SlotWidth(layout);

  // The sorted record starts as a copy of the record with two blanks after it.
  std::string sorted = record + "  ";

  // For every target channel, every source slot in ascending order,
  // so the last match wins. Reads come from the record only.
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    const std::string key = ChannelKey(channel);
    const std::size_t target = LinePosition(layout, channel);
    for (int slot = 1; slot <= kChannelSlots; ++slot) {
      const std::size_t from = LinePosition(layout, slot);
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
