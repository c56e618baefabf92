#include "doubles/simulated_time.h"

#include <chrono>

namespace tally::testing {

namespace {

// The reading seconds after the given one, carried into minutes, hours,
// days, months and years by the calendar.
LocalDateTime SecondsAfter(const LocalDateTime& from, std::int64_t seconds) {
  using namespace std::chrono;
  const sys_days day = year_month_day{year{from.year}, month{static_cast<unsigned>(from.month)},
                                      std::chrono::day{static_cast<unsigned>(from.day)}};
  const sys_seconds at = day + hours{from.hour} + minutes{from.minute} + std::chrono::seconds{from.second} +
                         std::chrono::seconds{seconds};
  const sys_days atDay = floor<days>(at);
  const year_month_day date{atDay};
  const hh_mm_ss time{at - atDay};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())};
}

}  // namespace

LocalDateTime SimulatedTime::Now() const {
  const std::int64_t stepped = readings_++ * secondsPerReading_;
  return SecondsAfter(clockAtSet_, (now - clockSetAt_) / 1000 + stepped);
}

void SimulatedTime::SetClock(const LocalDateTime& reading) {
  clockAtSet_ = reading;
  clockSetAt_ = now;
  readings_ = 0;
}

void SimulatedTime::Arm() {
  armed = true;
  deadline = now + interval;
  ++armings;
}

std::optional<Moment> SimulatedTime::OverdueSince() const {
  if (!armed || now < deadline) return std::nullopt;
  return At(deadline);
}

void SimulatedTime::Advance(std::int64_t milliseconds) {
  const std::int64_t target = now + milliseconds;
  if (armed && deadline <= target) {
    now = deadline;
    FireNow();
  }
  if (now < target) now = target;
}

void SimulatedTime::FireNow() {
  if (!armed) return;
  armed = false;  // one-shot: it ticks once per arming
  ++ticks;
  if (onTick_) onTick_();
}

}  // namespace tally::testing
