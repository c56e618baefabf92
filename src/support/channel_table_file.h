#pragma once
// The channel table file: 16 fixed-column lines.

#include <string>

#include "capture/capture_context.h"
#include "records/channel_row.h"

namespace tally {

void LoadChannelTable(CaptureContext& context);
bool WriteDefaultChannelTable(CaptureContext& context);

// The 16 default lines, each 71 characters followed by CR LF (1,168 bytes).
std::string DefaultChannelTable();

}  // namespace tally
