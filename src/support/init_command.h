#pragma once
// The Init command: default support files, refused while sets are still
// wanted.

#include "capture/capture_context.h"

namespace tally {

// True when all three were written.
bool OnInitCommand(CaptureContext& context);

}  // namespace tally
