#include "common/log_line.h"

#include <sys/stat.h>

#include <cstdlib>

namespace tally {

namespace {

// JOURNAL_STREAM is "<device>:<inode>" of the stream the journal reads.
bool StreamIsJournal(std::FILE* stream) {
  const char* named = std::getenv("JOURNAL_STREAM");
  if (named == nullptr || *named == '\0') return false;
  struct stat status {};
  if (fstat(fileno(stream), &status) != 0) return false;
  const std::string expected =
      std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
  return expected == named;
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

}  // namespace

LogStyle LogStyleFor(std::FILE* stream) {
  return StreamIsJournal(stream) ? LogStyle::Journal : LogStyle::Timestamped;
}

std::string IsoLocalTime(std::time_t when) {
  std::tm local {};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
  const long offset = local.tm_gmtoff / 60;
  const long minutes = offset < 0 ? -offset : offset;
  char zone[40];
  std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return std::string(stamp) + zone;
}

std::string LogLine(LogStyle style, LogPriority priority, std::string_view text, std::time_t when) {
  const std::string prefix = style == LogStyle::Journal
                                 ? '<' + std::to_string(static_cast<int>(priority)) + '>'  // chars: GCC 12 bug 105329
                                 : IsoLocalTime(when) + " ";
  return prefix + OneLine(text) + "\n";
}

void LogWriter::Write(LogPriority priority, std::string_view text) const {
  const std::string line = LogLine(style_, priority, text, std::time(nullptr));
  std::fwrite(line.data(), 1, line.size(), stream_);
  std::fflush(stream_);
}

}  // namespace tally
