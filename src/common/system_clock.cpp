#include <ctime>

#include "common/clock.h"

namespace tally {

LocalDateTime SystemClock::Now() const {
  const std::time_t now = std::time(nullptr);
  if (static_cast<long long>(now) == convertedAt_) return converted_;
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  converted_ = LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                             local.tm_hour,        local.tm_min,     local.tm_sec};
  convertedAt_ = static_cast<long long>(now);
  return converted_;
}

}  // namespace tally
