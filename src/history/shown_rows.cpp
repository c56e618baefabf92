#include "history/shown_rows.h"

#include <algorithm>
#include <limits>

namespace tally::history {

void AppendShownRows(const SetIndex& index, const TimeRange& range, std::size_t first,
                     std::vector<std::uint32_t>& rows) {
  if (!range.from && !range.to) {
    for (std::size_t row = first; row < index.size(); ++row) rows.push_back(static_cast<std::uint32_t>(row));
    return;
  }
  LocalStamp stamp;
  for (std::size_t row = first; row < index.size(); ++row) {
    if (!index.StampOf(row, stamp) || range.Includes(stamp)) rows.push_back(static_cast<std::uint32_t>(row));
  }
}

void SortByTime(const SetIndex& index, TimeOrder order, std::vector<std::uint32_t>& rows) {
  struct Keyed {
    std::int64_t seconds;
    std::uint32_t row;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(rows.size());
  LocalStamp stamp;
  for (const std::uint32_t row : rows) {
    const std::int64_t seconds =
        index.StampOf(row, stamp) ? stamp.Seconds() : std::numeric_limits<std::int64_t>::min();
    keyed.push_back({seconds, row});
  }
  const bool descending = order == TimeOrder::Descending;
  std::sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
    if (a.seconds != b.seconds) return descending ? a.seconds > b.seconds : a.seconds < b.seconds;
    return descending ? a.row > b.row : a.row < b.row;
  });
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].row;
}

}  // namespace tally::history
