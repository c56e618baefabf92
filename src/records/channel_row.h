#pragma once
// One row of the channel table "ct.dat": a line of fixed columns per
// channel, and the limits its alarm tests use.

#include <optional>
#include <string>

namespace tally {

struct ChannelEntry {
  std::string label;        // characters 1-25 of the channel table line
  double ctRating = 0;      // characters 27-30
  double multiplier = 0;    // characters 32-35
  float voltage = 0;        // characters 37-39; 0 is stored as 120
  double highLimit = 0;     // characters 41-44; 0 or less: no high test
  float lowLimit = 0;       // characters 45-47; 254 or more: no low test

  // The limits the tests use; none where the test is off.
  std::optional<double> HighLimit() const;
  std::optional<double> LowLimit() const;  // the single-precision limit widened exactly
};

// The lines of the file that fill channels 1 to 16.
inline constexpr int kChannelTableLines = 16;

// One row from one line of the file, by fixed columns.
ChannelEntry EntryFromLine(const std::string& line);

// Channel's default line (71 characters and CR LF).
std::string DefaultChannelLine(int channel);

}  // namespace tally
