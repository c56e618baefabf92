// tally77-capture: the capture of the window, with no window, for a service
// manager. Reads its settings, checks the data directory, presses the port
// and captures until the sets are done or a signal stops it.

#include <QCoreApplication>
#include <csignal>
#include <cstdlib>
#include <cstdio>

#include "common/command_line.h"
#include "common/exit_status.h"
#include "common/log_line.h"
#include "link/qt/signal_notifier.h"
#include "records/data_directory_check.h"
#include "service/capture_service.h"
#include "service/service_log.h"
#include "service/service_options.h"

namespace {


void ConnectSignals(tally::SignalNotifier& processSignals, tally::CaptureService& service) {
  QObject::connect(&processSignals, &tally::SignalNotifier::received, &service, [&service](int number) {
    if (number == SIGHUP) {
      service.ReloadSupportFiles();
    } else {
      service.Stop(number == SIGINT ? "SIGINT" : "SIGTERM");
    }
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  // Qt's own event loop on poll in place of GLib's: a port, a few timers and
  // signals need nothing more, and each reading then costs fewer wake-ups.
  qputenv("QT_NO_GLIB", "1");
  QCoreApplication application(argc, argv);
  // Before anything could start a thread: the signals stay blocked in all.
  tally::SignalNotifier processSignals({SIGTERM, SIGINT, SIGHUP});
  QCoreApplication::setApplicationName("tally77-capture");
  QCoreApplication::setApplicationVersion(TALLY77_VERSION);

  const tally::CommandLine command = tally::ReadCommandLine(QCoreApplication::arguments());
  if (!command.settings) return tally::Finish({command.exitCode, command.text});
  const tally::ServiceSettings& settings = *command.settings;
  if (const auto fault = tally::CheckDataDirectory(settings.dataDirectory)) {
    return tally::Finish(tally::Fault("tally77-capture", fault->exitCode, fault->message));
  }
  const tally::ServiceLog log;

  tally::ServiceNotifier notifier;
  tally::CaptureService service(settings, log, notifier);
  if (settings.init) return service.WriteDefaultSupportFiles() ? tally::kExitOk : tally::kExitIoError;
  ConnectSignals(processSignals, service);
  service.Start();
  return QCoreApplication::exec();
}
