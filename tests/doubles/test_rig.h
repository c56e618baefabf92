#pragma once
// Everything a procedure needs, on test doubles, around one temporary data
// directory. The directory list points at that directory; dataPath is set to
// it as SelectDataDirectory would set it.

#include "capture/capture_context.h"
#include "doubles/fixed_clock.h"
#include "doubles/manual_timer.h"
#include "doubles/recording_surface.h"
#include "doubles/scripted_port.h"
#include "doubles/temp_dir.h"

namespace tally::testing {

struct TestRig {
  TestRig() {
    surface.directory = dir.path();
    context.state.dataPath = dir.dataPath();
    port.simulatedNow = &timer.now;
  }

  TempDir dir;
  RecordingSurface surface;
  ScriptedPort port;
  ManualTimer timer;
  FixedClock clock;
  RecordingProgram program;
  CaptureContext context{surface, port, timer, clock, program};
};

}  // namespace tally::testing
