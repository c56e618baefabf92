#include "forward/station_time.h"

#include <ctime>

namespace tally::forward {

std::optional<StationTime> PlaceLocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;  // whatever the zone had then
  std::tm asUtc = local;
  const std::time_t instant = std::mktime(&local);
  const std::time_t wall = timegm(&asUtc);
  if (instant == static_cast<std::time_t>(-1) && wall != instant) return std::nullopt;
  return StationTime{static_cast<std::int64_t>(instant), static_cast<int>(wall - instant)};
}

}  // namespace tally::forward
