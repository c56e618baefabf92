#include "service/capture_service.h"

#include <QCoreApplication>

#include "capture/data_file_writes.h"
#include "capture/journal_folder.h"
#include "capture/process_reading.h"
#include "common/exit_status.h"
#include "link/event_wiring.h"
#include "link/open_failure.h"
#include "link/port_selection.h"
#include "service/service_words.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/init_command.h"
#include "support/rate_file.h"

namespace tally {

namespace {

constexpr int kOpenRetryMilliseconds = 3000;

std::string PortName(int number) { return "Com" + std::to_string(number); }

std::string SetsText(const ServiceSettings& settings) {
  if (!settings.sets) return "until stopped";
  return *settings.sets + (*settings.sets == "1" ? " set" : " sets");
}

}  // namespace

CaptureService::CaptureService(const ServiceSettings& settings, const ServiceLog& log,
                               ServiceNotifier& notifier)
    : settings_(settings),
      log_(log),
      notifier_(notifier),
      runSettings_(settings_),
      context_(*this, runSettings_, port_, timer_, clock_, *this) {
  openRetry_.setInterval(kOpenRetryMilliseconds);
  connect(&openRetry_, &QTimer::timeout, this, &CaptureService::TryOpenAgain);
  ConnectCaptureEvents(context_);
}

void CaptureService::Start() {
  const int number = settings_.portNumber;
  log_.Info("Capturing into " + settings_.dataDirectory + " from " +
            PortLabel(number, runSettings_.DeviceOfPort(number)) + ", " + SetsText(settings_));
  // Sets an earlier run kept but could not write are written first.
  StartKeptWritesJournal(context_, JournalFolder());
  OnPortButton(context_, number);
  if (port_.IsOpen()) return;
  // An adapter may be plugged in later: the reason was logged once above.
  log_.Warning(PortName(number) + " not open; trying again every 3 s");
  notifier_.Status("waiting for " + PortName(number));
  openRetry_.start();
}

bool CaptureService::WriteDefaultSupportFiles() { return OnInitCommand(context_); }

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
  const int number = settings_.portNumber;
  log_.Info(PortLabel(number, runSettings_.DeviceOfPort(number)) + " open");
  notifier_.Ready("port open, waiting for readings");
}

int CaptureService::EndingCode() const {
  if (setsKept_ == 0) return kExitOk;
  log_.Warning(std::to_string(setsKept_) + (setsKept_ == 1 ? " set" : " sets") +
               " kept, not yet written to " + settings_.dataDirectory +
               "; the next start writes them");
  return kExitTryAgain;
}

void CaptureService::Stop(const std::string& why) {
  if (context_.ended) return;
  log_.Info(why + ": capture stopped; no end command sent");
  notifier_.Stopping();
  openRetry_.stop();
  StopCapture(context_);
  QCoreApplication::exit(EndingCode());
}

void CaptureService::ReloadSupportFiles() {
  if (context_.ended) return;
  LoadRateFile(context_);
  LoadChannelTable(context_);
  CheckBillTemplate(context_);
  log_.Info("Support files read again (ct.dat, ferro.dat, ferro.txt)");
}

void CaptureService::EndProgram() {
  log_.Info("Run complete");
  notifier_.Stopping();
  QCoreApplication::exit(EndingCode());
}

void CaptureService::Tell(const CaptureEvent& told) {
  const std::string text = LogTextOf(told, settings_);
  if (!text.empty()) log_.Write(PriorityOf(told), text);
  std::visit(Overloaded{
                 [&](const event::PortOpened&) { PortOpened(); },
                 [&](const event::PortLost&) { notifier_.Status("port lost, reopening"); },
                 [&](const event::PortBack&) { notifier_.Status("port open again"); },
                 [&](const event::SetWritten& e) {
                   notifier_.Status("set " + std::to_string(e.number) + " written");
                 },
                 [&](const event::SetKept& e) {
                   ++setsKept_;
                   notifier_.Status("set " + std::to_string(e.number) + " kept, not yet written");
                 },
                 [&](const event::KeptLinesWritten&) { setsKept_ = 0; },
                 [&](const event::SetCompleted& e) {
                   if (e.setsStillWanted) runSettings_.CountDown(*e.setsStillWanted);
                 },
                 [&](const event::RunEndAsked&) { runSettings_.CountDown(0); },
                 [](const auto&) {},
             },
             told);
}

}  // namespace tally
