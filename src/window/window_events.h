#pragma once
// The control events of the capture window and the procedures they run:
// the port buttons, "End now", "Init", the drive and directory lists, and
// the closing of the window. Once the run has ended no further event runs.

#include "capture/capture_context.h"

namespace tally {

class Form1;

void ConnectWindowEvents(Form1& window, CaptureContext& context);

}  // namespace tally
