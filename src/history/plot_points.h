#pragma once
// Points of one channel over time, and the few of them a plot of a given
// width needs: per column of pixels the lowest and the highest point, in
// their order, so every peak stays visible however many points there are.
// An alarm is marked at the reading that raised it.

#include <cstddef>
#include <optional>
#include <vector>

namespace tally::history {

struct PlotPoint {
  double x = 0;  // milliseconds since 1970 UTC
  double y = 0;
};

// The points of points (sorted by x) between xFrom and xTo, one neighbour
// on each side included so lines run to the edges, at most two per column
// between them.
std::vector<PlotPoint> Decimate(const std::vector<PlotPoint>& points, double xFrom, double xTo,
                                std::size_t columns);

// Where an alarm raised at instant x is marked: at x, at the value of the
// channel's reading then. A set is stamped when its last line comes, so the
// reading is the channel's first point at or after x; none when no set
// followed the alarm.
std::optional<PlotPoint> AlarmMark(const std::vector<PlotPoint>& points, double x);

}  // namespace tally::history
