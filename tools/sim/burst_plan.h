#pragma once
// What the simulated processor sends: which channel each reading is for and
// the text of each burst.

#include <string>
#include <vector>

#include "sim_options.h"

namespace tally::sim {

// The 16 channels of one set in the order they are sent, for the set with
// this index (each shuffled set draws its own order from the seed).
std::vector<int> ChannelOrder(const std::string& order, unsigned seed, int setIndex);

// The burst of reading number (1-based, the sync burst not counted) for a
// channel: "3,103,7,300" (fLI) or "3,103,7,1,7,99999,0,12000" (fLII).
std::string ReadingBurst(const SimOptions& options, int readingNumber, int channel);

// The burst sent first for the capture to throw away.
std::string SyncBurst();

}  // namespace tally::sim
