#include "common/log_line.h"

#include <sys/stat.h>

#include <cstdlib>
#include <utility>

#include "common/number_text.h"

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


}  // namespace

LogStyle LogStyleFor(std::FILE* stream) {
  return StreamIsJournal(stream) ? LogStyle::Journal : LogStyle::Timestamped;
}

std::string IsoLocalTime(std::time_t when) {
  std::tm local {};
  localtime_r(&when, &local);
  const long offset = local.tm_gmtoff / 60;
  const long minutes = offset < 0 ? -offset : offset;
  std::string stamp;
  stamp.reserve(32);
  AppendStamp(stamp, {{local.tm_year + 1900LL, 4, '-'}, {local.tm_mon + 1, 2, '-'}, {local.tm_mday, 2, 'T'},
                      {local.tm_hour, 2, ':'}, {local.tm_min, 2, ':'}, {local.tm_sec, 2, offset < 0 ? '-' : '+'},
                      {minutes / 60, 2, ':'}, {minutes % 60, 2}});
  return stamp;
}

namespace {

// The line: its start (priority or time), the text with its line breaks
// made blanks (one event, one line), and the newline.
std::string Composed(std::string line, std::string_view text) {
  line.reserve(line.size() + text.size() + 1);
  const std::size_t textStart = line.size();
  line += text;
  for (std::size_t at = textStart; at < line.size(); ++at) {
    if (line[at] == '\r' || line[at] == '\n') line[at] = ' ';
  }
  line += '\n';
  return line;
}

std::string PriorityMark(LogPriority priority) {
  return '<' + std::to_string(static_cast<int>(priority)) + '>';  // chars: GCC 12 bug 105329
}

}  // namespace

std::string LogLine(LogStyle style, LogPriority priority, std::string_view text, std::time_t when) {
  return Composed(style == LogStyle::Journal ? PriorityMark(priority) : IsoLocalTime(when) + ' ', text);
}

void LogWriter::Write(LogPriority priority, std::string_view text) const {
  std::string start;
  if (style_ == LogStyle::Journal) {
    start = PriorityMark(priority);
  } else {
    // Lines come many a second: the local time is worked out once a second.
    const std::time_t now = std::time(nullptr);
    if (now != stampedAt_ || stamp_.empty()) {
      stamp_ = IsoLocalTime(now) + ' ';
      stampedAt_ = now;
    }
    start = stamp_;
  }
  const std::string line = Composed(std::move(start), text);
  std::fwrite(line.data(), 1, line.size(), stream_);
  std::fflush(stream_);
}

}  // namespace tally
