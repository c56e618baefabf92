#pragma once
// The status indicator: its colour and the status message. Procedures show
// a status through these functions only, so that the context knows whether
// the indicator still says a set is kept.

#include <cstdint>
#include <string>

#include "capture/capture_context.h"

namespace tally {

inline constexpr const char* kSetKeptMessage = "Set kept, not yet written";

void ShowStatus(CaptureContext& context, std::uint32_t colour, const std::string& message);
// The status message alone; the colour stays.
void ShowStatusMessage(CaptureContext& context, const std::string& message);

}  // namespace tally
