#pragma once
// The program around the window: beeps counted, the end of the program
// recorded.

#include "common/program_host.h"

namespace tally::testing {

class RecordingProgram : public ProgramHost {
 public:
  void Beep() override { ++beeps; }
  void EndProgram() override { ++ends; }
  int beeps = 0;
  int ends = 0;
};

}  // namespace tally::testing
