#include "link/port_selection.h"

#include <string>

#include "capture/status_indicator.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/data_directory.h"
#include "support/rate_file.h"

namespace tally {

namespace {

constexpr const char* kLineSettings = "300,N,8,1";
constexpr int kFirstPort = 1;
constexpr int kLastPort = 4;

std::string PortName(int number) { return "Com" + std::to_string(number); }

// The port could not be opened: the operator reads why in List2, and the
// indicator (still red) no longer promises data; another port can be
// pressed at once.
void ReportPortNotOpen(CaptureContext& context, int number, const Failure& failure) {
  context.surface.AppendList2(failure.message);
  ShowStatusMessage(context, PortName(number) + " not open");
}

}  // namespace

void OnPortButton(CaptureContext& context, int number) {
  if (number < kFirstPort || number > kLastPort) return;
  SelectDataDirectory(context);
  PrepareLink(context);
  context.port.SetPortNumber(number);
  const Status opened = context.port.Open();
  if (!opened.ok()) ReportPortNotOpen(context, number, opened.failure());
}

void PrepareLink(CaptureContext& context) {
  if (context.port.IsOpen()) context.port.Close();
  const Status applied = context.port.SetSettings(kLineSettings);
  if (!applied.ok()) context.surface.AppendList2(applied.failure().message);
  ShowStatus(context, kRed, "Please wait 3 minutes");
  LoadRateFile(context);
  LoadChannelTable(context);
  CheckBillTemplate(context);
}

}  // namespace tally
