#include "records/zone_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tally {

namespace {

// Changes farther apart than this from a local time cannot touch it (no zone
// moves by more than a day).
constexpr std::int64_t kReach = 2 * 86400;

}  // namespace

const char* DstMarkName(DstMark mark) {
  switch (mark) {
    case DstMark::Repeated:
      return "repeated";
    case DstMark::Skipped:
      return "skipped";
    case DstMark::None:
      break;
  }
  return "";
}

ZoneRules::ZoneRules(int fixedOffset) : earliestOffset_(fixedOffset) {}

ZoneRules::ZoneRules(int earliestOffset, std::vector<ZoneChange> changes)
    : earliestOffset_(earliestOffset), changes_(std::move(changes)) {}

int ZoneRules::OffsetAtUtc(std::int64_t utc) const {
  const auto after =
      std::upper_bound(changes_.begin(), changes_.end(), utc,
                       [](std::int64_t t, const ZoneChange& change) { return t < change.utc; });
  return after == changes_.begin() ? earliestOffset_ : std::prev(after)->offsetAfter;
}

LocalOffsets ZoneRules::At(std::int64_t localSeconds) const {
  const auto first =
      std::lower_bound(changes_.begin(), changes_.end(), localSeconds - kReach,
                       [](const ZoneChange& change, std::int64_t t) { return change.utc < t; });
  for (auto change = first; change != changes_.end() && change->utc <= localSeconds + kReach; ++change) {
    // Local clocks read utc + before up to the change and utc + after from it.
    const std::int64_t oldClock = change->utc + change->offsetBefore;
    const std::int64_t newClock = change->utc + change->offsetAfter;
    if (newClock < oldClock && localSeconds >= newClock && localSeconds < oldClock) {
      return {DstMark::Repeated, change->offsetBefore, change->offsetAfter};
    }
    if (newClock > oldClock && localSeconds >= oldClock && localSeconds < newClock) {
      return {DstMark::Skipped, change->offsetBefore, change->offsetBefore};
    }
  }
  // Outside every repeated or skipped span the offset in force at the
  // instant the local time names is unique.
  const int guess = OffsetAtUtc(localSeconds);
  const int offset = OffsetAtUtc(localSeconds - guess);
  return {DstMark::None, offset, offset};
}

std::string OffsetText(int offset) {
  const char sign = offset < 0 ? '-' : '+';
  const int magnitude = std::abs(offset);
  char buffer[16];
  if (magnitude % 60 != 0) {
    std::snprintf(buffer, sizeof buffer, "%c%02d:%02d:%02d", sign, magnitude / 3600, magnitude / 60 % 60,
                  magnitude % 60);
  } else {
    std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", sign, magnitude / 3600, magnitude / 60 % 60);
  }
  return buffer;
}

}  // namespace tally
