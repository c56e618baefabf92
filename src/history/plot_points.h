#pragma once
// Points of one channel over time, and the few of them a plot of a given
// width needs: per column of pixels the lowest and the highest point, in
// their order, so every peak stays visible however many points there are.

#include <cstddef>
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

}  // namespace tally::history
