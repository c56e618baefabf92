#pragma once
// Sets written into a test data directory the way a capture writes them:
// through SortedRecord and WriteSetFiles.

#include <string>
#include <vector>

#include "capture/capture_state.h"
#include "doubles/capture_run.h"

namespace tally::testing {

// The field values of channel c in set number s (fields 1..4 or 1..8).
std::vector<int> SetFields(int set, int channel, bool eightFields);
// The line of those values, padded as the decoder pads it.
std::string PaddedLine(const std::vector<int>& fields);

// Writes set number s with the stamp yyyymmddhhmmss and the marker in Text1.
void WriteSet(CaptureRun& rig, int set, const std::string& stamp, bool eightFields = false,
              const std::string& marker = "AB12");

}  // namespace tally::testing
