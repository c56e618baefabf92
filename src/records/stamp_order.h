#pragma once
// A local stamp placed in time: the stamp with the offset the zone had when
// it was written. The capture appends in time order, so a file's order tells
// the two passes of an hour the zone repeats apart: inside one repeated
// hour, a stamp that steps back lies after the change, and so does every
// later stamp of that hour; the ones before the step lie before it. Where
// the order has not told (no step back seen yet), a stamp keeps the first
// pass's offset and is marked repeated. A stamp in an hour the zone skips
// never occurred: it keeps the offset before the change and is marked
// skipped.

#include <cstdint>
#include <string>

#include "records/set_line.h"
#include "records/zone_rules.h"

namespace tally {

struct PlacedStamp {
  LocalStamp stamp;
  int offset = 0;  // seconds east of UTC
  DstMark mark = DstMark::None;

  std::int64_t Instant() const { return stamp.Seconds() - offset; }  // seconds since 1970 UTC
  // 2026-12-06T14:30:15+01:00
  std::string Iso() const;
};

// Stamps placed one after another in the order their file holds them. Lines
// without a stamp are not given to it.
class StampOrder {
 public:
  explicit StampOrder(const ZoneRules& zone) : zone_(&zone) {}

  PlacedStamp Place(const LocalStamp& stamp);

 private:
  const ZoneRules* zone_;
  bool inRepeat_ = false;  // the stamp before was in a repeated hour
  LocalOffsets repeat_;    // that hour's offsets
  std::int64_t last_ = 0;  // that stamp's seconds
  bool afterChange_ = false;
};

}  // namespace tally
