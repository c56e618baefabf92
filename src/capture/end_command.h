#pragma once
// The end command that tells the processor the run is over.

#include <string>

namespace tally {

// The sets wanted as the count of the end command: values are clamped to
// 0..255, fractions go to the nearest whole (a half to even).
int EndCount(double setsWanted);

// "AT TALLY77:", the count as one byte, CR LF.
std::string EndCommand(int count);

}  // namespace tally
