#include "support/channel_table_file.h"

#include <cstdio>
#include <limits>

#include "common/line_reader.h"
#include "common/number_text.h"
#include "common/positional_text.h"
#include "support/support_file.h"

namespace tally {

namespace {

constexpr const char* kChannelTableName = "ct.dat";
constexpr int kFileChannels = 16;
// A voltage column reading exactly 0 (000, 0.0, blank) means the usual 120.
constexpr float kUsualVoltage = 120;

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

std::string DefaultChannelLine(int channel) {
  char line[80];
  std::snprintf(line, sizeof line, "%3d -%20s,0020,1.00,120,000,999%23s.\r\n", channel, "",
                "");
  return line;
}

}  // namespace

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

void LoadChannelTable(CaptureContext& context) {
  Outcome<LineReader> opened = LineReader::Open(SupportFilePath(context.state, kChannelTableName), kSupportFileReadLimit);
  if (!opened.ok()) {
    ShowReadProblem(context, kChannelTableName);
    return;
  }
  LineReader& lines = opened.value();
  for (int channel = 1; channel <= kFileChannels; ++channel) {
    // The whole line is read before its row changes: a short file leaves
    // the rows it does not reach as they were.
    const Outcome<std::string> line = lines.Next();
    if (!line.ok()) {
      ShowReadProblem(context, kChannelTableName);
      return;
    }
    context.state.channels[channel] = EntryFromLine(line.value());
  }
}

void WriteDefaultChannelTable(CaptureContext& context) {
  WriteSupportFile(context, kChannelTableName, DefaultChannelTable());
}

std::string DefaultChannelTable() {
  std::string table;
  for (int channel = 1; channel <= kFileChannels; ++channel) table += DefaultChannelLine(channel);
  return table;
}

}  // namespace tally
