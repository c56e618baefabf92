#include "history/set_times.h"

namespace tally::history {

namespace {

bool InRepeat(const ZoneRules& zone, const LocalOffsets& hour, const LocalStamp& stamp) {
  const LocalOffsets other = zone.At(stamp.Seconds());
  return other.mark == DstMark::Repeated && other.offset == hour.offset && other.laterOffset == hour.laterOffset;
}

// The nearest row before (step -1) or after (step +1) row that holds a
// date in the same repeated hour; rows without a date are passed over.
bool NextInRepeat(const SetIndex& index, const ZoneRules& zone, const LocalOffsets& hour, std::size_t& row,
                  int step, LocalStamp& stamp) {
  for (std::size_t at = row; step < 0 ? at > 0 : at + 1 < index.size();) {
    at = step < 0 ? at - 1 : at + 1;
    if (!index.StampOf(at, stamp)) continue;
    if (!InRepeat(zone, hour, stamp)) return false;
    row = at;
    return true;
  }
  return false;
}

}  // namespace

bool TimeOf(const SetIndex& index, std::size_t row, const ZoneRules& zone, SetTime& time) {
  LocalStamp stamp;
  if (!index.StampOf(row, stamp)) return false;
  const LocalOffsets hour = zone.At(stamp.Seconds());
  StampOrder order(zone);
  if (hour.mark != DstMark::Repeated) {
    time = order.Place(stamp);
    return true;
  }
  // The repeated hour's run of rows, from its first, placed in file order.
  std::size_t first = row;
  LocalStamp earlier;
  while (NextInRepeat(index, zone, hour, first, -1, earlier)) {
  }
  for (std::size_t at = first; at <= row; ++at) {
    if (index.StampOf(at, earlier)) time = order.Place(earlier);
  }
  // A step back later in the run puts this row before the change.
  LocalStamp later;
  for (std::size_t at = row; time.mark == DstMark::Repeated && NextInRepeat(index, zone, hour, at, +1, later);) {
    if (order.Place(later).mark == DstMark::None) time.mark = DstMark::None;
  }
  return true;
}

}  // namespace tally::history
