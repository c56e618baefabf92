#include "link/link_status.h"

#include <cstdio>

namespace tally {

namespace {

std::string ClockTime(const LocalDateTime& now) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  return text;
}

}  // namespace

void OnLinkChange(CaptureContext& context, bool /*up*/, const std::string& why) {
  if (context.ended) return;
  // The port's own text already says whether the link went or came back;
  // the alarm and status list gets it with the time it happened.
  context.surface.AppendList2(ClockTime(context.clock.Now()) + " " + why);
}

}  // namespace tally
