#pragma once
// The data directory of the run and the processor marker taken from its
// name.

#include "capture/capture_context.h"
#include "records/data_files.h"

#include <string>

namespace tally {

// dataPath from the run settings (ending in the path separator), the
// directory and its marker told, processorType back to fLI.
void SelectDataDirectory(CaptureContext& context);

}  // namespace tally
