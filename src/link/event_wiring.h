#pragma once
// Connects the serial port's receive and link events and the burst timer's
// tick to the procedures that handle them. Once the capture has ended no
// event reaches a procedure.

#include "capture/capture_context.h"

namespace tally {

void ConnectCaptureEvents(CaptureContext& context);

}  // namespace tally
