// Local stamps placed in time in their file's order, on the zone rules the
// C library reads from the system's zone database.

#include "records/stamp_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/system_zone.h"

namespace tally {
namespace {

LocalStamp StampOf(const std::string& digits) {
  LocalStamp stamp;
  EXPECT_TRUE(ReadStamp("fL01" + digits, stamp)) << digits;
  return stamp;
}

TEST(StampOrderTest, BothClockChangesOfAYearInFileOrder) {
  const std::optional<ZoneRules> berlin = ZoneRulesNamed("Europe/Berlin");
  ASSERT_TRUE(berlin) << "no Europe/Berlin in the zone database (tzdata)";
  struct Step {
    std::string stamp;
    std::string placed;  // the time and its mark
  };
  const std::vector<Step> file = {
      {"20260329013000", "2026-03-29T01:30:00+01:00"},
      {"20260329021000", "2026-03-29T02:10:00+01:00 skipped"},
      {"20260329031000", "2026-03-29T03:10:00+02:00"},
      {"20261025015000", "2026-10-25T01:50:00+02:00"},
      {"20261025021000", "2026-10-25T02:10:00+02:00 repeated"},  // the order cannot tell yet
      {"20261025025000", "2026-10-25T02:50:00+02:00 repeated"},
      {"20261025021000", "2026-10-25T02:10:00+01:00"},  // the step back: after the change
      {"20261025025000", "2026-10-25T02:50:00+01:00"},
      {"20261025031000", "2026-10-25T03:10:00+01:00"},
  };
  StampOrder order(*berlin);
  for (const Step& step : file) {
    const PlacedStamp placed = order.Place(StampOf(step.stamp));
    const std::string mark = DstMarkName(placed.mark);
    EXPECT_EQ(placed.Iso() + (mark.empty() ? "" : " " + mark), step.placed) << step.stamp;
  }
}

TEST(ZoneRulesTest, BerlinRepeatsAndSkipsAnHour) {
  const std::optional<ZoneRules> berlin = ZoneRulesNamed("Europe/Berlin");
  ASSERT_TRUE(berlin) << "no Europe/Berlin in the zone database (tzdata)";
  struct Case {
    LocalStamp stamp;
    DstMark mark;
    int offset;
  };
  for (const Case& c : {Case{{2026, 1, 10, 12, 0, 0}, DstMark::None, 3600},
                        Case{{2026, 3, 29, 2, 30, 0}, DstMark::Skipped, 3600},
                        Case{{2026, 7, 1, 12, 0, 0}, DstMark::None, 7200},
                        Case{{2026, 10, 25, 2, 30, 0}, DstMark::Repeated, 7200},
                        Case{{2150, 7, 1, 12, 0, 0}, DstMark::None, 7200}}) {
    const LocalOffsets offsets = berlin->At(c.stamp.Seconds());
    EXPECT_EQ(offsets.mark, c.mark) << c.stamp.Iso();
    EXPECT_EQ(offsets.offset, c.offset) << c.stamp.Iso();
  }
}

TEST(StampOrderTest, UnknownZoneNamesAreRefused) {
  for (const std::string name : {"Europe/Nowhere", "../etc/passwd", "/usr/share/zoneinfo/UTC"}) {
    EXPECT_FALSE(ZoneRulesNamed(name)) << name;
  }
  EXPECT_TRUE(ZoneRulesNamed(""));
}

}  // namespace
}  // namespace tally
