#include "common/log_line.h"

#include <sys/stat.h>

#include <cstdlib>
#include <iterator>
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
  const std::pair<long long, int> parts[] = {
      {local.tm_year + 1900LL, 4}, {local.tm_mon + 1, 2}, {local.tm_mday, 2}, {local.tm_hour, 2},
      {local.tm_min, 2},          {local.tm_sec, 2},     {minutes / 60, 2},  {minutes % 60, 2}};
  const char after[] = {'-', '-', 'T', ':', ':', offset < 0 ? '-' : '+', ':'};
  std::string stamp;
  stamp.reserve(32);
  for (std::size_t part = 0; part < std::size(parts); ++part) {
    AppendZeroPadded(stamp, parts[part].first, parts[part].second);
    if (part < std::size(after)) stamp += after[part];
  }
  return stamp;
}

std::string LogLine(LogStyle style, LogPriority priority, std::string_view text, std::time_t when) {
  std::string line;
  if (style == LogStyle::Journal) {
    line.reserve(text.size() + 5);
    line += '<';
    line += std::to_string(static_cast<int>(priority));
    line += '>';
  } else {
    line = IsoLocalTime(when);
    line.reserve(line.size() + text.size() + 2);
    line += ' ';
  }
  // Line breaks inside the text become blanks: one event, one line.
  const std::size_t textStart = line.size();
  line += text;
  for (std::size_t at = textStart; at < line.size(); ++at) {
    if (line[at] == '\r' || line[at] == '\n') line[at] = ' ';
  }
  line += '\n';
  return line;
}

void LogWriter::Write(LogPriority priority, std::string_view text) const {
  const std::string line = LogLine(style_, priority, text, std::time(nullptr));
  std::fwrite(line.data(), 1, line.size(), stream_);
  std::fflush(stream_);
}

}  // namespace tally
