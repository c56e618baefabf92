// Tally 77: reads its command line, then starts the capture window on the
// computer's serial ports, burst timer and clock.

#include <QApplication>
#include <QFile>
#include <iostream>

#include "capture/capture_context.h"
#include "capture/data_file_writes.h"
#include "capture/journal_folder.h"
#include "common/clock.h"
#include "common/command_line.h"
#include "common/exit_status.h"
#include "link/event_wiring.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "records/data_directory_check.h"
#include "window/command_line.h"
#include "window/control_layout.h"
#include "window/form1.h"
#include "window/remembered_choices.h"
#include "window/start_choices.h"
#include "window/surface/surface_events.h"
#include "window/surface/surface_settings.h"
#include "window/window_events.h"

int main(int argc, char* argv[]) {
  tally::NameProgram();
  tally::StartOptions options;
  if (const auto end = tally::ReadCommandLine(argc, argv, options)) return tally::Finish(*end);
  if (options.listPorts) {
    tally::ListPorts(std::cout);
    return tally::kExitOk;
  }
  if (!options.dataDirectory.isEmpty()) {
    if (const auto fault = tally::CheckDataDirectory(QFile::encodeName(options.dataDirectory).toStdString())) {
      return tally::Finish(tally::Fault("tally77", fault->exitCode, fault->message));
    }
  }
  if (const auto end = tally::NoDisplayEnd("tally77")) return tally::Finish(*end);
  tally::KeepWholeDevicePixels();
  QApplication application(argc, argv);

  tally::QtSerialPort port;
  tally::QtBurstTimer timer;
  tally::SystemClock clock;
  tally::Form1 window;
  tally::SurfaceEvents events(window);
  tally::SurfaceSettings settings(window, [&port](int number) { return port.DeviceOf(number); });
  tally::CaptureContext context(events, settings, port, timer, clock, window);
  tally::RememberedChoices remembered;

  tally::ConnectWindowEvents(window, context);
  tally::ConnectCaptureEvents(context);
  if (!tally::ApplyStartChoices(window, port, remembered, options, std::cerr)) return tally::kExitNoInput;
  window.show();
  // Sets an earlier run kept but could not write are written first.
  tally::StartKeptWritesJournal(context, tally::JournalFolder());
  return application.exec();
}
