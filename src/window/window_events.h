#pragma once
// The control events of the capture window and the procedures they run:
// the port buttons, "End now", "Init", the drive and directory lists, and
// the closing of the window. Once the run has ended no further event runs.

#include "capture/capture_context.h"

namespace tally {

class Form1;

void ConnectWindowEvents(Form1& window, CaptureContext& context);

// The operator closes the window: the program ends at once. Nothing is sent
// to the processor, nothing is written, and the port is released.
void OnWindowClose(CaptureContext& context);

}  // namespace tally
