#include "link/qt/qt_burst_timer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "link/qt/event_loop.h"

namespace tally {
namespace {

using testing::WaitFor;

class QtBurstTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    timer.SetTickHandler([this] {
      ++ticks;
      tickAt = clock.elapsed();
    });
    clock.start();
  }

  QtBurstTimer timer;
  QElapsedTimer clock;
  int ticks = 0;
  qint64 tickAt = -1;
};

TEST_F(QtBurstTimerTest, TicksOnceAfterItsInterval) {
  timer.SetInterval(80);
  timer.Arm();
  EXPECT_TRUE(timer.IsArmed());
  ASSERT_TRUE(WaitFor([&] { return ticks > 0; }, 2000));
  EXPECT_GE(tickAt, 80);
  EXPECT_FALSE(timer.IsArmed());
  EXPECT_FALSE(WaitFor([&] { return ticks > 1; }, 250));  // single shot
}

TEST_F(QtBurstTimerTest, ArmingAgainRestartsTheCountdown) {
  timer.SetInterval(150);
  timer.Arm();
  ASSERT_FALSE(WaitFor([&] { return ticks > 0 || clock.elapsed() >= 100; }, 2000) && ticks > 0);
  const qint64 rearmedAt = clock.elapsed();
  timer.Arm();
  ASSERT_TRUE(WaitFor([&] { return ticks > 0; }, 2000));
  EXPECT_EQ(ticks, 1);
  EXPECT_GE(tickAt, rearmedAt + 150);
}

TEST_F(QtBurstTimerTest, DisarmedTimerDoesNotTick) {
  timer.SetInterval(50);
  timer.Arm();
  timer.Disarm();
  EXPECT_FALSE(timer.IsArmed());
  EXPECT_FALSE(WaitFor([&] { return ticks > 0; }, 200));
}

TEST_F(QtBurstTimerTest, TheNewIntervalAppliesToTheNextArming) {
  timer.SetInterval(1000);
  timer.SetInterval(60);
  timer.Arm();
  ASSERT_TRUE(WaitFor([&] { return ticks > 0; }, 900));
  EXPECT_GE(tickAt, 60);
}

}  // namespace
}  // namespace tally
