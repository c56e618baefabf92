#pragma once
// One line of the alarm log "alarmlog.txt": the channel as the reading line
// gave it, the kind, and the header of the set stamp the alarm was raised
// at ("03 high fL0120261206143015", "03 low  fL0120261206143015").

#include <optional>
#include <string>
#include <string_view>

#include "records/set_line.h"

namespace tally {

enum class AlarmKind { High, Low };
const char* AlarmKindName(AlarmKind kind);  // "high", "low"

// The line as the capture writes it, without its CR LF; header is the
// marker and the stamp, as a set record's header.
std::string AlarmText(const std::string& channelText, AlarmKind kind, const std::string& header);

struct AlarmLine {
  std::string channelText;        // as written
  std::optional<int> channel;     // when channelText is one to four digits
  AlarmKind kind = AlarmKind::High;
  std::string stampText;          // yyyymmddhhmmss as written
  std::optional<LocalStamp> stamp;  // none when that is no date
};

// A line of the log without its line end; none when it does not have the
// form of an alarm.
std::optional<AlarmLine> ReadAlarmLine(std::string_view line);

}  // namespace tally
