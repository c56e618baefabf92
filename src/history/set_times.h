#pragma once
// The time of a set as a point in time: its local stamp with the offset the
// zone had. A stamp in an hour the zone repeats is placed by the file's
// order where it can be: sets are appended in time order, so a stamp that
// steps back inside the repeated hour lies after the change, and the ones
// before that step lie before it. Where the order does not tell, the stamp
// keeps the first occurrence's offset and is marked repeated.

#include <cstddef>
#include <string>

#include "history/set_index.h"
#include "records/zone_rules.h"

namespace tally::history {

struct SetTime {
  LocalStamp stamp;
  int offset = 0;
  DstMark mark = DstMark::None;

  // 2026-12-06T14:30:15+01:00
  std::string Iso() const;
};

// The time of a row whose header holds a date (false otherwise).
bool TimeOf(const SetIndex& index, std::size_t row, const ZoneRules& zone, SetTime& time);

}  // namespace tally::history
