#include "link/link_status.h"

#include "common/clock_text.h"

namespace tally {

void OnLinkChange(CaptureContext& context, bool /*up*/, const std::string& why) {
  // The port's own text already says whether the link went or came back;
  // the alarm and status list gets it with the time it happened.
  context.surface.AppendList2(ClockTime(context.clock.Now()) + " " + why);
}

}  // namespace tally
