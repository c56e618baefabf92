#pragma once
// The rate file "ferro.dat": a stream of numbers, the first five kept.

#include <string>

#include "capture/capture_context.h"

namespace tally {

void LoadRateFile(CaptureContext& context);
bool WriteDefaultRateFile(CaptureContext& context);

// The 7 default lines, each 45 characters followed by CR LF (329 bytes).
std::string DefaultRateFile();

}  // namespace tally
