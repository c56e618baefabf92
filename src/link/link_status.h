#pragma once
// What the window shows when the serial link is lost or comes back.

#include <string>

#include "capture/capture_context.h"

namespace tally {

// Raised by the serial port when an open port is lost (up false) or answers
// again after a reopen (up true). Nothing of the run is touched.
void OnLinkChange(CaptureContext& context, bool up, const std::string& why);

}  // namespace tally
