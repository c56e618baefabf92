#pragma once
// The bill template "ferro.txt": only checked for being readable.

#include <string>

#include "capture/capture_context.h"

namespace tally {

void CheckBillTemplate(CaptureContext& context);
bool WriteDefaultBillTemplate(CaptureContext& context);

// The 7 default lines, each 77 characters followed by CR LF (553 bytes).
std::string DefaultBillTemplate();

}  // namespace tally
