#pragma once
// Port selection and link preparation: the four port buttons.

#include "capture/capture_context.h"

namespace tally {

// Click of port button number (1..4).
void OnPortButton(CaptureContext& context, int number);

// Closes an open port, applies "300,N,8,1", shows the wait status and loads
// the three support files.
void PrepareLink(CaptureContext& context);

}  // namespace tally
