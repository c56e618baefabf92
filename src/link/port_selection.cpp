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


}  // namespace

void OnPortButton(CaptureContext& context, int number) {
  if (number < kFirstPort || number > kLastPort) return;
  SelectDataDirectory(context);
  PrepareLink(context);
  context.port.SelectPort(number, context.settings.DeviceOfPort(number));
  const Status opened = context.port.Open();
  if (opened.ok()) {
    context.events.Tell(event::PortOpened{number});
    return;
  }
  // Another port can be pressed at once.
  context.events.Tell(event::PortNotOpened{number, context.port.LastOpenFault(), opened.failure().message});
  NoteSetKeptShown(context, false);
}

void PrepareLink(CaptureContext& context) {
  if (context.port.IsOpen()) context.port.Close();
  const Status applied = context.port.SetSettings(kLineSettings);
  if (!applied.ok()) context.events.Tell(event::LineSettingsRefused{applied.failure().message});
  context.events.Tell(event::LinkPreparing{});
  NoteSetKeptShown(context, false);
  LoadRateFile(context);
  LoadChannelTable(context);
  CheckBillTemplate(context);
}

}  // namespace tally
