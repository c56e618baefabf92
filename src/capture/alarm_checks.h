#pragma once
// Alarm checks of one reading line against its channel's limits.

#include "capture/capture_context.h"
#include "capture/reading_line.h"

namespace tally {

void CheckAlarms(CaptureContext& context, const ReadingLine& line, const Stamps& stamps);

}  // namespace tally
