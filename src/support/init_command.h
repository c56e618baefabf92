#pragma once
// The Init command (Command6): default support files, refused while Obs # is
// above zero.

#include "capture/capture_context.h"

namespace tally {

void OnInitCommand(CaptureContext& context);

}  // namespace tally
