#pragma once
// The end command that tells the processor the run is over.

#include <string>

namespace tally {

// Obs # as the count of the end command: no number gives 0, values are
// clamped to 0..255, fractions go to the nearest whole (a half to even).
int EndCount(const std::string& obsWanted);

// "AT TALLY77:", the count as one byte, CR LF.
std::string EndCommand(int count);

}  // namespace tally
