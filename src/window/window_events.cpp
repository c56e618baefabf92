#include "window/window_events.h"

#include "capture/process_reading.h"
#include "link/port_selection.h"
#include "support/init_command.h"
#include "window/form1.h"
#include "window/surface/surface_settings.h"

namespace tally {

void ConnectWindowEvents(Form1& window, CaptureContext& context) {
  QObject::connect(&window, &Form1::portButtonClicked, &window, WhileRunning(context, OnPortButton));
  QObject::connect(&window, &Form1::endNowClicked, &window, WhileRunning(context, EndRun));
  QObject::connect(&window, &Form1::initClicked, &window, WhileRunning(context, OnInitCommand));
  QObject::connect(&window, &Form1::driveChanged, &window, [&window, &context] {
    if (!context.ended) OnDriveChange(window);
  });
  QObject::connect(&window, &Form1::directoryChanged, &window, [&window, &context] {
    if (!context.ended) OnDirectoryChange(window);
  });
  // The operator closes the window: the capture ends at once, as the
  // service's stop does. Nothing is sent to the processor and the port is
  // released.
  QObject::connect(&window, &Form1::closing, &window, WhileRunning(context, StopCapture));
}

}  // namespace tally
