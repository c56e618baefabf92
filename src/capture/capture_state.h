#pragma once
// The state of a capture run: counters, the observation set in progress, the
// record of the last completed set, the data directory, the processor type,
// the channel table and the rate values. The window owns exactly one.

#include <array>
#include <cstdint>
#include <string>

#include "records/channel_row.h"

namespace tally {

enum class ProcessorType : std::int16_t {
  fLI = 0,   // lines of four fields
  fLII = 1,  // lines of eight fields
};

// Rows 0 to 17; rows 1 to 16 come from the 16 lines of the channel table
// file, rows 0 and 17 keep their start values.
inline constexpr int kChannelRows = 18;
using ChannelTable = std::array<ChannelEntry, kChannelRows>;

struct CaptureState {
  std::int64_t lineCount = 0;      // lines of the set in progress, 0..15 at rest
  std::int64_t obsCount = 0;       // sets completed since start
  std::int64_t tickCount = 0;      // burst timer ticks since start
  double obsRemaining = 0;         // sets still wanted, fraction kept
  ProcessorType processorType = ProcessorType::fLI;
  std::string setLines;            // "," + text per line of the set in progress
  std::string setRecord;           // stamped record of the set just completed
  std::string sortedRecord;        // setRecord in channel order, marker in front
  std::string shortLines;          // first 18 characters + CR LF per line
  std::string lineStamps;          // "hh:mm:ss mm-dd-yyyy" + CR LF per line
  std::string dataPath;            // data directory, ends in the path separator
  ChannelTable channels{};
  std::array<double, 5> rateValues{};
};

}  // namespace tally
