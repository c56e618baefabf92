#include "records/channel_row.h"

#include <cstdio>
#include <limits>

#include "common/number_text.h"
#include "common/positional_text.h"

namespace tally {

namespace {

// A voltage column reading exactly 0 (000, 0.0, blank) means the usual 120.
constexpr float kUsualVoltage = 120;
// A low limit at or above this switches the low test off.
constexpr double kLowTestOff = 254;

// A double kept in single precision; values beyond the float range stay at
// its largest finite value of that sign instead of overflowing.
float SinglePrecision(double value) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  if (value > kLargest) return std::numeric_limits<float>::max();
  if (value < -kLargest) return -std::numeric_limits<float>::max();
  return static_cast<float>(value);
}

double ColumnNumber(const std::string& line, std::size_t position, std::size_t width) {
  return NumberFromText(Mid(line, position, width));
}

}  // namespace

std::optional<double> ChannelEntry::HighLimit() const {
  if (highLimit > 0) return highLimit;
  return std::nullopt;
}

std::optional<double> ChannelEntry::LowLimit() const {
  const double limit = lowLimit;
  if (limit < kLowTestOff) return limit;
  return std::nullopt;
}

ChannelEntry EntryFromLine(const std::string& line) {
  ChannelEntry entry;
  entry.label = Left(line, 25);
  entry.ctRating = ColumnNumber(line, 27, 4);
  entry.multiplier = ColumnNumber(line, 32, 4);
  entry.voltage = SinglePrecision(ColumnNumber(line, 37, 3));
  entry.highLimit = ColumnNumber(line, 41, 4);
  entry.lowLimit = SinglePrecision(ColumnNumber(line, 45, 3));
  if (entry.voltage == 0) entry.voltage = kUsualVoltage;
  return entry;
}

std::string DefaultChannelLine(int channel) {
  char line[80];
  std::snprintf(line, sizeof line, "%3d -%20s,0020,1.00,120,000,999%23s.\r\n", channel, "", "");
  return line;
}

}  // namespace tally
