#pragma once
// The capture run of tally77-capture: the window's capture context and
// procedures on the Qt serial port and timer, with the service surface in
// place of the window. It presses the chosen port once at start, waits for
// a port that is not there yet, stops and reloads on request.

#include <QObject>
#include <QTimer>

#include "capture/capture_context.h"
#include "common/clock.h"
#include "common/log_line.h"
#include "common/program_host.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "service/service_notifier.h"
#include "service/service_options.h"
#include "service/service_surface.h"

namespace tally {

class CaptureService : public QObject, public ProgramHost {
  Q_OBJECT

 public:
  CaptureService(const ServiceSettings& settings, const LogWriter& log, ServiceNotifier& notifier);

  // Presses the port. A port that does not open is tried again every 3 s.
  void Start();
  // Writes the default support files, as Init; false when one failed.
  [[nodiscard]] bool WriteDefaultSupportFiles();
  // SIGTERM, SIGINT: the capture ends as when the window is closed, and the
  // program exits 0 at the next turn of the event loop.
  void Stop(const std::string& why);
  // SIGHUP: the three support files are read again, as a port press reads
  // them, without touching the port or the set in progress.
  void ReloadSupportFiles();

  void Beep() override {}
  void EndProgram() override;

 private:
  void TryOpenAgain();
  void PortOpened();
  void OnPortEvent(EntryEvent event);
  void OnSetCompleted(const std::string& number, bool written);

  ServiceSettings settings_;
  const LogWriter& log_;
  ServiceNotifier& notifier_;
  QtSerialPort port_;
  QtBurstTimer timer_;
  SystemClock clock_;
  ServiceSurface surface_;
  CaptureContext context_;
  QTimer openRetry_;
};

}  // namespace tally
