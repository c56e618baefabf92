#pragma once
// What an export takes: a local time range (both ends included) and a
// channel selection, read from the operator's words.

#include <bitset>
#include <optional>
#include <string>

#include "records/set_line.h"

namespace tally::history {

struct ExportChoice {
  std::optional<LocalStamp> from;  // included
  std::optional<LocalStamp> to;    // included
  // Channels 1..16 by the number the line holds; every line, whatever its
  // number, while allChannels holds.
  bool allChannels = true;
  std::bitset<kChannelSlots + 1> channels;

  bool Includes(const LocalStamp& stamp) const { return (!from || stamp >= *from) && (!to || stamp <= *to); }
  bool HasChannel(double channel) const {
    if (allChannels) return true;
    const int whole = static_cast<int>(channel);
    return whole == channel && whole >= 1 && whole <= kChannelSlots && channels[whole];
  }
};

// "2026-12-01" (the start of the day, or its last second for an end),
// "2026-12-01T10:30" (likewise the minute), "2026-12-01 10:30:15". error
// says why otherwise.
std::optional<LocalStamp> ReadLocalBound(const std::string& text, bool end, std::string& error);

// "1-4,7,9-16": numbers and ranges from 1 to 16.
std::optional<std::bitset<kChannelSlots + 1>> ReadChannels(const std::string& text, std::string& error);

}  // namespace tally::history
