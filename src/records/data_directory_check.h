#pragma once
// The data directory a program is given must be there and readable: unlike
// a missing adapter, it will not turn up by waiting. Every program says a
// missing one with status 66 and an unreadable one with 74.

#include <optional>
#include <string>

namespace tally {

struct StartFault {
  int exitCode;
  std::string message;
};

std::optional<StartFault> CheckDataDirectory(const std::string& path);

}  // namespace tally
