#pragma once
// A clock that says what the test tells it.

#include "common/clock.h"

namespace tally::testing {

class FixedClock : public Clock {
 public:
  LocalDateTime Now() const override { return now; }
  LocalDateTime now{2026, 12, 6, 14, 30, 15};
};

// Beeps counted, the end of the program recorded.
class RecordingProgram : public ProgramHost {
 public:
  void Beep() override { ++beeps; }
  void EndProgram() override { ++ends; }
  int beeps = 0;
  int ends = 0;
};

}  // namespace tally::testing
