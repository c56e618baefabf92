#pragma once
// The marks of the plot's time axis: round times of the zone's wall clock,
// labelled as the zone's clock read them. The points are placed at their
// instants (so a change of the clock neither folds nor tears the line), and
// a set's point sits at the label that reads its stamp as written, as the
// table shows it.

#include <string>
#include <vector>

#include "records/zone_rules.h"

namespace tally::history {

struct TimeTick {
  double x = 0;       // milliseconds since 1970 UTC
  std::string label;  // "2026-12-06 14:35", with ":ss" for steps under a minute, the date alone for days
};

// Ticks between fromMs and toMs (both included) at the roundest step that
// gives at most `most` of them. A wall-clock time the zone repeats is
// marked once, at its first occurrence; one it skips is not marked.
std::vector<TimeTick> TimeTicks(double fromMs, double toMs, const ZoneRules& zone, int most = 5);

}  // namespace tally::history
