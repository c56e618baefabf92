#include "common/clock_text.h"

#include <cstdio>

namespace tally {

std::string ClockTime(const LocalDateTime& now) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour % 100, now.minute % 100, now.second % 100);
  return text;
}

}  // namespace tally
