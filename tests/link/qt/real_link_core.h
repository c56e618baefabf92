#pragma once
// The capture program's core without its window: the procedures on the
// real serial port and burst timer, a recording surface, a clock nobody
// moves on (every stamp reads 14:30:15), the events wired as the window
// wires them.

#include <cstdlib>
#include <string>

#include "capture/capture_context.h"
#include "doubles/recording_program.h"
#include "doubles/recording_surface.h"
#include "doubles/simulated_time.h"
#include "link/event_wiring.h"
#include "link/port_selection.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "window/surface/surface_events.h"
#include "window/surface/surface_settings.h"

namespace tally::testing {

struct RealLinkCore {
  RealLinkCore() { ConnectCaptureEvents(context); }

  // The port button pressed, the device named for that port in the
  // environment.
  void PressPort(int number, const std::string& device) {
    setenv(("TALLY77_COM" + std::to_string(number)).c_str(), device.c_str(), 1);
    OnPortButton(context, number);
  }

  RecordingSurface surface;
  QtSerialPort port;
  QtBurstTimer timer;
  SimulatedTime clock;
  RecordingProgram program;
  SurfaceEvents events{surface};
  SurfaceSettings settings{surface};
  CaptureContext context{events, settings, port, timer, clock, program};
};

}  // namespace tally::testing
