#pragma once
// A local date and time as the station wrote it, placed in time with the
// station's time zone (the forwarder runs on the station, so its own TZ).

#include <cstdint>
#include <optional>

namespace tally::forward {

struct StationTime {
  std::int64_t epochSeconds;  // the instant, seconds since 1970 UTC
  int utcOffset;              // seconds east of UTC in force then
};

// nullopt when the fields are no date.
std::optional<StationTime> PlaceLocalTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace tally::forward
