#pragma once
// The data directory must be there and readable when the service starts:
// unlike a missing adapter, it will not turn up by waiting.

#include <optional>
#include <string>

namespace tally {

struct StartFault {
  int exitCode;
  std::string message;
};

std::optional<StartFault> CheckDataDirectory(const std::string& path);

}  // namespace tally
