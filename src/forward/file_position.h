#pragma once
// What the log says when a followed file no longer holds what was shipped.

#include <cstdint>
#include <string>

#include "records/file_follower.h"

namespace tally::forward {

std::string PositionTrouble(PositionCheck check, const std::string& fileName, std::uint64_t offset);

}  // namespace tally::forward
