#include "capture/status_indicator.h"

#include "common/control_roles.h"

namespace tally {

void ShowStatus(CaptureContext& context, std::uint32_t colour, const std::string& message) {
  context.surface.SetIndicatorColour(colour);
  ShowStatusMessage(context, message);
}

void ShowStatusMessage(CaptureContext& context, const std::string& message) {
  context.surface.SetCaption(kStatus, message);
  if (message == kSetKeptMessage) {
    context.notices.Stand(Notice::SetKeptShown);
  } else {
    context.notices.Clear(Notice::SetKeptShown);
  }
}

}  // namespace tally
