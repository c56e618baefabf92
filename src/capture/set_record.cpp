#include "capture/set_record.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/positional_text.h"
#include "records/set_layout.h"
#include "records/slot_lines.h"

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

// The place of a line's channel key among 01 to 16, 16 for any other key
// (those follow the channels, in the order they came).
int PlaceOf(std::string_view line) {
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    if (line.size() > 2 && line.substr(0, 3) == ChannelKey(channel) + ",") return channel - 1;
  }
  return kChannelSlots;
}

// The slots taken in places of the width of the type's lines, a later line
// of a channel over an earlier one.
std::string PositionalOrder(const std::string& record, SetType layout) {
  const std::size_t width = SlotWidth(layout);
  // The sorted record starts as a copy of the record with two blanks after it.
  std::string sorted = record + "  ";
  // For every target channel, every source slot in ascending order,
  // so the last match wins. Reads come from the record only.
  // The two characters of a slot's channel key, read in place.
  const auto keyAt = [&record](std::size_t from) {
    return from > record.size() ? std::string_view() : std::string_view(record).substr(from - 1, 2);
  };
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    const std::string key = ChannelKey(channel);
    const std::size_t target = LinePosition(layout, channel);
    for (int slot = 1; slot <= kChannelSlots; ++slot) {
      const std::size_t from = LinePosition(layout, slot);
      if (keyAt(from) != key) continue;
      // Only possible with slots narrower than W: nothing to overwrite there.
      if (target > sorted.size()) continue;
      Overwrite(sorted, target, Mid(record, from, width));
    }
  }
  return sorted;
}

// Every line placed by its channel key, lines of one channel in the order
// they came; the record keeps its length.
std::string KeyOrder(const std::string& record, std::vector<std::string_view> lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](std::string_view a, std::string_view b) { return PlaceOf(a) < PlaceOf(b); });
  std::string sorted = record.substr(0, kHeaderLength);
  for (const std::string_view line : lines) {
    sorted += ',';
    sorted += line;
  }
  return sorted + "  ";
}

}  // namespace

std::string SortedRecord(const std::string& record, ProcessorType type, const std::string& marker) {
  // Any processor type other than fLII counts as fLI.
  const SetType layout = type == ProcessorType::fLII ? SetType::fLII : SetType::fLI;

  const auto lines = record.size() > kHeaderLength
                         ? SlotLines(std::string_view(record).substr(kHeaderLength))
                         : std::nullopt;
  const bool slotsOfWidth = !lines || std::all_of(lines->begin(), lines->end(), [&](std::string_view line) {
    return line.size() + 1 == SlotWidth(layout);
  });
  std::string sorted = slotsOfWidth ? PositionalOrder(record, layout) : KeyOrder(record, *lines);

  // Up to four leading characters of the marker over the record's own.
  Overwrite(sorted, 1, Left(marker, kMarkerLength));
  return sorted;
}

}  // namespace tally
