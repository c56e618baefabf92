#include "rig/reading_rig.h"

#include <stdexcept>

#include "capture/process_reading.h"
#include "support/channel_table_file.h"

namespace tally::bench {

namespace {

constexpr double kBitsPerCharacter = 10;
constexpr double kBaud = 300;
constexpr const char* kSetsWithoutEnd = "1000000000";

}  // namespace

ReadingRig::ReadingRig() {
  surface.directory = dir.path();
  context.state.dataPath = dir.dataPath();
  static_cast<void>(context.keptWrites.UseJournalFolder(journalFolder.path()));
  surface.SetText(TextBox::Text3, kSetsWithoutEnd);
  surface.SetText(TextBox::Text4, "2000");
  context.state.obsRemaining = 1e9;
  WriteDefaultChannelTable(context);
  LoadChannelTable(context);
  if (!surface.Text(TextBox::Text2).empty()) {
    throw std::runtime_error("channel table not in place: " + surface.Text(TextBox::Text2));
  }
}

void ReadingRig::Process(const std::string& burst) {
  ProcessReading(context, burst);
}

std::string FliBurst(int channel, int readingNumber) {
  return std::to_string(channel) + "," + std::to_string(100 + channel) + "," +
         std::to_string(readingNumber % 100000) + ",300";
}

std::string FliiBurst(int channel, int readingNumber) {
  return FliBurst(channel, readingNumber) + ",7,99999,0,12000";
}

double WireMicroseconds(const std::string& burst) {
  return static_cast<double>(burst.size()) * kBitsPerCharacter / kBaud * 1e6;
}

}  // namespace tally::bench
