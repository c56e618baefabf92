#pragma once
// The serial link lost or back, told to the operator.

#include <string>

#include "capture/capture_context.h"

namespace tally {

// Raised by the serial port when an open port is lost (up false) or answers
// again after a reopen (up true). Nothing of the run is touched.
void OnLinkChange(CaptureContext& context, bool up, const std::string& why);

}  // namespace tally
