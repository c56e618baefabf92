// What the plot draws: decimated points that keep every peak, the time
// axis read on the chosen zone's clock, the limits of "ct.dat" and the
// alarms of "alarmlog.txt".

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "doubles/capture_run.h"
#include "history/limits_and_alarms.h"
#include "history/plot_points.h"
#include "history/time_ticks.h"
#include "history/value_ticks.h"

namespace tally::history {
namespace {

TEST(PlotPointsTest, DecimationKeepsPeaksEndsAndAFewPointsPerColumn) {
  std::vector<PlotPoint> points;
  for (int i = 0; i < 100000; ++i) points.push_back({i * 1000.0, std::sin(i / 500.0)});
  points[54321].y = 7;
  points[12345].y = -7;
  const std::vector<PlotPoint> kept = Decimate(points, 0, 99999000, 800);
  EXPECT_LE(kept.size(), 2u * 800u + 2u);
  EXPECT_EQ(kept.front().x, 0);
  EXPECT_EQ(kept.back().x, 99999000);
  const auto has = [&kept](double x) {
    return std::any_of(kept.begin(), kept.end(), [x](const PlotPoint& p) { return p.x == x; });
  };
  EXPECT_TRUE(has(54321000));
  EXPECT_TRUE(has(12345000));
  // A narrow range: its points and one neighbour on each side, all of them.
  const std::vector<PlotPoint> zoomed = Decimate(points, 50000000, 50010000, 800);
  ASSERT_EQ(zoomed.size(), 11u + 2u);
  EXPECT_EQ(zoomed.front().x, 49999000);
}

TEST(ValueTicksTest, MarksFallOnRoundStepsAroundTheValues) {
  struct Case {
    double low, high;
    int most;
    double first, step;
    int count, decimals;
  };
  const Case cases[] = {
      {78.3, 328.0, 8, 50, 50, 7, 0},    // not 78.3, 203.2, 328.0
      {5.35, 129.65, 8, 0, 20, 8, 0},
      {-3, 12, 9, -4, 2, 9, 0},         // across zero
      {-3, 12, 5, -5, 5, 5, 0},
      {0.12, 0.87, 8, 0.0, 0.2, 6, 1},  // below one: the places the step needs
      {0.99, 1.04, 6, 0.99, 0.01, 6, 2},
      {1200, 987000, 8, 0, 200000, 6, 0},
      {7, 7, 8, 7, 0.2, 6, 1},          // one value: a unit around it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high));
    const ValueTicks ticks = RoundValueTicks(c.low, c.high, c.most);
    EXPECT_NEAR(ticks.first, c.first, 1e-9);
    EXPECT_NEAR(ticks.step, c.step, 1e-12);
    EXPECT_EQ(ticks.count, c.count);
    EXPECT_EQ(ticks.decimals, c.decimals);
    EXPECT_LE(ticks.first, c.low);
    EXPECT_GE(ticks.last(), c.high);
  }
}

// Instants written as their UTC stamps, in milliseconds.
double UtcMs(const LocalStamp& stamp) { return static_cast<double>(stamp.Seconds()) * 1000; }

TEST(TimeTicksTest, RoundTimesOfTheZonesClock) {
  const ZoneRules berlin(3600, {{LocalStamp{2026, 3, 29, 1, 0, 0}.Seconds(), 3600, 7200},
                                {LocalStamp{2026, 10, 25, 1, 0, 0}.Seconds(), 7200, 3600}});
  struct Tick {
    LocalStamp utc;
    std::string label;
  };
  struct Case {
    const char* what;
    ZoneRules zone;
    LocalStamp fromUtc, toUtc;
    std::vector<Tick> ticks;
  };
  const std::vector<Case> cases = {
      {"sets of 14:31 to 14:42 written at +09:00", ZoneRules(9 * 3600), {2026, 12, 6, 5, 31, 15},
       {2026, 12, 6, 5, 42, 15},
       {{{2026, 12, 6, 5, 35, 0}, "2026-12-06 14:35"}, {{2026, 12, 6, 5, 40, 0}, "2026-12-06 14:40"}}},
      {"the hour the change back repeats is marked once, with the real hour between",
       berlin, {2026, 10, 24, 23, 30, 0}, {2026, 10, 25, 2, 30, 0},
       {{{2026, 10, 25, 0, 0, 0}, "2026-10-25 02:00"}, {{2026, 10, 25, 2, 0, 0}, "2026-10-25 03:00"}}},
      {"the skipped hour is not marked", berlin, {2026, 3, 29, 0, 30, 0}, {2026, 3, 29, 3, 30, 0},
       {{{2026, 3, 29, 1, 0, 0}, "2026-03-29 03:00"},
        {{2026, 3, 29, 2, 0, 0}, "2026-03-29 04:00"},
        {{2026, 3, 29, 3, 0, 0}, "2026-03-29 05:00"}}},
      {"seconds, both ends included", ZoneRules(0), {2026, 12, 6, 12, 0, 0}, {2026, 12, 6, 12, 0, 20},
       {{{2026, 12, 6, 12, 0, 0}, "2026-12-06 12:00:00"},
        {{2026, 12, 6, 12, 0, 5}, "2026-12-06 12:00:05"},
        {{2026, 12, 6, 12, 0, 10}, "2026-12-06 12:00:10"},
        {{2026, 12, 6, 12, 0, 15}, "2026-12-06 12:00:15"},
        {{2026, 12, 6, 12, 0, 20}, "2026-12-06 12:00:20"}}},
      {"days at local midnight", ZoneRules(3600), {2026, 11, 30, 22, 0, 0}, {2026, 12, 3, 12, 0, 0},
       {{{2026, 11, 30, 23, 0, 0}, "2026-12-01"},
        {{2026, 12, 1, 23, 0, 0}, "2026-12-02"},
        {{2026, 12, 2, 23, 0, 0}, "2026-12-03"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<TimeTick> ticks = TimeTicks(UtcMs(c.fromUtc), UtcMs(c.toUtc), c.zone);
    ASSERT_EQ(ticks.size(), c.ticks.size());
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      EXPECT_EQ(ticks[i].label, c.ticks[i].label);
      EXPECT_EQ(ticks[i].x, UtcMs(c.ticks[i].utc)) << c.ticks[i].label;
    }
  }
}

TEST(AlarmLogTest, LimitsFromTheChannelTable) {
  testing::TempDir dir;
  dir.Write("ct.dat", testing::TableWithChannel3Limits("0020100"));
  const auto limits = ReadChannelLimits(dir.path());
  EXPECT_EQ(limits[3].high, 20);
  EXPECT_EQ(limits[3].low, 100);
  EXPECT_FALSE(limits[2].high);
  EXPECT_FALSE(limits[2].low);
  EXPECT_FALSE(ReadChannelLimits(dir.path() + "/nowhere")[3].high);
}

}  // namespace
}  // namespace tally::history
