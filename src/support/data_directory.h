#pragma once
// The data directory and the processor marker, from the drive and directory
// lists of the window.

#include "capture/capture_context.h"

#include <string>

namespace tally {

// The directory's path with the separator at its end; a root already has it.
std::string DirectoryWithSeparator(const std::string& path);

// The processor marker of a data directory: the first four of the last five
// characters of dataPath, so for a directory name of four or more
// characters, its last four.
std::string MarkerOf(const std::string& dataPath);

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
