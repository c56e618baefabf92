// Tally 77: reads its command line, then starts the capture window on the
// computer's serial ports, burst timer and clock.

#include <QApplication>
#include <iostream>

#include "capture/capture_context.h"
#include "capture/data_file_writes.h"
#include "capture/journal_folder.h"
#include "common/clock.h"
#include "link/event_wiring.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "window/command_line.h"
#include "window/control_layout.h"
#include "window/form1.h"
#include "window/remembered_choices.h"
#include "window/start_choices.h"
#include "window/window_events.h"

int main(int argc, char* argv[]) {
  tally::NameProgram();
  const tally::StartOptions options = tally::ReadCommandLine(argc, argv);
  if (options.listPorts) {
    tally::ListPorts(std::cout);
    return 0;
  }
  tally::KeepWholeDevicePixels();
  QApplication application(argc, argv);

  tally::QtSerialPort port;
  tally::QtBurstTimer timer;
  tally::SystemClock clock;
  tally::Form1 window;
  tally::CaptureContext context(window, port, timer, clock, window);
  tally::RememberedChoices remembered;

  tally::ConnectWindowEvents(window, context);
  tally::ConnectCaptureEvents(context);
  if (!tally::ApplyStartChoices(window, port, remembered, options, std::cerr)) return 2;
  window.show();
  // Sets an earlier run kept but could not write are written first.
  tally::StartKeptWritesJournal(context, tally::JournalFolder());
  return application.exec();
}
