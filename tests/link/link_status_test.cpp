#include "link/link_status.h"

#include <gtest/gtest.h>

#include "doubles/capture_run.h"

namespace tally {
namespace {

TEST(LinkStatus, LossAndReturnAreListedWithTheTime) {
  testing::CaptureRun rig;
  rig.time.SetClock({2026, 12, 6, 9, 5, 7});
  OnLinkChange(rig.context, false, "Com1 (/dev/pts/3) lost: hung up; reopening every 3 s");
  rig.time.SetClock({2026, 12, 6, 14, 30, 15});
  OnLinkChange(rig.context, true, "Com1 (/dev/pts/3) open again");
  ASSERT_EQ(rig.surface.list2.size(), 2u);
  EXPECT_EQ(rig.surface.list2[0], "09:05:07 Com1 (/dev/pts/3) lost: hung up; reopening every 3 s");
  EXPECT_EQ(rig.surface.list2[1], "14:30:15 Com1 (/dev/pts/3) open again");
}

TEST(LinkStatus, TouchesNothingOfTheRun) {
  testing::CaptureRun rig;
  rig.context.state.lineCount = 7;
  rig.context.state.obsCount = 2;
  rig.context.state.setLines = ",01,101,00001,00300";
  OnLinkChange(rig.context, false, "Com2 (/dev/ttyUSB0) lost: hung up; reopening every 3 s");
  EXPECT_EQ(rig.context.state.lineCount, 7);
  EXPECT_EQ(rig.context.state.obsCount, 2);
  EXPECT_EQ(rig.context.state.setLines, ",01,101,00001,00300");
  EXPECT_TRUE(rig.surface.list1.empty());
  ASSERT_EQ(rig.surface.log.size(), 1u);  // the one List2 entry, nothing else shown
  EXPECT_FALSE(rig.surface.indicatorColour.has_value());
}

}  // namespace
}  // namespace tally
