#pragma once
// What the support-file readers and writers share: where a file lies, how a
// problem with it is shown, and how a default copy is written.

#include <cstddef>
#include <string>

#include "capture/capture_context.h"

namespace tally {

// A support file is read no further than this: far more than any of them
// uses, so a huge file of that name is never loaded whole.
inline constexpr std::size_t kSupportFileReadLimit = 64 * 1024;

// dataPath followed directly by the file name.
std::string SupportFilePath(const CaptureState& state, const std::string& name);

// "Problem with file <name>" in the line count box, replacing what it showed.
void ShowReadProblem(CaptureContext& context, const std::string& name);

// Replaces the file with content; on failure the line count box shows
// "Problem creating file <name>". The caller is not told.
void WriteSupportFile(CaptureContext& context, const std::string& name,
                      const std::string& content);

}  // namespace tally
