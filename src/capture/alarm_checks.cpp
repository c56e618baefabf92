#include "capture/alarm_checks.h"

#include <string>

#include "capture/data_file_writes.h"
#include "common/file_io.h"
#include "common/number_text.h"
#include "records/alarm_line.h"
#include "records/data_files.h"

namespace tally {

namespace {

struct Alarm {
  const char* message;  // sent to the processor, followed by the channel
  AlarmKind kind;
};

constexpr Alarm kHighAlarm{"AT TALLY77 Channel High:", AlarmKind::High};
constexpr Alarm kLowAlarm{"AT TALLY77 Channel Low :", AlarmKind::Low};

bool HasChannelRow(std::int64_t channel) { return channel >= 0 && channel < kChannelRows; }

bool IsTooHigh(const ChannelEntry& entry, double value) {
  const std::optional<double> limit = entry.HighLimit();
  return limit && value > *limit;
}

bool IsTooLow(const ChannelEntry& entry, double value) {
  const std::optional<double> limit = entry.LowLimit();
  return limit && value < *limit;
}

// The log line is appended on its own; a line the directory does not take
// is kept and written later, in order. The failure is shown once while it
// lasts, and again after the kept lines have been written.
void LogAlarm(CaptureContext& context, const std::string& alarmText) {
  const SetFileWrite line{kAlarmLogName, alarmText + "\r\n", SetFileWrite::Mode::Append,
                          Durability::Flushed};
  const Status logged = WriteOrKeep(context, {line});
  if (logged.ok()) return;
  if (!context.notices.SayOnce(Notice::AlarmLogFailing)) return;
  context.events.Tell(event::AlarmLogFailing{logged.failure().message});
}

// The three reports of one alarm, in order: processor, operator, alarm log.
// told holds the channel, the value and the limit it went beyond.
void RaiseAlarm(CaptureContext& context, const Alarm& alarm, const std::string& channelText,
                const Stamps& stamps, event::Alarm told) {
  // A port that cannot take the message (closed, lost) must not stop the
  // alarm from being listed and logged.
  IgnoreFailure(context.port.Output(alarm.message + channelText + "\r\n"));
  const std::string alarmText = AlarmText(channelText, alarm.kind, stamps.dateStamp + stamps.timeStamp);
  told.logLine = alarmText;
  context.events.Tell(told);
  LogAlarm(context, alarmText);
}

}  // namespace

void CheckAlarms(CaptureContext& context, const ReadingLine& line, const Stamps& stamps) {
  const std::int64_t channel = NearestWhole(line.fieldValue[0]);
  if (!HasChannelRow(channel)) {
    context.events.Tell(event::ChannelWithoutLimits{channel});
    return;
  }
  const ChannelEntry& entry = context.state.channels[static_cast<std::size_t>(channel)];
  const double value = line.fieldValue[1];
  const std::string& channelText = line.fieldText[0];
  if (IsTooHigh(entry, value)) {
    RaiseAlarm(context, kHighAlarm, channelText, stamps, {channel, true, value, *entry.HighLimit(), ""});
  }
  if (IsTooLow(entry, value)) {
    RaiseAlarm(context, kLowAlarm, channelText, stamps, {channel, false, value, *entry.LowLimit(), ""});
  }
}

}  // namespace tally
