#pragma once
// Observation set assembly and run end.

#include <string>

#include "capture/capture_context.h"

namespace tally {

// Takes one burst read from the port as the next line of the observation
// set in progress; completes the set at its 16th line; ends the run when no
// sets remain; checks the line's alarms last.
void ProcessReading(CaptureContext& context, const std::string& burst);

// Sends the end command with the count of the sets wanted, tells that no
// more are wanted, and ends the program when obsRemaining is below 1.
void EndRun(CaptureContext& context);

// Ends the capture at once, as closing the window does: no further event is
// handled, nothing is sent to the processor, the port is released once its
// output has left, and completed sets the data directory has not taken yet
// are saved. The program itself is not ended.
void StopCapture(CaptureContext& context);

}  // namespace tally
