#include "burst_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace tally::sim {
namespace {

std::vector<int> InOrder() {
  std::vector<int> channels(16);
  std::iota(channels.begin(), channels.end(), 1);
  return channels;
}

TEST(BurstPlan, FixedOrders) {
  const struct {
    const char* order;
    std::vector<int> channels;
  } cases[] = {
      {"in", InOrder()},
      {"reverse", {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
      {"missing=5", {1, 2, 3, 4, 6, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
      {"missing=16", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 15}},
      {"twice=6", {1, 2, 3, 4, 5, 6, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
      {"twice=16", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 16}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order);
    EXPECT_EQ(ChannelOrder(c.order, 1, 0), c.channels);
  }
}

TEST(BurstPlan, ShuffleIsAPermutationRepeatableBySeedAndNewPerSet) {
  const std::vector<int> first = ChannelOrder("shuffle", 42, 0);
  std::vector<int> sorted = first;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, InOrder());
  EXPECT_NE(first, InOrder());
  EXPECT_EQ(ChannelOrder("shuffle", 42, 0), first);
  EXPECT_NE(ChannelOrder("shuffle", 42, 1), first);
  EXPECT_NE(ChannelOrder("shuffle", 43, 0), first);
}

TEST(BurstPlan, ReadingsCarryChannelValueAndNumber) {
  SimOptions options;
  EXPECT_EQ(ReadingBurst(options, 7, 3), "3,103,7,300");
  options.value = 55;
  EXPECT_EQ(ReadingBurst(options, 1, 12), "12,55,1,300");
  options.highChannel = 12;
  options.highValue = 950;
  EXPECT_EQ(ReadingBurst(options, 2, 12), "12,950,2,300");
  EXPECT_EQ(ReadingBurst(options, 2, 11), "11,55,2,300");
  options.kind = ProcessorKind::FLII;
  EXPECT_EQ(ReadingBurst(options, 4, 1), "1,55,4,1,7,99999,0,12000");
}

TEST(BurstPlan, ReadingsFitTheLengthThatMarksTheProcessor) {
  // An fLI burst longer than 18 characters would make the capture take the
  // processor for an fLII.
  SimOptions options;
  options.value = 999;
  EXPECT_LE(ReadingBurst(options, 99999, 16).size(), 18u);
  options.kind = ProcessorKind::FLII;
  EXPECT_GT(ReadingBurst(options, 1, 1).size(), 18u);
}

}  // namespace
}  // namespace tally::sim
