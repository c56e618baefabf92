#pragma once
// The capture run of tally77-capture: the capture context and procedures on
// the Qt serial port and timer, its settings from the options, its events
// put in the log's words. It presses the chosen port once at start, waits
// for a port that is not there yet, stops and reloads on request.

#include <QObject>
#include <QTimer>

#include "capture/capture_context.h"
#include "common/clock.h"
#include "common/program_host.h"
#include "link/qt/qt_burst_timer.h"
#include "link/qt/qt_serial_port.h"
#include "service/service_log.h"
#include "service/service_notifier.h"
#include "service/service_options.h"
#include "service/service_settings_source.h"

namespace tally {

class CaptureService : public QObject, public ProgramHost, public CaptureEvents {
  Q_OBJECT

 public:
  CaptureService(const ServiceSettings& settings, const ServiceLog& log, ServiceNotifier& notifier);

  // Presses the port. A port that does not open is tried again every 3 s.
  void Start();
  // Writes the default support files, as Init; false when one failed.
  [[nodiscard]] bool WriteDefaultSupportFiles();
  // SIGTERM, SIGINT: the capture ends as when the window is closed, and the
  // program exits at the next turn of the event loop.
  void Stop(const std::string& why);
  // SIGHUP: the three support files are read again, as a port press reads
  // them, without touching the port or the set in progress.
  void ReloadSupportFiles();

  void Beep() override {}
  void EndProgram() override;
  void Tell(const CaptureEvent& event) override;

 private:
  void TryOpenAgain();
  void PortOpened();
  // The exit code of a run that ends now: 75 while sets are kept, unwritten.
  int EndingCode() const;

  ServiceSettings settings_;
  const ServiceLog& log_;
  ServiceNotifier& notifier_;
  ServiceSettingsSource runSettings_;
  QtSerialPort port_;
  QtBurstTimer timer_;
  SystemClock clock_;
  CaptureContext context_;
  QTimer openRetry_;
  // Sets of this run kept since the kept writes were last all made.
  std::int64_t setsKept_ = 0;
};

}  // namespace tally
