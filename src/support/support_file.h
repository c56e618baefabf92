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

// Tells the operator the file cannot be read as it should.
void ShowReadProblem(CaptureContext& context, const std::string& name);

// Replaces the file with content and tells the operator whether it was
// written; false when it was not.
bool WriteSupportFile(CaptureContext& context, const std::string& name,
                      const std::string& content);

}  // namespace tally
