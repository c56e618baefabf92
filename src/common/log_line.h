#pragma once
// Log lines of the programs that run without a window: one line per event on
// the standard output. Under a service manager's journal each line starts
// with its syslog priority ("<4>"), so the journal keeps the priority;
// anywhere else with the local time in ISO 8601 ("2026-12-06T14:30:15+01:00 ").

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace tally {

enum class LogPriority { Error = 3, Warning = 4, Info = 6 };

enum class LogStyle {
  Journal,      // "<6>text"
  Timestamped,  // "2026-12-06T14:30:15+01:00 text"
};

// Journal when JOURNAL_STREAM names the device and inode of the given
// stream (the service manager connected it to the journal), else
// Timestamped: a program started from a service inherits the variable, but
// not the stream.
LogStyle LogStyleFor(std::FILE* stream);

// The local time as "yyyy-mm-ddThh:mm:ss+hh:mm".
std::string IsoLocalTime(std::time_t when);

// One line, newline included. Line breaks inside the text become blanks, so
// one event is always one line.
std::string LogLine(LogStyle style, LogPriority priority, std::string_view text, std::time_t when);

// Writes log lines to a stream, each flushed at once.
class LogWriter {
 public:
  explicit LogWriter(std::FILE* stream) : stream_(stream), style_(LogStyleFor(stream)) {}
  LogWriter(std::FILE* stream, LogStyle style) : stream_(stream), style_(style) {}

  void Write(LogPriority priority, std::string_view text) const;
  void Info(std::string_view text) const { Write(LogPriority::Info, text); }
  void Warning(std::string_view text) const { Write(LogPriority::Warning, text); }
  void Error(std::string_view text) const { Write(LogPriority::Error, text); }

 private:
  std::FILE* stream_;
  LogStyle style_;
  mutable std::time_t stampedAt_ = 0;
  mutable std::string stamp_;  // the time of stampedAt_ and a blank
};

}  // namespace tally
