#pragma once
// The one context every procedure works on: the capture state and the
// outside world it talks to (the front end's events and run settings, the
// serial port, burst timer, clock, program host).

#include "capture/capture_events.h"
#include "capture/capture_state.h"
#include "capture/kept_writes.h"
#include "capture/notices.h"
#include "capture/run_settings.h"
#include "common/burst_timer.h"
#include "common/clock.h"
#include "common/program_host.h"
#include "common/scratch_companion.h"
#include "common/serial_port.h"

namespace tally {

struct CaptureContext {
  CaptureContext(CaptureEvents& events_, const RunSettings& settings_, SerialPort& port_,
                 BurstTimer& timer_, const Clock& clock_, ProgramHost& program_)
      : events(events_), settings(settings_), port(port_), timer(timer_), clock(clock_),
        program(program_) {}

  CaptureState state;
  CaptureEvents& events;
  const RunSettings& settings;
  SerialPort& port;
  BurstTimer& timer;
  const Clock& clock;
  ProgramHost& program;

  // Set when the capture ends (StopCapture); the event wiring hands no
  // further event to a procedure (WhileRunning), so procedures may take the
  // run as live.
  bool ended = false;

  // Writes of the set files and the alarm log that the data directory did
  // not take, waiting to be made in order (see data_file_writes.h).
  KeptWrites keptWrites;

  // What the operator is told once while it lasts (an unusable interval, a
  // failing scratch file or alarm log), and whether the last word on the
  // sets was that one is kept: only then is the set called good again once
  // the kept writes are made.
  Notices notices;

  // "cp.txt" and its companion, held open from one burst to the next in
  // the data directory; let go when the directory changes and at the end.
  ScratchPair scratch;
};

// An event handler that runs procedure(context, the event's arguments...)
// while the capture has not ended, and does nothing after.
template <typename Procedure>
auto WhileRunning(CaptureContext& context, Procedure procedure) {
  return [&context, procedure](auto... arguments) {
    if (!context.ended) procedure(context, arguments...);
  };
}

}  // namespace tally
