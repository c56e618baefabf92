// Burst framing by quiet time: the interval from Text4, the restarted
// countdown, the sync tick and obsRemaining taken at the comm event.

#include "link/burst_framing.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;

struct IntervalCase {
  std::string text4;
  int milliseconds;
  bool asTyped;
};

void PrintTo(const IntervalCase& c, std::ostream* out) { *out << "Text4 \"" << c.text4 << '"'; }

class BurstIntervalTest : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(BurstIntervalTest, IntervalFromText4) {
  EXPECT_EQ(BurstInterval(GetParam().text4), GetParam().milliseconds);
  EXPECT_EQ(IsIntervalAsTyped(GetParam().text4), GetParam().asTyped);
}

INSTANTIATE_TEST_SUITE_P(Usable, BurstIntervalTest,
                         ::testing::Values(IntervalCase{"2000", 2000, true},
                                           IntervalCase{"1500.5", 1500, true},
                                           IntervalCase{"1501.5", 1502, true},
                                           IntervalCase{" 5 00", 500, true},
                                           IntervalCase{"1", 1, true},
                                           IntervalCase{"2147483647", INT_MAX, true}));

INSTANTIATE_TEST_SUITE_P(Unusable, BurstIntervalTest,
                         ::testing::Values(IntervalCase{"0", kDefaultBurstInterval, false},
                                           IntervalCase{"0.5", kDefaultBurstInterval, false},
                                           IntervalCase{"-5", kDefaultBurstInterval, false},
                                           IntervalCase{"abc", kDefaultBurstInterval, false},
                                           IntervalCase{"", kDefaultBurstInterval, false},
                                           IntervalCase{"2147483648", INT_MAX, false},
                                           IntervalCase{"1e12", INT_MAX, false},
                                           IntervalCase{"1e400", INT_MAX, false},
                                           IntervalCase{"-1e400", kDefaultBurstInterval, false}));

class BurstFramingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run.PressPort(1);
    run.SyncBurst();
  }
  void SetInterval(const std::string& text) { run.surface.SetText(TextBox::Text4, text); }

  CaptureRun run{testing::kWithSupportFiles};
};

TEST(SyncTickTest, FirstBurstIsDiscardedWithYellowStatus) {
  CaptureRun run{testing::kWithSupportFiles};
  run.PressPort(1);
  run.Burst(CaptureRun::BurstFor(1));

  EXPECT_EQ(run.surface.list1, std::vector<std::string>{"sync "});
  EXPECT_EQ(run.surface.indicatorColour, kYellow);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "Please wait 3 minutes");
  EXPECT_TRUE(run.port.pending().empty());
  EXPECT_EQ(run.context.state.lineCount, 0);
  EXPECT_EQ(run.context.state.tickCount, 1);
  EXPECT_FALSE(run.dir.Exists("cp.txt"));

  run.Burst(CaptureRun::BurstFor(1));
  EXPECT_EQ(run.surface.Text(TextBox::Text2), "1");
  EXPECT_EQ(run.context.state.tickCount, 2);
}

// The event loop is busy past the interval after a burst, and the next
// burst's receive event is handled before the tick that fell due: the
// waiting burst is closed first, so every burst stays a line of its own.
TEST(LateLoopTest, BurstsHandledInOneTurnAfterAStallStayApart) {
  CaptureRun run{testing::kWithSupportFiles};
  run.PressPort(1);
  run.port.Receive("noise");
  run.time.Stall(2500);
  run.port.Receive(CaptureRun::BurstFor(1));
  run.time.Stall(2000);  // the receive event comes exactly as the interval runs out
  run.port.Receive(CaptureRun::BurstFor(2));
  run.time.Advance(2000);

  EXPECT_EQ(run.surface.list1,
            (std::vector<std::string>{"sync ", CaptureRun::LineFor(1), CaptureRun::LineFor(2)}));
  EXPECT_EQ(run.context.state.tickCount, 3);
  EXPECT_FALSE(run.time.armed);
}

TEST_F(BurstFramingTest, EveryCommEventRestartsTheCountdown) {
  run.port.Receive("1,5");
  run.time.Advance(1500);
  run.port.Receive(",20");
  run.time.Advance(1500);
  run.port.Receive(",300");
  run.time.Advance(1999);
  EXPECT_EQ(run.surface.list1.size(), 1u);

  run.time.Advance(1);
  EXPECT_EQ(run.surface.list1.back(), CaptureRun::LineFor(1));
  EXPECT_FALSE(run.time.armed);
}

TEST_F(BurstFramingTest, PauseLongerThanTheIntervalSplitsABurst) {
  run.port.Receive("1,5,20,300");
  run.time.Advance(3000);
  run.port.Receive("2,5,20,300");
  run.time.Advance(3000);
  EXPECT_EQ(run.surface.list1,
            (std::vector<std::string>{"sync ", CaptureRun::LineFor(1), CaptureRun::LineFor(2)}));
}

TEST_F(BurstFramingTest, CommEventWithoutCharactersStillArms) {
  run.port.Receive("");
  EXPECT_TRUE(run.time.armed);
  run.time.Advance(2000);
  EXPECT_EQ(run.time.ticks, 2);
  ASSERT_EQ(run.surface.list2.size(), 1u);
  EXPECT_EQ(run.surface.list2[0].rfind("Reading rejected: ", 0), 0u);
}

TEST_F(BurstFramingTest, Text4TakesEffectAtTheNextCommEvent) {
  SetInterval("500");
  EXPECT_EQ(run.time.interval, 2000);
  run.port.Receive(CaptureRun::BurstFor(1));
  EXPECT_EQ(run.time.interval, 500);
  run.time.Advance(500);
  EXPECT_EQ(run.surface.list1.back(), CaptureRun::LineFor(1));
}

TEST_F(BurstFramingTest, ObsRemainingIsTakenFromText3AtEveryCommEvent) {
  run.surface.SetText(TextBox::Text3, "3");
  EXPECT_DOUBLE_EQ(run.context.state.obsRemaining, 1);
  run.port.Receive("1");
  EXPECT_DOUBLE_EQ(run.context.state.obsRemaining, 3);
  run.surface.SetText(TextBox::Text3, "2.5");
  run.port.Receive(",5,20,300");
  EXPECT_DOUBLE_EQ(run.context.state.obsRemaining, 2.5);
}

TEST_F(BurstFramingTest, UnusableIntervalIsNamedOnceAndTheDefaultUsed) {
  SetInterval("abc");
  run.Lines(3);
  EXPECT_EQ(run.time.interval, kDefaultBurstInterval);
  EXPECT_EQ(run.surface.list1.size(), 4u);
  ASSERT_EQ(run.surface.list2.size(), 1u);
  EXPECT_EQ(run.surface.list2[0], "Interval \"abc\" cannot be used; 2000 ms used");

  SetInterval("1e12");
  run.port.Receive("1");
  EXPECT_EQ(run.time.interval, INT_MAX);
  EXPECT_EQ(run.surface.list2.size(), 2u);

  SetInterval("1000");
  run.port.Receive(",5,20,300");
  SetInterval("abc");
  run.port.Receive("");
  EXPECT_EQ(run.surface.list2.size(), 3u);
}

TEST_F(BurstFramingTest, NewPortPressAfterTheFirstTickBringsNoSyncTick) {
  run.PressPort(2);
  run.Burst(CaptureRun::BurstFor(4));
  EXPECT_EQ(run.surface.list1,
            (std::vector<std::string>{"sync ", CaptureRun::LineFor(4)}));
  EXPECT_EQ(run.surface.indicatorColour, kRed);
}

}  // namespace
}  // namespace tally
