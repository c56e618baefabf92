#pragma once
// Whether the operator's last word on the sets is that a completed set is
// kept, not yet written: only then are the kept writes, once made, told as
// making the set good again.

#include "capture/capture_context.h"

namespace tally {

void NoteSetKeptShown(CaptureContext& context, bool kept);

}  // namespace tally
