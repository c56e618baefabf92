#pragma once
// The capture events in the words of a log read by a person who runs
// tally77-capture without a window: each event's priority comes from what
// it is, and its advice names the options the program was started with.

#include <string>

#include "capture/capture_events.h"
#include "common/log_line.h"
#include "service/service_options.h"

namespace tally {

// Alarms, rejected bursts, kept sets, a lost or unopened port and the
// fallbacks a run lives with are warnings; a file, log or end command that
// could not be written is an error; anything else is news.
LogPriority PriorityOf(const CaptureEvent& event);

// The log line of an event; empty for what a log reader need not see (the
// window's own bookkeeping: the processor type, the marker, the countdown of
// the sets wanted).
std::string LogTextOf(const CaptureEvent& event, const ServiceSettings& settings);

}  // namespace tally
