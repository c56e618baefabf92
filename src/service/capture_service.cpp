#include "service/capture_service.h"

#include <QCoreApplication>
#include <cstdlib>

#include "capture/data_file_writes.h"
#include "capture/journal_folder.h"
#include "capture/process_reading.h"
#include "common/control_roles.h"
#include "link/event_wiring.h"
#include "link/port_devices.h"
#include "link/port_selection.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/init_command.h"
#include "support/rate_file.h"

namespace tally {

namespace {

constexpr int kOpenRetryMilliseconds = 3000;
// Obs # of a run that goes on until stopped: it never counts down to the end.
constexpr const char* kSetsWithoutEnd = "1e300";

std::string PortName(int number) { return "Com" + std::to_string(number); }

}  // namespace

CaptureService::CaptureService(const ServiceSettings& settings, const LogWriter& log,
                               ServiceNotifier& notifier)
    : settings_(settings),
      log_(log),
      notifier_(notifier),
      surface_(log, settings.dataDirectory),
      context_(surface_, port_, timer_, clock_, *this) {
  // --port names the device of the chosen port, as TALLY77_COM<n> does for
  // the window.
  if (!settings_.device.empty()) {
    setenv(("TALLY77_COM" + std::to_string(settings_.portNumber)).c_str(), settings_.device.c_str(), 1);
  }
  surface_.SetText(kObsWanted, settings_.sets.value_or(kSetsWithoutEnd));
  surface_.SetText(kInterval, settings_.interval);
  surface_.OnPortEvent([this](EntryEvent event) { OnPortEvent(event); });
  surface_.OnSetCompleted(
      [this](const std::string& number, bool written) { OnSetCompleted(number, written); });
  openRetry_.setInterval(kOpenRetryMilliseconds);
  connect(&openRetry_, &QTimer::timeout, this, &CaptureService::TryOpenAgain);
  ConnectCaptureEvents(context_);
}

void CaptureService::Start() {
  log_.Info("Capturing into " + settings_.dataDirectory + " from " + PortName(settings_.portNumber) +
            " (" + DeviceForPort(settings_.portNumber) + ")" +
            (settings_.sets ? ", " + *settings_.sets + " sets" : ", until stopped"));
  // Sets an earlier run kept but could not write are written first.
  StartKeptWritesJournal(context_, JournalFolder());
  OnPortButton(context_, settings_.portNumber);
  if (port_.IsOpen()) {
    PortOpened();
    return;
  }
  // An adapter may be plugged in later: the reason was logged once above.
  log_.Warning(PortName(settings_.portNumber) + " not open; trying again every 3 s");
  notifier_.Status("waiting for " + PortName(settings_.portNumber));
  openRetry_.start();
}

bool CaptureService::WriteDefaultSupportFiles() {
  surface_.SetText(kObsWanted, "");
  surface_.SetText(kLineCount, "");
  OnInitCommand(context_);
  return surface_.Text(kLineCount).empty();
}

void CaptureService::TryOpenAgain() {
  if (context_.ended) {
    openRetry_.stop();
    return;
  }
  if (!port_.Open().ok()) return;  // still not there; said once already
  openRetry_.stop();
  PortOpened();
}

void CaptureService::PortOpened() {
  log_.Info(PortName(settings_.portNumber) + " (" + DeviceForPort(settings_.portNumber) + ") open");
  notifier_.Ready("port open, waiting for readings");
}

void CaptureService::Stop(const std::string& why) {
  if (context_.ended) return;
  log_.Info(why + ": capture stopped; no end command sent");
  notifier_.Stopping();
  openRetry_.stop();
  StopCapture(context_);
  QCoreApplication::exit(0);
}

void CaptureService::ReloadSupportFiles() {
  if (context_.ended) return;
  LoadRateFile(context_);
  LoadChannelTable(context_);
  CheckBillTemplate(context_);
  log_.Info("Support files read again (ct.dat, ferro.dat, ferro.txt)");
}

void CaptureService::EndProgram() {
  log_.Info("Run complete: end command sent");
  notifier_.Stopping();
  QCoreApplication::exit(0);
}

void CaptureService::OnPortEvent(EntryEvent event) {
  if (event == EntryEvent::PortLost) notifier_.Status("port lost, reopening");
  if (event == EntryEvent::PortBack) notifier_.Status("port open again");
}

void CaptureService::OnSetCompleted(const std::string& number, bool written) {
  notifier_.Status("set " + number + (written ? " written" : " kept, not yet written"));
}

}  // namespace tally
