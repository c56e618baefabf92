#include "link/event_wiring.h"

#include <string>

#include "link/burst_framing.h"
#include "link/link_status.h"

namespace tally {

void ConnectCaptureEvents(CaptureContext& context) {
  context.port.SetReceiveHandler([&context] { OnCommEvent(context); });
  context.timer.SetTickHandler([&context] { OnBurstTimer(context); });
  context.port.SetLinkHandler([&context](bool up, const std::string& why) {
    if (context.ended) return;
    OnLinkChange(context, up, why);
  });
}

}  // namespace tally
