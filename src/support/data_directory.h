#pragma once
// The data directory and the processor marker, from the drive and directory
// lists of the window.

#include "capture/capture_context.h"
#include "records/data_files.h"

#include <string>

namespace tally {

// dataPath from the directory list (ending in the path separator), the
// marker into the marker box, processorType back to fLI.
void SelectDataDirectory(CaptureContext& context);

// Drive1 change: the directory list follows the chosen drive. A drive that
// cannot be read is named in List2, the directory list stays where it was
// and the drive list is handed that directory's path, so that it selects
// the drive holding it again.
void OnDriveChange(CaptureContext& context);

// Dir1 change: enables Command1 to Command4.
void OnDirectoryChange(CaptureContext& context);

}  // namespace tally
