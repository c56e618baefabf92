#include "window/window_events.h"

#include "capture/process_reading.h"
#include "link/port_selection.h"
#include "support/data_directory.h"
#include "support/init_command.h"
#include "window/form1.h"

namespace tally {

namespace {

// Wraps a procedure so that it does not run once the program has ended.
template <typename Procedure>
auto WhileRunning(CaptureContext& context, Procedure procedure) {
  return [&context, procedure](auto... arguments) {
    if (!context.ended) procedure(context, arguments...);
  };
}

}  // namespace

void ConnectWindowEvents(Form1& window, CaptureContext& context) {
  QObject::connect(&window, &Form1::portButtonClicked, &window,
                   WhileRunning(context, [](CaptureContext& c, int number) { OnPortButton(c, number); }));
  QObject::connect(&window, &Form1::endNowClicked, &window,
                   WhileRunning(context, [](CaptureContext& c) { EndRun(c); }));
  QObject::connect(&window, &Form1::initClicked, &window,
                   WhileRunning(context, [](CaptureContext& c) { OnInitCommand(c); }));
  QObject::connect(&window, &Form1::driveChanged, &window,
                   WhileRunning(context, [](CaptureContext& c) { OnDriveChange(c); }));
  QObject::connect(&window, &Form1::directoryChanged, &window,
                   WhileRunning(context, [](CaptureContext& c) { OnDirectoryChange(c); }));
  QObject::connect(&window, &Form1::closing, &window, [&context] { OnWindowClose(context); });
}

void OnWindowClose(CaptureContext& context) { StopCapture(context); }

}  // namespace tally
