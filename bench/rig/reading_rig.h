#pragma once
// A capture run on quiet doubles around one benchmark data directory: the
// channel table in place with its default limits, so that the alarm checks
// run as in a real run, a journal folder as the program has, and sets
// wanted without end, so that the run never ends under the benchmark.

#include <string>

#include "capture/capture_context.h"
#include "common/clock.h"
#include "rig/bench_data_dir.h"
#include "rig/quiet_surface.h"
#include "rig/still_link.h"
#include "window/surface/surface_events.h"
#include "window/surface/surface_settings.h"

namespace tally::bench {

struct ReadingRig {
  ReadingRig();

  // Puts the burst in the port's receive buffer and processes it as the
  // burst timer's tick would.
  void Process(const std::string& burst);

  BenchDataDir dir;
  BenchDataDir journalFolder;  // the state folder's part: kept lines, notes of appends
  QuietSurface surface;
  StillPort port;
  StillTimer timer;
  SystemClock clock;
  StillProgram program;
  SurfaceEvents events{surface};
  SurfaceSettings settings{surface};
  CaptureContext context{events, settings, port, timer, clock, program};
};

// The burst an fLI processor sends for a channel (1..16), as the simulator
// sends it: channel, a value inside the default limits, a reading number
// and a fourth field.
std::string FliBurst(int channel, int readingNumber);

// The burst of an fLII processor: eight fields.
std::string FliiBurst(int channel, int readingNumber);

// The time the burst takes on the wire at 300 baud, 10 bits a character,
// in microseconds.
double WireMicroseconds(const std::string& burst);

}  // namespace tally::bench
