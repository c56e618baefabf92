#include "history/value_ticks.h"

#include <algorithm>
#include <cmath>

namespace tally::history {

ValueTicks RoundValueTicks(double low, double high, int most) {
  most = std::max(2, most);
  if (!std::isfinite(low) || !std::isfinite(high)) return {};
  if (!(high > low)) high = low + 1;
  // From a step too fine to one that fits: 1, 2, 5, 10, 20, ... x 10^exponent.
  int exponent = static_cast<int>(std::floor(std::log10((high - low) / most)));
  for (;; ++exponent) {
    for (const int mantissa : {1, 2, 5}) {
      const double step = mantissa * std::pow(10.0, exponent);
      // A value a rounding error away from a mark counts as on it.
      const double below = std::floor(low / step + 1e-9);
      const double above = std::ceil(high / step - 1e-9);
      const int count = static_cast<int>(above - below) + 1;
      if (count <= most) return {below * step, step, count, std::max(0, -exponent)};
    }
  }
}

}  // namespace tally::history
