#pragma once
// The local date and time.

namespace tally {

struct LocalDateTime {
  int year = 0;    // four digits
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
};

// The computer's own clock, in local time.
class SystemClock final : public Clock {
 public:
  LocalDateTime Now() const override;

 private:
  // The local time is worked out once a second: a reading asks more often.
  mutable long long convertedAt_ = -1;
  mutable LocalDateTime converted_;
};

}  // namespace tally
