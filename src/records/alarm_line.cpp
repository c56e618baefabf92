#include "records/alarm_line.h"

namespace tally {

namespace {

constexpr std::string_view kHighWord = " high ";
constexpr std::string_view kLowWord = " low  ";
constexpr std::size_t kWordLength = 6;
constexpr std::size_t kMostChannelDigits = 4;

std::optional<int> ChannelNumber(std::string_view text) {
  if (text.empty() || text.size() > kMostChannelDigits) return std::nullopt;
  int channel = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    channel = channel * 10 + (c - '0');
  }
  return channel;
}

}  // namespace

const char* AlarmKindName(AlarmKind kind) { return kind == AlarmKind::High ? "high" : "low"; }

std::string AlarmText(const std::string& channelText, AlarmKind kind, const std::string& header) {
  return channelText + std::string(kind == AlarmKind::High ? kHighWord : kLowWord) + header;
}

std::optional<AlarmLine> ReadAlarmLine(std::string_view line) {
  // Read from the end: the header, the kind's word, and the channel before it.
  if (line.size() <= kWordLength + kHeaderLength) return std::nullopt;
  const std::size_t wordAt = line.size() - kHeaderLength - kWordLength;
  const std::string_view word = line.substr(wordAt, kWordLength);
  if (word != kHighWord && word != kLowWord) return std::nullopt;
  AlarmLine alarm;
  alarm.channelText = std::string(line.substr(0, wordAt));
  alarm.channel = ChannelNumber(alarm.channelText);
  alarm.kind = word == kHighWord ? AlarmKind::High : AlarmKind::Low;
  const std::string_view header = line.substr(wordAt + kWordLength);
  alarm.stampText = std::string(header.substr(kStampStart));
  LocalStamp stamp;
  if (ReadStamp(header, stamp)) alarm.stamp = stamp;
  return alarm;
}

}  // namespace tally
