// Tally 77: starts the capture window on the computer's serial ports, burst
// timer and clock.

#include <QApplication>

#include "capture/capture_context.h"
#include "common/clock.h"
#include "link/event_wiring.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "window/form1.h"
#include "window/window_events.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);

  tally::QtSerialPort port;
  tally::QtBurstTimer timer;
  tally::SystemClock clock;
  tally::Form1 window;
  tally::CaptureContext context(window, port, timer, clock, window);

  tally::ConnectWindowEvents(window, context);
  tally::ConnectCaptureEvents(context);
  window.show();
  return application.exec();
}
