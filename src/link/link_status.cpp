#include "link/link_status.h"


namespace tally {

void OnLinkChange(CaptureContext& context, bool up, const std::string& why) {
  // The port's own text says which port and why; it is told with the time
  // it happened.
  if (up) {
    context.events.Tell(event::PortBack{context.clock.Now(), why});
  } else {
    context.events.Tell(event::PortLost{context.clock.Now(), why});
  }
}

}  // namespace tally
