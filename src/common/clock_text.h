#pragma once
// The time of day as the window shows it in status entries: "hh:mm:ss".

#include <string>

#include "common/clock.h"

namespace tally {

std::string ClockTime(const LocalDateTime& now);

}  // namespace tally
