#include "link/capture_run.h"

#include "link/event_wiring.h"
#include "link/port_selection.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/rate_file.h"

namespace tally::testing {

CaptureRun::CaptureRun() {
  dir.Write("ct.dat", DefaultChannelTable());
  dir.Write("ferro.dat", DefaultRateFile());
  dir.Write("ferro.txt", DefaultBillTemplate());
  ConnectCaptureEvents(context);
}

void CaptureRun::PressPort(int number) { OnPortButton(context, number); }

void CaptureRun::SetObs(const std::string& text) { surface.SetText(TextBox::Text3, text); }

void CaptureRun::Burst(const std::string& text) {
  port.Receive(text);
  timer.Advance(timer.interval);
}

void CaptureRun::Lines(int count, int first) {
  for (int i = 0; i < count; ++i) Burst(BurstFor((first + i - 1) % 16 + 1));
}

std::string CaptureRun::BurstFor(int channel) { return std::to_string(channel) + ",5,20,300"; }

std::string CaptureRun::LineFor(int channel) {
  return (channel < 10 ? "0" : "") + std::to_string(channel) + ",005,00020,00300";
}

int CaptureRun::Sent(const std::string& text) const {
  int count = 0;
  for (std::size_t at = port.written.find(text); at != std::string::npos;
       at = port.written.find(text, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace tally::testing
