#include "link/event_wiring.h"

#include "link/burst_framing.h"
#include "link/link_status.h"

namespace tally {

void ConnectCaptureEvents(CaptureContext& context) {
  context.port.SetReceiveHandler(WhileRunning(context, OnCommEvent));
  context.timer.SetTickHandler(WhileRunning(context, OnBurstTimer));
  context.port.SetLinkHandler(WhileRunning(context, OnLinkChange));
}

}  // namespace tally
