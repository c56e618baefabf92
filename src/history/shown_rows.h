#pragma once
// The rows a view shows: those of a local time range (rows whose header
// holds no date are always shown, so nothing is hidden unseen), in file
// order or sorted by time. Four bytes a row.

#include <cstdint>
#include <optional>
#include <vector>

#include "history/set_index.h"

namespace tally::history {

struct TimeRange {
  std::optional<LocalStamp> from;  // included
  std::optional<LocalStamp> to;    // included
  bool Includes(const LocalStamp& stamp) const { return (!from || stamp >= *from) && (!to || stamp <= *to); }
};

enum class TimeOrder { Ascending, Descending };

// Rows first..index.size()-1 that the range keeps, appended to rows in file order.
void AppendShownRows(const SetIndex& index, const TimeRange& range, std::size_t first,
                     std::vector<std::uint32_t>& rows);

// Sorts rows by their stamp (rows without a date first), file order within
// the same second; stable, so the result does not depend on the order given.
void SortByTime(const SetIndex& index, TimeOrder order, std::vector<std::uint32_t>& rows);

}  // namespace tally::history
