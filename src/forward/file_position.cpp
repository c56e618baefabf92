#include "forward/file_position.h"

namespace tally::forward {

std::string PositionTrouble(PositionCheck check, const std::string& fileName, std::uint64_t offset) {
  const std::string what = check == PositionCheck::Shrank ? "is shorter than the " + std::to_string(offset) +
                                                                " bytes already shipped"
                                                          : "no longer holds the line shipped last before byte " +
                                                                std::to_string(offset);
  return fileName + " " + what + ": reading it again from the start; sets already stored are skipped";
}

}  // namespace tally::forward
