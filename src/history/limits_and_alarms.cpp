#include "history/limits_and_alarms.h"

#include "common/line_reader.h"
#include "records/alarm_line.h"
#include "records/channel_row.h"
#include "records/data_files.h"

namespace tally::history {

std::array<ChannelLimits, kChannelSlots + 1> ReadChannelLimits(const std::string& dataDirectory) {
  std::array<ChannelLimits, kChannelSlots + 1> limits{};
  Outcome<LineReader> lines = LineReader::Open(InFolder(dataDirectory, kChannelTableName));
  if (!lines.ok()) return limits;
  for (int channel = 1; channel <= kChannelTableLines; ++channel) {
    const Outcome<std::string> line = lines.value().Next();
    if (!line.ok()) break;
    const ChannelEntry entry = EntryFromLine(line.value());
    limits[channel] = {entry.HighLimit(), entry.LowLimit()};
  }
  return limits;
}

std::vector<AlarmEntry> ReadAlarmLog(const std::string& dataDirectory) {
  std::vector<AlarmEntry> alarms;
  Outcome<LineReader> lines = LineReader::Open(InFolder(dataDirectory, kAlarmLogName));
  if (!lines.ok()) return alarms;
  for (Outcome<std::string> line = lines.value().Next(); line.ok(); line = lines.value().Next()) {
    const std::optional<AlarmLine> alarm = ReadAlarmLine(line.value());
    if (alarm && alarm->channel && alarm->stamp) {
      alarms.push_back({*alarm->channel, alarm->kind == AlarmKind::High, *alarm->stamp});
    }
  }
  return alarms;
}

}  // namespace tally::history
