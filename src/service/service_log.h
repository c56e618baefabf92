#pragma once
// The log of tally77-capture: news and warnings on standard output, errors
// on standard error, each stream in its own style (a journal stream or
// timestamped lines).

#include <cstdio>
#include <string_view>

#include "common/log_line.h"

namespace tally {

class ServiceLog {
 public:
  ServiceLog() : out_(stdout), errors_(stderr) {}

  void Write(LogPriority priority, std::string_view text) const {
    (priority == LogPriority::Error ? errors_ : out_).Write(priority, text);
  }
  void Info(std::string_view text) const { Write(LogPriority::Info, text); }
  void Warning(std::string_view text) const { Write(LogPriority::Warning, text); }
  void Error(std::string_view text) const { Write(LogPriority::Error, text); }

 private:
  LogWriter out_;
  LogWriter errors_;
};

}  // namespace tally
