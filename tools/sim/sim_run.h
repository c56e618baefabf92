#pragma once
// The simulated processor's run: bursts out, commands in, until the end
// command (or the end of the wait for it).

#include <cstdio>

#include "sim_options.h"

namespace tally::sim {

// Exit status: 0 after an end command or a stop signal, 74 when the line
// fails, 69 when no end command came in time.
int RunProcessor(const SimOptions& options, std::FILE* report);

}  // namespace tally::sim
