#pragma once
// The marks of the plot's value axis: a round step (1, 2 or 5 times a
// power of ten) and the range widened out to whole steps, so that every
// mark falls on a round number.

namespace tally::history {

struct ValueTicks {
  double first = 0;  // the lowest mark, the axis's lower end
  double step = 1;
  int count = 2;     // marks from first to the axis's upper end, both included
  int decimals = 0;  // the places a label needs to show the step
  double last() const { return first + step * (count - 1); }
};

// The smallest round step that covers low..high with at most `most` marks
// (at least 2).
ValueTicks RoundValueTicks(double low, double high, int most = 8);

}  // namespace tally::history
