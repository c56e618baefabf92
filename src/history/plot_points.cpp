#include "history/plot_points.h"

#include <algorithm>
#include <cmath>

namespace tally::history {

std::vector<PlotPoint> Decimate(const std::vector<PlotPoint>& points, double xFrom, double xTo,
                                std::size_t columns) {
  const auto byX = [](const PlotPoint& p, double x) { return p.x < x; };
  auto first = std::lower_bound(points.begin(), points.end(), xFrom, byX);
  auto last =
      std::upper_bound(first, points.end(), xTo, [](double x, const PlotPoint& p) { return x < p.x; });
  if (first != points.begin()) --first;
  if (last != points.end()) ++last;
  const std::size_t count = static_cast<std::size_t>(last - first);
  if (columns == 0 || count <= 4 * columns) return {first, last};

  std::vector<PlotPoint> kept;
  kept.reserve(4 * columns + 2);
  const double width = (xTo - xFrom) / static_cast<double>(columns);
  auto begin = first;
  while (begin != last) {
    // The column of begin, and the points that fall in it.
    const double column = std::max(0.0, std::floor((begin->x - xFrom) / width));
    const double columnEnd = xFrom + (column + 1) * width;
    auto end = begin;
    auto low = begin;
    auto high = begin;
    while (end != last && (end->x < columnEnd || end == begin)) {
      if (end->y < low->y) low = end;
      if (end->y > high->y) high = end;
      ++end;
    }
    auto lastInColumn = std::prev(end);
    std::vector<decltype(begin)> picks = {begin, low, high, lastInColumn};
    std::sort(picks.begin(), picks.end());
    picks.erase(std::unique(picks.begin(), picks.end()), picks.end());
    for (const auto pick : picks) kept.push_back(*pick);
    begin = end;
  }
  return kept;
}

}  // namespace tally::history
