// The simulated time the capture runs are driven by: its wall clock carries
// whole seconds on through minutes, hours, days, months and years, so that
// a long run's stamps keep increasing.

#include "doubles/simulated_time.h"

#include <gtest/gtest.h>

#include <array>

namespace tally::testing {
namespace {

struct CarryCase {
  LocalDateTime from;
  std::int64_t milliseconds;
  LocalDateTime reads;
};

class SimulatedClockTest : public ::testing::TestWithParam<CarryCase> {};

TEST_P(SimulatedClockTest, ReadsTheSecondReachedOnTheCalendar) {
  const CarryCase& row = GetParam();
  SimulatedTime time;
  time.Advance(500);
  time.SetClock(row.from);
  time.Advance(row.milliseconds);
  const LocalDateTime now = time.Now();
  EXPECT_EQ((std::array{now.year, now.month, now.day, now.hour, now.minute, now.second}),
            (std::array{row.reads.year, row.reads.month, row.reads.day, row.reads.hour, row.reads.minute,
                        row.reads.second}));
}

INSTANTIATE_TEST_SUITE_P(
    Carries, SimulatedClockTest,
    ::testing::Values(CarryCase{{2026, 12, 6, 14, 30, 15}, 999, {2026, 12, 6, 14, 30, 15}},
                      CarryCase{{2026, 12, 6, 14, 30, 59}, 1000, {2026, 12, 6, 14, 31, 0}},
                      CarryCase{{2026, 12, 6, 14, 30, 15}, 96'000, {2026, 12, 6, 14, 31, 51}},
                      CarryCase{{2026, 12, 6, 23, 59, 59}, 2000, {2026, 12, 7, 0, 0, 1}},
                      CarryCase{{2028, 2, 28, 23, 59, 59}, 1000, {2028, 2, 29, 0, 0, 0}},
                      CarryCase{{2026, 12, 31, 23, 59, 58}, 2000, {2027, 1, 1, 0, 0, 0}}));

// The burst timer runs on the same time: its tick reads the clock at the
// moment the interval ran out.
TEST(SimulatedTimeTest, TheTickReadsTheClockWhenTheIntervalRunsOut) {
  SimulatedTime time;
  LocalDateTime atTick;
  time.SetTickHandler([&] { atTick = time.Now(); });
  time.SetInterval(2000);
  time.Advance(700);
  time.Arm();
  time.Advance(5000);
  EXPECT_EQ(time.ticks, 1);
  EXPECT_EQ(atTick.second, 17);  // 14:30:15 and 2.7 s
  EXPECT_EQ(time.Now().second, 20);
}

}  // namespace
}  // namespace tally::testing
