#pragma once
// The program as its entry point arranges it: the capture window on a Qt
// serial port, a Qt burst timer and the computer's clock, with the window's
// and the link's events wired. The benchmarks that time the whole program
// start it this way.

#include "capture/capture_context.h"
#include "common/clock.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "window/form1.h"
#include "window/surface/surface_events.h"
#include "window/surface/surface_settings.h"

namespace tally::bench {

struct CaptureProgram {
  CaptureProgram();

  // Chooses the data directory in the directory list and presses the port
  // button, as the operator does. True when the port is open afterwards.
  bool OpenPort(const std::string& directory, int number);

  QtSerialPort port;
  QtBurstTimer timer;
  SystemClock clock;
  Form1 window;
  SurfaceEvents events{window};
  SurfaceSettings settings{window, [this](int number) { return port.DeviceOf(number); }};
  CaptureContext context{events, settings, port, timer, clock, window};
};

// Sets Qt's offscreen platform unless QT_QPA_PLATFORM names one.
void PreferOffscreenPlatform();

}  // namespace tally::bench
