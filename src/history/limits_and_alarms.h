#pragma once
// What the plot draws beside the sets: each channel's high and low limits
// from the channel table and the alarms of the alarm log.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "records/set_line.h"

namespace tally::history {

struct ChannelLimits {
  std::optional<double> high;  // none where the high test is off (0 or less)
  std::optional<double> low;   // none where the low test is off (254 or more)
};

// Channels 1..16 (index 0 unused); all tests off when the file cannot be read.
std::array<ChannelLimits, kChannelSlots + 1> ReadChannelLimits(const std::string& dataDirectory);

struct AlarmEntry {
  int channel = 0;
  bool high = false;
  LocalStamp stamp;
};

// The alarms of the log in file order; lines that do not read as an alarm
// of a numbered channel at a date are passed over.
std::vector<AlarmEntry> ReadAlarmLog(const std::string& dataDirectory);

}  // namespace tally::history
