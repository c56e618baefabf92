#include "history/set_times.h"

namespace tally::history {

namespace {

struct Neighbour {
  bool found = false;
  std::size_t row = 0;
  std::int64_t seconds = 0;
};

// The nearest row before (step -1) or after (step +1) row that holds a
// date; rows without one are passed over.
Neighbour NextStamped(const SetIndex& index, std::size_t row, int step) {
  LocalStamp stamp;
  for (std::size_t at = row; step < 0 ? at > 0 : at + 1 < index.size();) {
    at = step < 0 ? at - 1 : at + 1;
    if (index.StampOf(at, stamp)) return {true, at, stamp.Seconds()};
  }
  return {};
}

bool InSameRepeat(const ZoneRules& zone, const LocalOffsets& mine, std::int64_t seconds) {
  const LocalOffsets other = zone.At(seconds);
  return other.mark == DstMark::Repeated && other.offset == mine.offset &&
         other.laterOffset == mine.laterOffset;
}

// Searches the run of rows in the same repeated hour, from row in the
// direction of step, for a stamp that steps back. Looking back, a step back
// at or before row puts row after the change; looking ahead, one after row
// puts row before it.
bool StepBackInRun(const SetIndex& index, std::size_t row, int step, const ZoneRules& zone,
                   const LocalOffsets& mine, std::int64_t seconds) {
  std::size_t at = row;
  std::int64_t current = seconds;
  while (true) {
    const Neighbour next = NextStamped(index, at, step);
    if (!next.found || !InSameRepeat(zone, mine, next.seconds)) return false;
    if (step < 0 ? current < next.seconds : next.seconds < current) return true;
    at = next.row;
    current = next.seconds;
  }
}

}  // namespace

std::string SetTime::Iso() const { return stamp.Iso() + OffsetText(offset); }

bool TimeOf(const SetIndex& index, std::size_t row, const ZoneRules& zone, SetTime& time) {
  if (!index.StampOf(row, time.stamp)) return false;
  const std::int64_t seconds = time.stamp.Seconds();
  const LocalOffsets offsets = zone.At(seconds);
  time.offset = offsets.offset;
  time.mark = offsets.mark;
  if (offsets.mark != DstMark::Repeated) return true;
  if (StepBackInRun(index, row, -1, zone, offsets, seconds)) {
    time.offset = offsets.laterOffset;
    time.mark = DstMark::None;
  } else if (StepBackInRun(index, row, +1, zone, offsets, seconds)) {
    time.mark = DstMark::None;
  }
  return true;
}

}  // namespace tally::history
