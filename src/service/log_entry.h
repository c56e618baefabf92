#pragma once
// What a window entry means to someone watching the service's log: its
// priority, and for the events a service manager shows in its status line,
// which event it is.

#include <string>

#include "common/log_line.h"

namespace tally {

enum class EntryEvent {
  Other,
  PortNotOpen,  // "Com1 (/dev/ttyUSB0): no such device; ..."
  PortLost,     // "14:30:15 Com1 (/dev/ttyUSB0) lost: ...; reopening every 3 s"
  PortBack,     // "14:30:15 Com1 (/dev/ttyUSB0) open again"
};

struct EntryMeaning {
  LogPriority priority = LogPriority::Info;
  EntryEvent event = EntryEvent::Other;
};

// A List2 entry. Alarms, rejected bursts, kept sets, a lost or unopened port
// and fallbacks the run lives with are warnings; a log, an end command or a
// support file that could not be written is an error; anything else is news.
EntryMeaning MeaningOfStatusEntry(const std::string& entry);

// A text of the line count box: the lines counted so far are not logged, a support file
// problem is an error.
bool IsSupportFileProblem(const std::string& text2);

}  // namespace tally
