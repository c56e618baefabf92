#include "history/limits_and_alarms.h"

#include "common/line_reader.h"
#include "support/channel_table_file.h"

namespace tally::history {

namespace {

constexpr double kLowTestOff = 254;
constexpr std::size_t kStampDigits = 14;

std::string InDirectory(const std::string& directory, const std::string& name) {
  return directory.empty() || directory.back() == '/' ? directory + name : directory + "/" + name;
}

}  // namespace

std::array<ChannelLimits, kChannelSlots + 1> ReadChannelLimits(const std::string& dataDirectory) {
  std::array<ChannelLimits, kChannelSlots + 1> limits{};
  Outcome<LineReader> lines = LineReader::Open(InDirectory(dataDirectory, "ct.dat"));
  if (!lines.ok()) return limits;
  for (int channel = 1; channel <= kChannelSlots; ++channel) {
    const Outcome<std::string> line = lines.value().Next();
    if (!line.ok()) break;
    const ChannelEntry entry = EntryFromLine(line.value());
    if (entry.highLimit > 0) limits[channel].high = entry.highLimit;
    if (entry.lowLimit < kLowTestOff) limits[channel].low = entry.lowLimit;
  }
  return limits;
}

std::optional<AlarmEntry> AlarmFromLine(const std::string& line) {
  const std::size_t blank = line.find(' ');
  const std::size_t marker = line.rfind("fL01");
  if (blank == std::string::npos || blank == 0 || marker == std::string::npos ||
      line.size() != marker + 4 + kStampDigits) {
    return std::nullopt;
  }
  AlarmEntry alarm;
  for (std::size_t i = 0; i < blank; ++i) {
    if (line[i] < '0' || line[i] > '9' || alarm.channel > 1000) return std::nullopt;
    alarm.channel = alarm.channel * 10 + (line[i] - '0');
  }
  const std::string keyword = line.substr(blank, marker - blank);
  if (keyword != " high " && keyword != " low  ") return std::nullopt;
  alarm.high = keyword == " high ";
  // The stamp reads as a set header's does: "xxxx" in place of the marker.
  if (!ReadStamp("xxxx" + line.substr(marker + 4), alarm.stamp)) return std::nullopt;
  return alarm;
}

std::vector<AlarmEntry> ReadAlarmLog(const std::string& dataDirectory) {
  std::vector<AlarmEntry> alarms;
  Outcome<LineReader> lines = LineReader::Open(InDirectory(dataDirectory, "alarmlog.txt"));
  if (!lines.ok()) return alarms;
  for (Outcome<std::string> line = lines.value().Next(); line.ok(); line = lines.value().Next()) {
    if (const auto alarm = AlarmFromLine(line.value())) alarms.push_back(*alarm);
  }
  return alarms;
}

}  // namespace tally::history
