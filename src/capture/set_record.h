#pragma once
// The set record builder: sortedRecord from setRecord, lines in channel
// order, the operator's marker in front, two characters at the end.

#include "capture/capture_context.h"

namespace tally {

// Reads setRecord, processorType and the marker box's text; writes sortedRecord.
void BuildSetRecord(CaptureContext& context);

}  // namespace tally
