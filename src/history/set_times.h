#pragma once
// The time of a set as a point in time: its local stamp placed by the rule
// of records/stamp_order.h, with the rows of the set database as the file's
// order.
// Looking ahead too, a stamp of a repeated hour that a later step back puts
// before the change is no longer marked repeated.

#include <cstddef>

#include "history/set_index.h"
#include "records/stamp_order.h"

namespace tally::history {

using SetTime = PlacedStamp;

// The time of a row whose header holds a date (false otherwise).
bool TimeOf(const SetIndex& index, std::size_t row, const ZoneRules& zone, SetTime& time);

}  // namespace tally::history
