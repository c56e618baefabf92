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
  if (columns == 0 || count <= 2 * columns + 2) return {first, last};

  std::vector<PlotPoint> kept;
  kept.reserve(2 * columns + 4);
  kept.push_back(*first);
  const double width = (xTo - xFrom) / static_cast<double>(columns);
  auto begin = first + 1;
  const auto end = last - 1;
  while (begin != end) {
    // The column of begin, and the points that fall in it.
    const double column = std::max(0.0, std::floor((begin->x - xFrom) / width));
    const double columnEnd = xFrom + (column + 1) * width;
    auto next = begin;
    auto low = begin;
    auto high = begin;
    while (next != end && (next->x < columnEnd || next == begin)) {
      if (next->y < low->y) low = next;
      if (next->y > high->y) high = next;
      ++next;
    }
    kept.push_back(*std::min(low, high));
    if (low != high) kept.push_back(*std::max(low, high));
    begin = next;
  }
  kept.push_back(*end);
  return kept;
}

std::optional<PlotPoint> AlarmMark(const std::vector<PlotPoint>& points, double x) {
  const auto reading =
      std::lower_bound(points.begin(), points.end(), x, [](const PlotPoint& p, double at) { return p.x < at; });
  if (reading == points.end()) return std::nullopt;
  return PlotPoint{x, reading->y};
}

}  // namespace tally::history
